// A small JSON writer for the tool's --json output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

class JsonWriter {
 public:
  JsonWriter& BeginObject(std::string_view key = {});
  JsonWriter& EndObject();
  JsonWriter& BeginArray(std::string_view key = {});
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::string_view key, std::u16string_view value);
  JsonWriter& String(std::string_view key, std::string_view value);
  JsonWriter& Number(std::string_view key, int64_t value);
  // A number with `decimals` decimals; null when it is not finite.
  JsonWriter& Real(std::string_view key, double value, int decimals = 2);
  JsonWriter& Bool(std::string_view key, bool value);
  JsonWriter& Null(std::string_view key);
  // A value another JsonWriter wrote (an object or array, complete).
  JsonWriter& Raw(std::string_view key, std::string_view json);
  const std::string& str() const { return out_; }

 private:
  void Separator();
  void WriteKey(std::string_view key);
  std::string out_;
  std::vector<bool> first_{true};
};

std::string JsonEscape(std::string_view utf8);

}  // namespace cli
