// The main window's stored placement: its normal (restored) rectangle as 16
// bytes, four little-endian int32 values left, top, width, height. On
// Windows these are the value "position" of the registry key
// "software\MXF_Tobrell\Window" under the current user; here they are the
// file MXF_Tobrell/Window/position in the user's configuration folder, the
// folder standing for the key and the file for the value.
#pragma once

#include <QRect>
#include <array>
#include <cstdint>
#include <string>

class QWidget;

inline constexpr char16_t kPlacementKey[] = u"software\\MXF_Tobrell";
inline constexpr char16_t kPlacementSubkey[] = u"Window";
inline constexpr char16_t kPlacementValue[] = u"position";
inline constexpr size_t kPlacementBytes = 16;

std::array<uint8_t, kPlacementBytes> EncodePlacement(const QRect& normal);
QRect DecodePlacement(const std::array<uint8_t, kPlacementBytes>& bytes);

class PlacementStore {
 public:
  // configRoot: the folder holding the key folder ($XDG_CONFIG_HOME or
  // ~/.config by default).
  explicit PlacementStore(std::u16string configRoot);
  static PlacementStore Default();

  enum class KeyState { Failed, Created, Existed };
  // Creates the key folder when it is missing.
  KeyState OpenKey() const;
  // The value; false when it is missing or shorter than 16 bytes.
  bool ReadValue(std::array<uint8_t, kPlacementBytes>* bytes) const;
  bool WriteValue(const std::array<uint8_t, kPlacementBytes>& bytes) const;

  std::u16string KeyFolder() const;
  std::u16string ValuePath() const;

 private:
  std::u16string root_;
};

// Before the window is first shown: moves and sizes it to the stored
// rectangle. A new key keeps the default placement; a key without a usable
// value gives the default place at no less than the minimum size. Returns
// true when a stored rectangle was applied.
bool RestorePlacement(const PlacementStore& store, QWidget* window);
// When the window is destroyed: stores its normal rectangle (the one a
// maximised or minimised window returns to).
void StorePlacement(const PlacementStore& store, const QWidget* window);
