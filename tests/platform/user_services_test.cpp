// The per-user services of the desktop application: the instance lock and
// the user store (registry on Windows, folders and files elsewhere).
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/instance_lock.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/user_store.h"
#include "scratch_dir.h"

using namespace plat;

namespace {

class UserServices : public ScratchDir {
 protected:
  // The scratch folder's name makes lock and registry names of this test's own.
  std::u16string Unique() const { return FileNamePart(Utf8ToUtf16(dir())); }
  std::u16string StoreRoot() const {
#ifdef _WIN32
    return u"software\\VelmoraTests\\" + Unique();
#else
    return Utf8ToUtf16(dir());
#endif
  }
};

TEST_F(UserServices, InstanceLockIsExclusiveUntilReleased) {
  const std::u16string folder = Utf8ToUtf16(dir());
  const std::u16string name = u"velmora-test-" + Unique();
  {
    InstanceLock first;
    ASSERT_TRUE(first.Acquire(folder, name));
    EXPECT_TRUE(first.Acquire(folder, name));  // the holder asking again keeps it
    InstanceLock second;
    EXPECT_FALSE(second.Acquire(folder, name));
    EXPECT_FALSE(second.held());
    InstanceLock other;
    EXPECT_TRUE(other.Acquire(folder, name + u"-other"));
    // Moving the lock keeps it held.
    InstanceLock moved = std::move(first);
    EXPECT_TRUE(moved.held());
    EXPECT_FALSE(second.Acquire(folder, name));
  }
  InstanceLock later;
  EXPECT_TRUE(later.Acquire(folder, name));
}

TEST_F(UserServices, UserStoreKeysAndValues) {
  const UserStore store(StoreRoot());
  const std::u16string key = u"Maker\\Window";
  std::vector<uint8_t> value;
  EXPECT_FALSE(store.KeyExists(key));
  EXPECT_FALSE(store.ReadValue(key, u"position", &value));
  const uint8_t bytes[16] = {0xF8, 0xFF, 0xFF, 0xFF, 0x10, 0, 0, 0, 0x14, 0x05, 0, 0, 0xBC, 0x02, 0, 0};
  // Writing never creates the key.
  EXPECT_FALSE(store.WriteValue(key, u"position", bytes, sizeof bytes));
  EXPECT_FALSE(store.KeyExists(key));

  EXPECT_EQ(store.OpenKey(key), UserStore::KeyState::Created);
  EXPECT_EQ(store.OpenKey(key), UserStore::KeyState::Existed);
  EXPECT_TRUE(store.KeyExists(key));
  EXPECT_TRUE(store.KeyExists(u"Maker"));
  EXPECT_FALSE(store.ReadValue(key, u"position", &value));

  ASSERT_TRUE(store.WriteValue(key, u"position", bytes, sizeof bytes));
  ASSERT_TRUE(store.ReadValue(key, u"position", &value));
  EXPECT_EQ(value, std::vector<uint8_t>(std::begin(bytes), std::end(bytes)));
  // A shorter value replaces the whole old one.
  ASSERT_TRUE(store.WriteValue(key, u"position", bytes + 4, 7));
  ASSERT_TRUE(store.ReadValue(key, u"position", &value));
  EXPECT_EQ(value, std::vector<uint8_t>(bytes + 4, bytes + 11));

  // Japanese key and value names.
  EXPECT_EQ(store.OpenKey(u"音声\\窓"), UserStore::KeyState::Created);
  ASSERT_TRUE(store.WriteValue(u"音声\\窓", u"位置", bytes, 3));
  ASSERT_TRUE(store.ReadValue(u"音声\\窓", u"位置", &value));
  EXPECT_EQ(value.size(), 3u);

#ifndef _WIN32
  // Elsewhere the key is a folder and the value a file of the same bytes.
  ASSERT_TRUE(store.WriteValue(key, u"position", bytes, sizeof bytes));
  std::ifstream file(dir() + "/Maker/Window/position", std::ios::binary);
  const std::vector<uint8_t> onDisk((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(onDisk, std::vector<uint8_t>(std::begin(bytes), std::end(bytes)));
#endif
}

}  // namespace
