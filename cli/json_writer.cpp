#include "cli/json_writer.h"

#include <cmath>
#include <cstdio>

#include "platform/text.h"

namespace cli {

std::string JsonEscape(std::string_view utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  out += '"';
  return out;
}

void JsonWriter::Separator() {
  if (!first_.back()) out_ += ',';
  first_.back() = false;
}

void JsonWriter::WriteKey(std::string_view key) {
  Separator();
  if (!key.empty()) out_ += JsonEscape(key) + ':';
}

JsonWriter& JsonWriter::BeginObject(std::string_view key) {
  WriteKey(key);
  out_ += '{';
  first_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  out_ += '}';
  first_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::BeginArray(std::string_view key) {
  WriteKey(key);
  out_ += '[';
  first_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  out_ += ']';
  first_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  WriteKey(key);
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view key, std::u16string_view value) {
  return String(key, std::string_view(plat::Utf16ToUtf8(value)));
}

JsonWriter& JsonWriter::String(std::string_view key, std::string_view value) {
  WriteKey(key);
  out_ += JsonEscape(value);
  return *this;
}

JsonWriter& JsonWriter::Number(std::string_view key, int64_t value) {
  WriteKey(key);
  out_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Real(std::string_view key, double value, int decimals) {
  if (!std::isfinite(value)) return Null(key);
  WriteKey(key);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  out_ += text;
  return *this;
}

JsonWriter& JsonWriter::Bool(std::string_view key, bool value) {
  WriteKey(key);
  out_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null(std::string_view key) {
  WriteKey(key);
  out_ += "null";
  return *this;
}

JsonWriter& JsonWriter::Raw(std::string_view key, std::string_view json) {
  WriteKey(key);
  out_ += json;
  return *this;
}

}  // namespace cli
