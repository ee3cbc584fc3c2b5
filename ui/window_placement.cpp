#include "ui/window_placement.h"

#include <QWidget>

#include "platform/file.h"
#include "platform/path.h"
#include "ui/qt_text.h"

#include <QDir>

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

// The key path's last part is the folder under MXF_Tobrell.
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

PlacementStore::PlacementStore(std::u16string configRoot) : root_(std::move(configRoot)) {}

PlacementStore PlacementStore::Default() { return PlacementStore(plat::ConfigFolder()); }

std::u16string PlacementStore::KeyFolder() const {
  return plat::JoinPath(plat::JoinPath(root_, KeyTail()), kPlacementSubkey);
}

std::u16string PlacementStore::ValuePath() const { return plat::JoinPath(KeyFolder(), kPlacementValue); }

PlacementStore::KeyState PlacementStore::OpenKey() const {
  if (root_.empty()) return KeyState::Failed;
  const QString folder = Q(KeyFolder());
  if (QDir(folder).exists()) return KeyState::Existed;
  return QDir().mkpath(folder) ? KeyState::Created : KeyState::Failed;
}

bool PlacementStore::ReadValue(std::array<uint8_t, kPlacementBytes>* bytes) const {
  plat::File file = plat::File::Open(ValuePath(), plat::Access::Read, plat::Share::Shared);
  if (!file.valid()) return false;
  uint8_t buffer[kPlacementBytes];
  if (file.ReadAt(0, buffer, kPlacementBytes) != static_cast<int64_t>(kPlacementBytes)) return false;
  std::copy(std::begin(buffer), std::end(buffer), bytes->begin());
  return true;
}

bool PlacementStore::WriteValue(const std::array<uint8_t, kPlacementBytes>& bytes) const {
  plat::File file = plat::File::Open(ValuePath(), plat::Access::Write, plat::Share::Exclusive);
  if (!file.valid()) return false;
  return file.WriteAt(0, bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size());
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
