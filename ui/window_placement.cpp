#include "ui/window_placement.h"

#include <QWidget>

#include <vector>

namespace {

void PutLe32(uint8_t* p, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

int32_t GetLe32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                              (uint32_t{p[3]} << 24));
}

// The key path's last part ("MXF_Tobrell"): the root stands for "software".
std::u16string KeyTail() {
  const std::u16string key(kPlacementKey);
  const size_t slash = key.rfind(u'\\');
  return slash == std::u16string::npos ? key : key.substr(slash + 1);
}

}  // namespace

std::array<uint8_t, kPlacementBytes> EncodePlacement(const QRect& normal) {
  std::array<uint8_t, kPlacementBytes> bytes{};
  PutLe32(&bytes[0], normal.left());
  PutLe32(&bytes[4], normal.top());
  PutLe32(&bytes[8], normal.width());
  PutLe32(&bytes[12], normal.height());
  return bytes;
}

QRect DecodePlacement(const std::array<uint8_t, kPlacementBytes>& bytes) {
  return QRect(GetLe32(&bytes[0]), GetLe32(&bytes[4]), GetLe32(&bytes[8]), GetLe32(&bytes[12]));
}

PlacementStore::PlacementStore(std::u16string root) : store_(std::move(root)) {}

PlacementStore PlacementStore::Default() { return PlacementStore(plat::UserStore::DefaultRoot()); }

std::u16string PlacementStore::KeyPath() { return KeyTail() + u"\\" + kPlacementSubkey; }

PlacementStore::KeyState PlacementStore::OpenKey() const { return store_.OpenKey(KeyPath()); }

bool PlacementStore::KeyExists() const { return store_.KeyExists(KeyPath()); }

bool PlacementStore::ReadValue(std::array<uint8_t, kPlacementBytes>* bytes) const {
  std::vector<uint8_t> value;
  if (!store_.ReadValue(KeyPath(), kPlacementValue, &value) || value.size() < kPlacementBytes) return false;
  std::copy(value.begin(), value.begin() + kPlacementBytes, bytes->begin());
  return true;
}

bool PlacementStore::WriteValue(const std::array<uint8_t, kPlacementBytes>& bytes) const {
  return store_.WriteValue(KeyPath(), kPlacementValue, bytes.data(), bytes.size());
}

bool RestorePlacement(const PlacementStore& store, QWidget* window) {
  const PlacementStore::KeyState key = store.OpenKey();
  if (key != PlacementStore::KeyState::Existed) return false;
  std::array<uint8_t, kPlacementBytes> bytes{};
  const QSize minimum = window->minimumSize();
  if (!store.ReadValue(&bytes)) {
    window->resize(window->size().expandedTo(minimum));
    return false;
  }
  QRect rect = DecodePlacement(bytes);
  rect.setSize(rect.size().expandedTo(minimum));
  window->setGeometry(rect);
  return true;
}

void StorePlacement(const PlacementStore& store, const QWidget* window) {
  if (store.OpenKey() == PlacementStore::KeyState::Failed) return;
  const QRect normal = window->isMaximized() || window->isMinimized() || window->isFullScreen()
                           ? window->normalGeometry()
                           : window->geometry();
  store.WriteValue(EncodePlacement(normal));
}
