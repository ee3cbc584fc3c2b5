// The user store on Windows: registry keys and binary values under
// HKEY_CURRENT_USER.
#include <windows.h>

#include "platform/user_store.h"

namespace plat {

namespace {

std::u16string KeyPath(const std::u16string& root, std::u16string_view key) {
  std::u16string path = root;
  if (!path.empty() && !key.empty()) path += u'\\';
  path += key;
  return path;
}

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace

UserStore::UserStore(std::u16string root) : root_(std::move(root)) {}

std::u16string UserStore::DefaultRoot() { return u"software"; }

UserStore::KeyState UserStore::OpenKey(std::u16string_view key) const {
  HKEY handle = nullptr;
  DWORD disposition = 0;
  const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, W(KeyPath(root_, key)), 0, nullptr,
                                         REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &handle,
                                         &disposition);
  if (status != ERROR_SUCCESS) return KeyState::Failed;
  RegCloseKey(handle);
  return disposition == REG_CREATED_NEW_KEY ? KeyState::Created : KeyState::Existed;
}

bool UserStore::KeyExists(std::u16string_view key) const {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, W(KeyPath(root_, key)), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

bool UserStore::ReadValue(std::u16string_view key, std::u16string_view name, std::vector<uint8_t>* bytes) const {
  const std::u16string path = KeyPath(root_, key);
  const std::u16string value(name);
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, W(path), W(value), RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  std::vector<uint8_t> buffer(size);
  if (RegGetValueW(HKEY_CURRENT_USER, W(path), W(value), RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                   buffer.empty() ? nullptr : buffer.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  buffer.resize(size);
  *bytes = std::move(buffer);
  return true;
}

bool UserStore::WriteValue(std::u16string_view key, std::u16string_view name, const uint8_t* data,
                           size_t size) const {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, W(KeyPath(root_, key)), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) {
    return false;
  }
  const std::u16string value(name);
  const LSTATUS status = RegSetValueExW(handle, W(value), 0, REG_BINARY, data, static_cast<DWORD>(size));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

}  // namespace plat
