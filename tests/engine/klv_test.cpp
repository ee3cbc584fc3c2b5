#include "engine/klv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engine/byte_order.h"
#include "platform/file.h"
#include "tests/engine/klv_bytes.h"

namespace {

struct Hit {
  bool found = false;
  uint64_t offset = 0;  // value offset on success, stop offset on failure (buffer)
  KLV_LENGTH length;
};

// Scans an exact-size heap copy, so that any read past the end is caught by
// the address sanitizer.
Hit ScanBuffer(const Key16& pattern, const Bytes& data) {
  std::vector<uint8_t> copy(data);
  Hit hit;
  size_t off = 12345;
  hit.length = KLV_LENGTH{7, 7};
  hit.found = FindKlvInBuffer(pattern.b, copy.empty() ? nullptr : copy.data(), copy.size(), &off,
                              &hit.length);
  hit.offset = off;
  return hit;
}

Hit ScanFile(plat::File* file, const Key16& pattern, uint64_t start, uint64_t end) {
  Hit hit;
  hit.length = KLV_LENGTH{7, 7};
  hit.found = FindKlvInFile(file, pattern.b, start, end, &hit.length);
  hit.offset = hit.found ? file->Tell() : 0;
  return hit;
}

plat::File OpenRead(const ScratchFile& f) {
  return plat::File::Open(f.path16(), plat::Access::Read, plat::Share::Shared);
}

Key16 WithByte(Key16 k, int index, uint8_t v) {
  k.b[index] = v;
  return k;
}

}  // namespace

TEST(ByteOrder, ReadsBigEndian) {
  const uint8_t b[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  EXPECT_EQ(ReadBE16(b), 0x0123u);
  EXPECT_EQ(ReadBE24(b), 0x012345u);
  EXPECT_EQ(ReadBE32(b), 0x01234567u);
  EXPECT_EQ(ReadBE64(b), 0x0123456789ABCDEFull);
  const uint8_t high[4] = {0xFF, 0xFE, 0x80, 0x01};
  EXPECT_EQ(ReadBE32(high), 0xFFFE8001u);  // no sign extension
}

TEST(KlvKey, WildcardsMatchAnyByteOnlyWhereTheyStand) {
  const Key16 key = MakeKey(0x10);
  EXPECT_TRUE(KlvKeyMatches(key.b, key.b));

  // Version byte wildcard.
  const Key16 anyVersion = WithByte(key, 7, 0xFF);
  for (uint8_t v : {0x01, 0x02, 0x0A, 0x00}) EXPECT_TRUE(KlvKeyMatches(anyVersion.b, WithByte(key, 7, v).b));
  EXPECT_FALSE(KlvKeyMatches(anyVersion.b, WithByte(key, 6, 0x02).b));
  EXPECT_FALSE(KlvKeyMatches(key.b, WithByte(key, 7, 0x02).b));

  // Element count and element number wildcards (bytes 13 and 15).
  const Key16 anyElement = WithByte(WithByte(key, 13, 0xFF), 15, 0xFF);
  EXPECT_TRUE(KlvKeyMatches(anyElement.b, WithByte(WithByte(key, 13, 0x18), 15, 0x07).b));
  EXPECT_FALSE(KlvKeyMatches(anyElement.b, WithByte(key, 14, 0x31).b));
}

TEST(FindKlvInBuffer, WildcardPatternsFindItemsTheExactPatternMisses) {
  const Key16 key = MakeKey(0x10);
  Bytes data;
  AppendItem4(&data, WithByte(WithByte(key, 7, 0x03), 13, 0x05), {0xAA, 0xBB});

  EXPECT_FALSE(ScanBuffer(key, data).found);
  EXPECT_FALSE(ScanBuffer(WithByte(key, 7, 0xFF), data).found);
  const Hit hit = ScanBuffer(WithByte(WithByte(key, 7, 0xFF), 13, 0xFF), data);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.offset, 20u);
  EXPECT_EQ(hit.length.low, 2u);
}

