// A write that fails part way (a full disk, a file-size limit) fails the
// export with its own code, and the report names the incomplete files.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "export_fixture.h"

namespace export_test {
namespace {

struct EngineCase {
  const char* name;
  Engine run;
  int step;
};

void PrintTo(const EngineCase& c, std::ostream* os) { *os << c.name; }

class WriteFailures : public ExportTest, public ::testing::WithParamInterface<EngineCase> {
 protected:
  void SetUp() override {
    mxfgen::Options o;
    o.frames = 300;
    ASSERT_TRUE(Generate(o));
    Select(0, 299, {1, 4, 8});  // 1.4 MB of samples per file: the write buffers fill
  }

  void ExpectIncompleteFiles(int result, const std::string& folder) {
    EXPECT_EQ(result, GetParam().step + 15);
    const BWF_EXPORT_REPORT report = LastBwfExportReport();
    EXPECT_EQ(report.result, result);
    ASSERT_FALSE(report.files.empty());
    EXPECT_EQ(report.IncompleteFiles().size(), report.files.size());
    for (const BWF_EXPORT_FILE& f : report.files) {
      EXPECT_FALSE(f.complete);
      EXPECT_LT(f.bytesWritten, report.fileSize);
      EXPECT_EQ(std::filesystem::file_size(plat::Utf16ToUtf8(f.path)), f.bytesWritten);
      EXPECT_EQ(plat::Utf16ToUtf8(f.path).rfind(folder, 0), 0u);
    }
    const std::u16string text = IncompleteFilesText(report);
    for (const BWF_EXPORT_FILE& f : report.files) EXPECT_NE(text.find(f.path), std::u16string::npos);
  }
};

INSTANTIATE_TEST_SUITE_P(Both, WriteFailures,
                         ::testing::Values(EngineCase{"file", ExportBwfByFile, 5000},
                                           EngineCase{"mapping", ExportBwfByMapping, 4000}),
                         [](const auto& info) { return std::string(info.param.name); });

// A small tmpfs is a real full disk; mounting one needs the right to mount.
TEST_P(WriteFailures, FullDisk) {
#if defined(_WIN32)
  GTEST_SKIP() << "a full disk is made with a small tmpfs, which Windows cannot mount";
#else
  const std::string mountPoint = dir.File("small");
  std::filesystem::create_directories(mountPoint);
  if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                 << "); the file-size limit test covers the failed write";
  }
  SetDestination(mountPoint, "Track-");
  const int result = Run(GetParam().run);
  ExpectIncompleteFiles(result, mountPoint);
  ::umount2(mountPoint.c_str(), MNT_DETACH);
#endif
}

// The process's file-size limit makes a write fail with EFBIG after a short
// write, the same path a full disk takes.
TEST_P(WriteFailures, FileSizeLimit) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no per-process file-size limit (RLIMIT_FSIZE)";
#else
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 200000;
  if (old.rlim_max != RLIM_INFINITY && old.rlim_max < small.rlim_cur) small.rlim_cur = old.rlim_max;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = Run(GetParam().run);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  ExpectIncompleteFiles(result, outDir);
#endif
}

}  // namespace
}  // namespace export_test
