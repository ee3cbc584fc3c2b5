// Step 500 (file package dates), step 900 (identification) and the reset of
// the records before a new file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/analysis_steps.h"
#include "tests/analysis_header/header_bytes.h"
#include "timecode/timecode.h"

using namespace hdrtest;

namespace {

const Bytes kCreation = {0x07, 0xE8, 0x03, 0x0F, 0x0A, 0x1E, 0x2D, 0x00};  // 2024-03-15 10:30:45
const Bytes kModified = {0x07, 0xD0, 0x01, 0x02, 0x03, 0x04, 0x05, 0x00};  // 2000-01-02 03:04:05

std::u16string Text(const char16_t* field) { return std::u16string(field); }

std::u16string DateText(const plat::LocalTime& t) {
  char s[64];
  std::snprintf(s, sizeof s, "%04d/%02d/%02d  %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return std::u16string(s, s + std::char_traits<char>::length(s));
}

}  // namespace

TEST(FilePackage, CreationDateAndTheFilesOwnModificationTime) {
  Loaded l(Set(kSourcePackage, {Item(0x4401, Bytes(32, 0)), Item(0x4405, kCreation), Item(0x4404, kModified)}));
  ASSERT_TRUE(l.ok());
  // A known last-write time, an hour and a half past a whole second.
  plat::FileTime when;
  when.unixNanos = int64_t{1700000000} * 1000000000 + 5400 * int64_t{1000000000};
  {
    plat::File rw = plat::File::Open(l.mxf.path16(), plat::Access::ReadWrite, plat::Share::Shared);
    ASSERT_TRUE(rw.valid());
    ASSERT_TRUE(rw.SetModifiedTime(when));
  }
  ASSERT_EQ(ReadFilePackage(l.file(), l.base()), 0);
  EXPECT_EQ(Text(l.r.base.creationDate), u"2024/03/15  10:30:45");
  // Not the package's 2000-01-02: the file system's time in local time.
  EXPECT_EQ(Text(l.r.base.modifiedDate), DateText(plat::ToLocalTime(when)));
  EXPECT_NE(Text(l.r.base.modifiedDate).substr(0, 4), u"2000");
}

TEST(FilePackage, AbsentDatesLeaveTheTexts) {
  Loaded l(Set(kSourcePackage, {Item(0x4401, Bytes(32, 0))}));
  ASSERT_TRUE(l.ok());
  l.r.base.modifiedDate[0] = u'x';
  ASSERT_EQ(ReadFilePackage(l.file(), l.base()), 0);
  EXPECT_EQ(Text(l.r.base.creationDate), u"");
  EXPECT_EQ(Text(l.r.base.modifiedDate), u"x");
}

TEST(FilePackage, FirstSourcePackageInTheHeaderMetadata) {
  Bytes m = Set(kSourcePackage, {Item(0x4405, kCreation)});
  Put(&m, Set(kSourcePackage, {Item(0x4405, kModified)}));
  Loaded l(m, 1);
  ASSERT_TRUE(l.ok());
  ASSERT_EQ(ReadFilePackage(l.file(), l.base()), 0);
  EXPECT_EQ(Text(l.r.base.creationDate), u"2024/03/15  10:30:45");

  Loaded none(Set(kIdentification, {}));
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(ReadFilePackage(none.file(), none.base()), 504);

}

TEST(Identification, MissingSetGivesUnknownAndNeverFails) {
  Loaded l(Set(kPreface, {}));
  ASSERT_TRUE(l.ok());
  l.r.base.productVersion[0] = u'7';
  EXPECT_EQ(ReadIdentification(l.file(), l.base()), 0);
  EXPECT_EQ(Text(l.r.base.companyName), u"unknown");
  EXPECT_EQ(Text(l.r.base.productName), u"unknown");
  EXPECT_EQ(Text(l.r.base.platform), u"unknown");
  EXPECT_EQ(Text(l.r.base.productVersion), u"7");
}

TEST(Identification, TextsAreAsciiWithSpacesForEverythingElse) {
  Bytes odd = Utf16Be(u"AB");
  odd.push_back(0x43);  // a half unit: 'C' in the high byte reads as 0x4300
  Loaded l(Set(kIdentification, {Item(0x3C01, Utf16Be(u"Acme\tCo")), Item(0x3C02, Utf16Be(u"ABC\u00E9")),
                                  Item(0x3C04, Utf16Be(u"1.0\u65E5")), Item(0x3C08, odd),
                                  Item(0x3C05, Utf16Be(u"ignored"))}));
  ASSERT_TRUE(l.ok());
  EXPECT_EQ(ReadIdentification(l.file(), l.base()), 0);
  EXPECT_EQ(Text(l.r.base.companyName), u"Acme Co");
  EXPECT_EQ(Text(l.r.base.productName), u"ABC ");
  EXPECT_EQ(Text(l.r.base.productVersion), u"1.0 ");
  EXPECT_EQ(Text(l.r.base.platform), u"AB ");

  // A 0x0000 unit ends the string: what follows is not shown.
  Bytes terminated = Utf16Be(u"BBC");
  Put(&terminated, Bytes{0x00, 0x00});
  Put(&terminated, Utf16Be(u"junk"));
  Loaded t(Set(kIdentification, {Item(0x3C01, terminated), Item(0x3C02, Bytes{0x00, 0x00, 0x00, 0x41})}));
  ASSERT_TRUE(t.ok());
  EXPECT_EQ(ReadIdentification(t.file(), t.base()), 0);
  EXPECT_EQ(Text(t.r.base.companyName), u"BBC");
  EXPECT_EQ(Text(t.r.base.productName), u"");
}

TEST(Identification, TextsAreCutToTheirFields) {
  const std::u16string forty(40, u'v');
  const std::u16string hundred(100, u'c');
  Loaded l(Set(kIdentification, {Item(0x3C04, Utf16Be(forty)), Item(0x3C01, Utf16Be(hundred)),
                                  Item(0x3C02, Bytes{})}));
  ASSERT_TRUE(l.ok());
  EXPECT_EQ(ReadIdentification(l.file(), l.base()), 0);
  EXPECT_EQ(Text(l.r.base.productVersion), std::u16string(31, u'v'));
  EXPECT_EQ(Text(l.r.base.companyName), std::u16string(63, u'c'));
  EXPECT_EQ(Text(l.r.base.productName), u"");
  EXPECT_EQ(Text(l.r.base.platform), u"unknown");
}

TEST(Identification, WindowEndsWithTheHeaderMetadata) {
  // KAG 1: the set closes the header metadata and is found.
  Bytes m = Set(kPreface, {Item(0x3B05, Bytes(200, 0))});
  Put(&m, Set(kIdentification, {Item(0x3C02, Utf16Be(u"Writer"))}));
  Loaded kag1(m, 1);
  ASSERT_TRUE(kag1.ok());
  EXPECT_EQ(ReadIdentification(kag1.file(), kag1.base()), 0);
  EXPECT_EQ(Text(kag1.r.base.productName), u"Writer");

  // A set in the essence is not.
  MiniFile mf;
  mf.headerMetadata = Set(kPreface, {});
  BuiltFile b = Build(mf);
  const Bytes set = Set(kIdentification, {Item(0x3C02, Utf16Be(u"Writer"))});
  std::copy(set.begin(), set.end(), b.bytes.begin() + long(b.bodyEssenceStart));
  ScratchMxf f(b.bytes);
  Records r;
  ASSERT_EQ(ReadPartitions(f.file(), f.size(), &r.base), 0);
  EXPECT_EQ(ReadIdentification(f.file(), &r.base), 0);
  EXPECT_EQ(Text(r.base.productName), u"unknown");

}

TEST(HeaderSteps, ArgumentChecksComeFirst) {
  Loaded l(Set(kSourcePackage, {}));
  ASSERT_TRUE(l.ok());
  plat::File closed;
  std::vector<MXF_PARTITION_INFO> none;
  const struct {
    int (*run)(plat::File*, MXF_BASE_INFO*);
    int step;
  } steps[] = {{ReadPreface, 300}, {ReadTimecodeComponent, 400}, {ReadFilePackage, 500}, {ReadIdentification, 900}};
  for (const auto& s : steps) {
    EXPECT_EQ(s.run(nullptr, l.base()), s.step + 1);
    EXPECT_EQ(s.run(&closed, l.base()), s.step + 1);
    EXPECT_EQ(s.run(l.file(), nullptr), s.step + 2);
    l.r.base.partitions = nullptr;
    EXPECT_EQ(s.run(l.file(), l.base()), s.step + 3);
    l.r.base.partitions = &none;  // an empty list has no header partition
    EXPECT_EQ(s.run(l.file(), l.base()), s.step + 3);
    l.r.base.partitions = &l.r.partitions;
  }
  l.r.base.timecode = nullptr;
  EXPECT_EQ(ReadTimecodeComponent(l.file(), l.base()), 404);
}

TEST(ResetAnalysisRecords, ClearsWhatAPreviousFileLeft) {
  Records r;
  r.base.creationDate[0] = u'1';
  r.base.productVersion[0] = u'v';
  r.base.versionMinor = 3;
  r.base.hasAncillaryData = 1;
  r.base.dataElementSize = 64;
  r.partitions.resize(3);
  r.indexEntries.resize(10);
  r.timecode.frameRateClass = FRC_25;
  r.timecode.duration = 500;
  r.timecode.entryCount = 500;
  r.timecode.ioMethod = 1;
  r.audio.samplePattern = FRC_25;
  r.audio.trackCount = 8;
  r.video.displayWidth = 1920;

  ResetAnalysisRecords(&r.base);
  EXPECT_EQ(r.base.creationDate[0], u'\0');
  EXPECT_EQ(r.base.productVersion[0], u'\0');
  EXPECT_EQ(r.base.versionMinor, 0);
  EXPECT_EQ(r.base.hasAncillaryData, 0);
  EXPECT_EQ(r.base.dataElementSize, 0u);
  EXPECT_TRUE(r.partitions.empty());
  EXPECT_TRUE(r.indexEntries.empty());
  // A rate the next file does not state must not keep this file's class.
  EXPECT_EQ(r.timecode.frameRateClass, FRC_UNSUPPORTED);
  EXPECT_EQ(r.audio.samplePattern, FRC_UNSUPPORTED);
  EXPECT_EQ(r.timecode.duration, 0);
  EXPECT_EQ(r.timecode.entryCount, 0);
  EXPECT_EQ(r.timecode.ioMethod, 1);  // set for the job before the reset
  EXPECT_EQ(r.audio.trackCount, 0);
  EXPECT_EQ(r.video.displayWidth, 0u);
  ResetAnalysisRecords(nullptr);
}