TEST(FindKlvInBuffer, UnmatchedItemIsSkippedWholeByItsLength) {
  const Key16 outer = MakeKey(1), wanted = MakeKey(2);
  Bytes inner;
  AppendItem4(&inner, wanted, {'i', 'n'});
  Bytes data;
  AppendItem4(&data, outer, inner);  // a matching key hides inside the value
  const size_t secondAt = data.size();
  AppendItem8(&data, wanted, {'o', 'u', 't'});

  const Hit hit = ScanBuffer(wanted, data);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.offset, secondAt + 24);
  EXPECT_EQ(hit.length.high, 0u);
  EXPECT_EQ(hit.length.low, 3u);
}

TEST(FindKlvInBuffer, OtherLengthFormsAreNotItemsAndTheScanResumesAfterTheKey) {
  const Key16 wanted = MakeKey(2);
  // Each form claims a length that, if honoured, would jump over the real item
  // placed right behind it.
  const std::vector<Bytes> forms = {
      {0x30}, {0x81, 0x30}, {0x82, 0x00, 0x30}, {0x84, 0x00, 0x00, 0x00, 0x30}, {0x80}, {0x88}};
  for (const Bytes& form : forms) {
    SCOPED_TRACE(testing::Message() << "first length byte " << int(form[0]));
    Bytes data;
    AppendKey(&data, wanted);
    Append(&data, form);
    const size_t realAt = data.size();
    AppendItem4(&data, wanted, Filled(5, 0x11));
    Append(&data, Filled(0x40, 0x00));

    const Hit hit = ScanBuffer(wanted, data);
    ASSERT_TRUE(hit.found);
    EXPECT_EQ(hit.offset, realAt + 20);
    EXPECT_EQ(hit.length.low, 5u);
  }

  // A short-form item alone is never found, even with an exact key.
  Bytes alone;
  AppendKey(&alone, wanted);
  Append(&alone, {0x04, 1, 2, 3, 4});
  EXPECT_FALSE(ScanBuffer(wanted, alone).found);
}

// The probe after an unrecognised length starts behind the whole key, not one
// byte on: a prefix hidden inside that key's own bytes is never probed.
TEST(KlvScanners, AfterAnUnrecognisedLengthTheKeyIsNotProbedAgain) {
  Key16 pattern = MakeKey(5);
  pattern.b[12] = 0xFF;
  Bytes data = {0x06, 0x0E, 0x2B, 0x34};  // outer key, holding the pattern's first 12 bytes
  data.insert(data.end(), pattern.b, pattern.b + 12);
  Append(&data, {0x10, 0x01, 0x30, 0x05});  // short length, and bytes 12..15 of the inner "key"
  Append(&data, {0x83, 0x00, 0x00, 0x00});  // the inner "key"'s 4-byte length
  Append(&data, Filled(20, 0x00));

  EXPECT_FALSE(ScanBuffer(pattern, data).found);
  ScratchFile f(data);
  ASSERT_TRUE(f.ok());
  plat::File file = OpenRead(f);
  EXPECT_FALSE(ScanFile(&file, pattern, 0, data.size()).found);
  // Probed from byte 4, the same bytes are an item.
  EXPECT_TRUE(ScanFile(&file, pattern, 4, data.size()).found);
}

TEST(FindKlvInBuffer, EightByteLengthsAreSplitIntoHalves) {
  const Key16 key = MakeKey(3);
  Bytes data;
  AppendKey(&data, key);
  Append(&data, {0x87, 0x00, 0x00, 0x00, 0x00, 0x00, 0x12, 0x34});
  Append(&data, Filled(0x1234, 0x5A));
  Hit hit = ScanBuffer(key, data);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.offset, 24u);
  EXPECT_EQ(hit.length.high, 0u);
  EXPECT_EQ(hit.length.low, 0x1234u);

  // The value need not be present for the key to match.
  Bytes big;
  AppendKey(&big, key);
  Append(&big, {0x87, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE});
  hit = ScanBuffer(key, big);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.length.high, 0x123456u);
  EXPECT_EQ(hit.length.low, 0x789ABCDEu);
  EXPECT_EQ(hit.length.value(), 0x123456789ABCDEull);

  // Four-byte form: 24-bit value.
  Bytes four;
  AppendKey(&four, key);
  Append(&four, {0x83, 0xAB, 0xCD, 0xEF});
  hit = ScanBuffer(key, four);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.length.value(), 0xABCDEFull);
}

