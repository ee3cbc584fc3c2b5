// Small per-user settings kept by key and value name. Windows: registry
// values under HKEY_CURRENT_USER. Elsewhere: files in the user's
// configuration folder, a folder standing for each key and a file for each
// value, holding the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class UserStore {
 public:
  // root: where keys are found. Windows: a key path under HKEY_CURRENT_USER;
  // elsewhere a folder. DefaultRoot() is the user's own: "software" on
  // Windows, the configuration folder (which stands for it) elsewhere.
  explicit UserStore(std::u16string root);
  static std::u16string DefaultRoot();

  enum class KeyState { Failed, Created, Existed };
  // key: parts below root joined by '\\' ("MXF_Tobrell\\Window"). Creates
  // the key when it is missing.
  KeyState OpenKey(std::u16string_view key) const;
  bool KeyExists(std::u16string_view key) const;
  // The whole value; false when the key or the value is missing or cannot
  // be read.
  bool ReadValue(std::u16string_view key, std::u16string_view name, std::vector<uint8_t>* bytes) const;
  // Replaces the value with `size` bytes (binary in the registry); the key
  // must exist.
  bool WriteValue(std::u16string_view key, std::u16string_view name, const uint8_t* data, size_t size) const;

 private:
  std::u16string root_;
};

}  // namespace plat
