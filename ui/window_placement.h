// The main window's stored placement: its normal (restored) rectangle as 16
// bytes, four little-endian int32 values left, top, width, height. On
// Windows these are the value "position" of the registry key
// "software\MXF_Tobrell\Window" under the current user; elsewhere they are
// the file MXF_Tobrell/Window/position in the user's configuration folder,
// the folder standing for the key and the file for the value.
#pragma once

#include <QRect>
#include <array>
#include <cstdint>
#include <string>

#include "platform/user_store.h"

class QWidget;

inline constexpr char16_t kPlacementKey[] = u"software\\MXF_Tobrell";
inline constexpr char16_t kPlacementSubkey[] = u"Window";
inline constexpr char16_t kPlacementValue[] = u"position";
inline constexpr size_t kPlacementBytes = 16;

std::array<uint8_t, kPlacementBytes> EncodePlacement(const QRect& normal);
QRect DecodePlacement(const std::array<uint8_t, kPlacementBytes>& bytes);

class PlacementStore {
 public:
  // root: the user store's root standing for "software" (see
  // plat::UserStore; plat::UserStore::DefaultRoot() for the user's own).
  explicit PlacementStore(std::u16string root);
  static PlacementStore Default();

  using KeyState = plat::UserStore::KeyState;
  // Creates the key when it is missing.
  KeyState OpenKey() const;
  bool KeyExists() const;
  // The value; false when it is missing or shorter than 16 bytes.
  bool ReadValue(std::array<uint8_t, kPlacementBytes>* bytes) const;
  bool WriteValue(const std::array<uint8_t, kPlacementBytes>& bytes) const;

  // The key below the root: "MXF_Tobrell\Window".
  static std::u16string KeyPath();
  const plat::UserStore& store() const { return store_; }

 private:
  plat::UserStore store_;
};

// Before the window is first shown: moves and sizes it to the stored
// rectangle. A new key keeps the default placement; a key without a usable
// value gives the default place at no less than the minimum size. Returns
// true when a stored rectangle was applied.
bool RestorePlacement(const PlacementStore& store, QWidget* window);
// When the window is destroyed: stores its normal rectangle (the one a
// maximised or minimised window returns to).
void StorePlacement(const PlacementStore& store, const QWidget* window);