TEST(FindKlvInBuffer, BytesWithoutThePrefixAreProbedOneByOne) {
  const Key16 key = MakeKey(4);
  // Partial prefixes and a prefix split across the garbage.
  Bytes data = {0x06, 0x0E, 0x2B, 0x06, 0x06, 0x0E, 0x00, 0x2B, 0x34, 0x06, 0x0E};
  const size_t itemAt = data.size();
  AppendItem4(&data, key, {9, 8, 7});
  const Hit hit = ScanBuffer(key, data);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.offset, itemAt + 20);
}

TEST(FindKlvInBuffer, NeverLooksPastTheEnd) {
  const Key16 key = MakeKey(5);

  // Too short to hold a key and a 4-byte length.
  Bytes nineteen;
  AppendKey(&nineteen, key);
  Append(&nineteen, {0x83, 0x00, 0x00});
  Hit hit = ScanBuffer(key, nineteen);
  EXPECT_FALSE(hit.found);
  EXPECT_EQ(hit.offset, 0u);
  EXPECT_EQ(hit.length.value(), 0u);

  // Exactly a key and an empty 4-byte length.
  Bytes twenty = nineteen;
  twenty.push_back(0x00);
  hit = ScanBuffer(key, twenty);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.offset, 20u);
  EXPECT_EQ(hit.length.value(), 0u);

  // An 8-byte length cut by the end of the buffer.
  Bytes cut8;
  AppendKey(&cut8, key);
  Append(&cut8, {0x87, 0x00, 0x00, 0x00, 0x00, 0x00});
  EXPECT_FALSE(ScanBuffer(key, cut8).found);

  // Every truncation of a stream: the wanted item is found exactly when its
  // key and length lie inside.
  Bytes stream = {0x00, 0x01, 0x02};
  AppendItem8(&stream, MakeKey(6), Filled(10, 0x22));
  const size_t wantedAt = stream.size();
  AppendItem4(&stream, key, Filled(10, 0x33));
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    const Bytes part(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
    hit = ScanBuffer(key, part);
    EXPECT_EQ(hit.found, cut >= wantedAt + 20) << "cut " << cut;
    EXPECT_LE(hit.offset, cut);
  }
}

// A reader that scans a long area piece by piece resumes the next piece at
// the stop offset, so it must be the first probe the scan could not examine.
TEST(FindKlvInBuffer, StopsWhereTheNextProbeStands) {
  const Key16 key = MakeKey(5);
  Bytes data;
  AppendItem4(&data, MakeKey(1), Filled(7, 0x00));
  const size_t tail = data.size();

  Bytes cutKey = data;  // the next key is cut by the end
  cutKey.insert(cutKey.end(), key.b, key.b + 10);
  EXPECT_EQ(ScanBuffer(key, cutKey).offset, tail);

  Bytes cutLength = data;  // key and the start of an 8-byte length
  AppendKey(&cutLength, key);
  Append(&cutLength, {0x87, 0x00, 0x00, 0x00});
  EXPECT_EQ(ScanBuffer(key, cutLength).offset, tail);

  Bytes runIn = data;  // bytes that cannot start a key: probes up to 20 from the end
  Append(&runIn, Filled(30, 0x55));
  EXPECT_EQ(ScanBuffer(key, runIn).offset, runIn.size() - 19);
}

TEST(FindKlvInBuffer, AnUnmatchedItemRunningPastTheEndStopsTheScanAtTheEnd) {
  const Key16 key = MakeKey(7);
  for (const Bytes& lengthField : std::vector<Bytes>{
           {0x83, 0x00, 0x01, 0x00},
           {0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
           {0x87, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xF0}}) {
    Bytes data;
    AppendKey(&data, MakeKey(8));
    Append(&data, lengthField);
    AppendItem4(&data, key, {1});  // hidden by the claimed length
    const Hit hit = ScanBuffer(key, data);
    EXPECT_FALSE(hit.found);
    EXPECT_EQ(hit.offset, data.size());
    EXPECT_EQ(hit.length.value(), 0u);  // cleared, not left at the skipped item's
  }
}

TEST(FindKlvInBuffer, NullArgumentsFindNothing) {
  Bytes data;
  AppendItem4(&data, MakeKey(1), {1, 2});
  size_t off = 99;
  KLV_LENGTH len{1, 1};
  EXPECT_FALSE(FindKlvInBuffer(MakeKey(1).b, nullptr, data.size(), &off, &len));
  EXPECT_EQ(off, 0u);
  EXPECT_EQ(len.value(), 0u);
  EXPECT_FALSE(FindKlvInBuffer(nullptr, data.data(), data.size(), &off, &len));
  // Out parameters are optional.
  EXPECT_TRUE(FindKlvInBuffer(MakeKey(1).b, data.data(), data.size(), nullptr, nullptr));
}

class FindKlvInFileTest : public testing::Test {
 protected:
  void Load(const Bytes& content) {
    bytes_ = content;
    file_ = std::make_unique<ScratchFile>(content);
    ASSERT_TRUE(file_->ok());
    handle_ = OpenRead(*file_);
    ASSERT_TRUE(handle_.valid());
  }
  Bytes ReadValue(size_t n) {
    Bytes v(n);
    const int64_t got = handle_.Read(v.data(), n);
    v.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return v;
  }

  Bytes bytes_;
  std::unique_ptr<ScratchFile> file_;
  plat::File handle_;
};

TEST_F(FindKlvInFileTest, FindsTheItemAndLeavesThePointerOnItsValue) {
  const Key16 wanted = MakeKey(2);
  Bytes data;
  AppendItem4(&data, MakeKey(1), Filled(33, 0x01));
  Append(&data, {0x00, 0x06, 0x0E, 0x2B});  // run-in without a key
  const size_t wantedAt = data.size();
  AppendItem8(&data, wanted, {'v', 'a', 'l', 'u', 'e'});
  AppendItem4(&data, MakeKey(3), {});
  Load(data);

  const Hit hit = ScanFile(&handle_, wanted, 0, data.size());
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.offset, wantedAt + 24);
  EXPECT_EQ(hit.length.low, 5u);
  EXPECT_EQ(ReadValue(5), (Bytes{'v', 'a', 'l', 'u', 'e'}));

  // Not there: false, length cleared even though items were probed.
  const Hit miss = ScanFile(&handle_, MakeKey(9), 0, data.size());
  EXPECT_FALSE(miss.found);
  EXPECT_EQ(miss.length.value(), 0u);
}

TEST_F(FindKlvInFileTest, TheWindowBoundsWhereAKeyMayBegin) {
  const Key16 wanted = MakeKey(2);
  Bytes data;
  AppendItem4(&data, MakeKey(1), Filled(12, 0x01));
  const uint64_t at = data.size();
  AppendItem4(&data, wanted, Filled(100, 0x02));
  AppendItem4(&data, wanted, Filled(3, 0x03));
  Load(data);

  EXPECT_FALSE(ScanFile(&handle_, wanted, at, at).found);      // empty window
  EXPECT_FALSE(ScanFile(&handle_, wanted, 0, at).found);       // ends where the key begins
  Hit hit = ScanFile(&handle_, wanted, 0, at + 1);              // item reaches past the end
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.offset, at + 20);
  EXPECT_EQ(hit.length.low, 100u);

  // Starting inside the first matching key: probed byte by byte until the next one.
  hit = ScanFile(&handle_, wanted, at + 1, data.size());
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.offset, at + 20 + 100 + 20);
  EXPECT_EQ(hit.length.low, 3u);

  EXPECT_FALSE(ScanFile(&handle_, wanted, data.size(), data.size() + 100).found);
  EXPECT_FALSE(ScanFile(&handle_, wanted, data.size() + 50, UINT64_MAX).found);
  EXPECT_FALSE(ScanFile(&handle_, wanted, uint64_t(INT64_MAX) + 1, UINT64_MAX).found);
}

TEST_F(FindKlvInFileTest, RepeatedScansWalkEveryMatchInOrder) {
  const Key16 pattern = WithByte(MakeKey(0), 15, 0xFF);
  Bytes data;
  std::vector<uint64_t> expected;
  for (uint8_t i = 0; i < 5; ++i) {
    AppendKey(&data, MakeKey(0x40));          // short form, never an item
    data.push_back(0x02);
    Append(&data, {0x00, 0x00});
    const Bytes value = Filled(i * 7u, i);
    if (i % 2) {
      AppendItem8(&data, MakeKey(i), value);
    } else {
      AppendItem4(&data, MakeKey(i), value);
    }
    expected.push_back(data.size() - value.size());
  }
  Load(data);

  std::vector<uint64_t> seen;
  uint64_t pos = 0;
  KLV_LENGTH len;
  while (FindKlvInFile(&handle_, pattern.b, pos, data.size(), &len)) {
    seen.push_back(handle_.Tell());
    pos = handle_.Tell() + len.value();
  }
  EXPECT_EQ(seen, expected);
}

TEST_F(FindKlvInFileTest, TruncatedKeysAndLengthsAtTheEndOfTheFile) {
  const Key16 key = MakeKey(4);
  Bytes full;
  AppendItem4(&full, MakeKey(1), {1, 2, 3});
  const size_t at = full.size();
  AppendItem4(&full, key, Filled(8, 0x44));

  for (size_t cut : {at + 10, at + 16, at + 17, at + 19}) {
    Load(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_FALSE(ScanFile(&handle_, key, 0, UINT64_MAX).found) << "cut " << cut;
  }
  // The value cut short: the item is still found with its claimed length.
  Load(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(at + 22)));
  const Hit hit = ScanFile(&handle_, key, 0, UINT64_MAX);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(hit.length.low, 8u);
  EXPECT_EQ(ReadValue(8), (Bytes{0x44, 0x44}));
}

TEST_F(FindKlvInFileTest, AbsurdLengthsEndTheScan) {
  const Key16 key = MakeKey(4);
  Bytes data;
  AppendKey(&data, MakeKey(1));
  Append(&data, {0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  AppendItem4(&data, key, {1});
  Load(data);
  EXPECT_FALSE(ScanFile(&handle_, key, 0, UINT64_MAX).found);
}

TEST(FindKlvInFile, UnusableFilesFindNothing) {
  const Key16 key = MakeKey(1);
  KLV_LENGTH len{3, 3};
  EXPECT_FALSE(FindKlvInFile(nullptr, key.b, 0, 100, &len));
  EXPECT_EQ(len.value(), 0u);
  plat::File closed;
  len = KLV_LENGTH{3, 3};
  EXPECT_FALSE(FindKlvInFile(&closed, key.b, 0, 100, &len));
  EXPECT_EQ(len.value(), 0u);
}

// Streams of well-formed items, short-form items and run-in bytes: both
// scanners must find exactly the items placed with a matching key, in order.
TEST(KlvScanners, FindExactlyThePlacedItems) {
  std::mt19937 rng(1234);
  auto byte = [&](int lo, int hi) { return static_cast<uint8_t>(std::uniform_int_distribution<int>(lo, hi)(rng)); };
  auto noPrefixByte = [&] {
    uint8_t b = byte(0, 255);
    return b == 0x06 ? uint8_t{0x07} : b;
  };
  const Key16 pattern = WithByte(WithByte(MakeKey(0), 7, 0xFF), 15, 0xFF);

  for (int round = 0; round < 40; ++round) {
    Bytes data;
    std::vector<std::pair<uint64_t, uint32_t>> placed;  // value offset, length
    const int pieces = byte(1, 30);
    for (int p = 0; p < pieces; ++p) {
      Bytes value(byte(0, 60));
      for (auto& b : value) b = noPrefixByte();
      Key16 key = WithByte(WithByte(MakeKey(byte(0, 9)), 7, byte(1, 3)), 14, byte(0x30, 0x31));
      const bool matches = key.b[14] == 0x30;
      switch (byte(0, 3)) {
        case 0:
          AppendItem4(&data, key, value);
          if (matches) placed.emplace_back(data.size() - value.size(), uint32_t(value.size()));
          break;
        case 1:
          AppendItem8(&data, key, value);
          if (matches) placed.emplace_back(data.size() - value.size(), uint32_t(value.size()));
          break;
        case 2:  // short form: its value is passed byte by byte
          AppendKey(&data, key);
          data.push_back(value.size() == 0x06 ? uint8_t{0x05} : uint8_t(value.size()));
          Append(&data, value);
          break;
        default:  // run-in bytes
          Append(&data, Bytes(value.size() % 9, 0x00));
          for (size_t i = 0; i < value.size() % 9; ++i) data[data.size() - 1 - i] = noPrefixByte();
          break;
      }
    }

    std::vector<std::pair<uint64_t, uint32_t>> inBuffer, inFile;
    for (size_t pos = 0;;) {
      size_t off = 0;
      KLV_LENGTH len;
      if (!FindKlvInBuffer(pattern.b, data.data() + pos, data.size() - pos, &off, &len)) break;
      inBuffer.emplace_back(pos + off, len.low);
      pos += off + len.low;
    }
    ScratchFile f(data);
    ASSERT_TRUE(f.ok());
    plat::File file = OpenRead(f);
    ASSERT_TRUE(file.valid());
    KLV_LENGTH len;
    for (uint64_t pos = 0; FindKlvInFile(&file, pattern.b, pos, data.size(), &len);) {
      inFile.emplace_back(file.Tell(), len.low);
      pos = file.Tell() + len.low;
    }
    EXPECT_EQ(inBuffer, placed) << "round " << round;
    EXPECT_EQ(inFile, placed) << "round " << round;
  }
}

// Noise salted with prefixes and length bytes: whatever the bytes say, the
// two scanners agree from every start offset.
TEST(KlvScanners, AgreeOnNoise) {
  std::mt19937 rng(99);
  const Key16 pattern = WithByte(WithByte(MakeKey(0), 13, 0xFF), 15, 0xFF);
  for (int round = 0; round < 20; ++round) {
    Bytes data(std::uniform_int_distribution<int>(0, 300)(rng));
    for (auto& b : data) {
      const int r = std::uniform_int_distribution<int>(0, 99)(rng);
      b = r < 10 ? 0x83 : r < 20 ? 0x87 : static_cast<uint8_t>(rng());
    }
    for (size_t i = 0; i + 16 <= data.size(); i += std::uniform_int_distribution<int>(1, 40)(rng)) {
      const Key16 k = WithByte(MakeKey(uint8_t(rng())), 14, (rng() & 1) ? 0x30 : 0x31);
      std::memcpy(data.data() + i, k.b, 16);
      if (i + 20 <= data.size() && (rng() & 1)) {
        data[i + 16] = 0x83;
        data[i + 17] = 0;
        data[i + 18] = 0;
      }
    }
    ScratchFile f(data);
    ASSERT_TRUE(f.ok());
    plat::File file = OpenRead(f);
    ASSERT_TRUE(file.valid());
    for (size_t start = 0; start < data.size(); start += 3) {
      const Bytes tail(data.begin() + static_cast<std::ptrdiff_t>(start), data.end());
      const Hit b = ScanBuffer(pattern, tail);
      const Hit fh = ScanFile(&file, pattern, start, data.size());
      ASSERT_EQ(b.found, fh.found) << "round " << round << " start " << start;
      if (b.found) {
        EXPECT_EQ(start + b.offset, fh.offset);
        EXPECT_EQ(b.length.value(), fh.length.value());
      }
    }
  }
}
