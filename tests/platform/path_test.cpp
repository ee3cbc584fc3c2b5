#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"
#include "scratch_dir.h"
#include "tests/support/scratch.h"

using namespace plat;

namespace {

#if defined(_WIN32)
#define POSIX_PATHS_ONLY() GTEST_SKIP() << "POSIX path forms; the Windows forms are WindowsPath.*"
#else
#define POSIX_PATHS_ONLY() (void)0
#endif

TEST(Path, Parts) {
  POSIX_PATHS_ONLY();
  EXPECT_EQ(kPathSeparator, u'/');
  EXPECT_EQ(FileNamePart(u"/media/clips/A001.MXF"), u"A001.MXF");
  EXPECT_EQ(FileNamePart(u"A001.MXF"), u"A001.MXF");
  EXPECT_EQ(FileNamePart(u"/media/clips/"), u"");
  EXPECT_EQ(FolderPart(u"/media/clips/A001.MXF"), u"/media/clips");
  EXPECT_EQ(FolderPart(u"/A001.MXF"), u"/");
  EXPECT_EQ(FolderPart(u"clips//A001.MXF"), u"clips");
  EXPECT_EQ(FolderPart(u"A001.MXF"), u"");

  EXPECT_EQ(Extension(u"/media/clips/A001.MXF"), u".MXF");
  EXPECT_EQ(Extension(u"take.2.wav"), u".wav");
  EXPECT_EQ(Extension(u"/media/v1.0/README"), u"");
  EXPECT_EQ(Extension(u"/home/u/.profile"), u"");
  EXPECT_EQ(Extension(u".."), u"");
  EXPECT_EQ(Extension(u"音声.bwf"), u".bwf");

  EXPECT_EQ(JoinPath(u"/media/clips", u"A.mxf"), u"/media/clips/A.mxf");
  EXPECT_EQ(JoinPath(u"/media/clips/", u"/A.mxf"), u"/media/clips/A.mxf");
  EXPECT_EQ(JoinPath(u"/", u"A.mxf"), u"/A.mxf");
  EXPECT_EQ(JoinPath(u"", u"A.mxf"), u"A.mxf");
  EXPECT_EQ(JoinPath(u"/media", u""), u"/media");
}

TEST(Path, AbsolutePathNormalises) {
  POSIX_PATHS_ONLY();
  EXPECT_EQ(AbsolutePath(u"/a/./b//c/../d/"), u"/a/b/d");
  EXPECT_EQ(AbsolutePath(u"/../.."), u"/");
  EXPECT_EQ(AbsolutePath(u""), u"");
  const std::u16string here = Utf8ToUtf16(std::filesystem::current_path().string());
  EXPECT_EQ(AbsolutePath(u"x/y.mxf"), JoinPath(here, u"x/y.mxf"));
  EXPECT_EQ(AbsolutePath(u"./x/../y.mxf"), JoinPath(here, u"y.mxf"));
}

// Sets environment variables for one test and puts them back afterwards.
class EnvTest : public ScratchDir {
 protected:
  void Set(const char* name, const std::string& value) {
    Remember(name);
    testsupport::SetEnv(name, value);
  }
  void Unset(const char* name) {
    Remember(name);
    testsupport::SetEnv(name, std::nullopt);
  }
  void TearDown() override {
    for (auto& [name, value] : saved_) testsupport::SetEnv(name, value);
    ScratchDir::TearDown();
  }
  std::u16string U(const std::string& s) { return Utf8ToUtf16(s); }

 private:
  void Remember(const char* name) {
    for (auto& s : saved_)
      if (s.first == name) return;
    const char* v = std::getenv(name);
    saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(EnvTest, DesktopFolderFallsBackStepByStep) {
  POSIX_PATHS_ONLY();  // the XDG variables and $HOME
  const std::string home = dir() + "/home";
  std::filesystem::create_directories(home);
  Set("HOME", home);
  Unset("XDG_DESKTOP_DIR");
  Unset("XDG_CONFIG_HOME");

  EXPECT_EQ(ConfigFolder(), U(home + "/.config"));
  EXPECT_EQ(DesktopFolder(), U(home));  // nothing else exists
  std::filesystem::create_directories(home + "/Desktop");
  EXPECT_EQ(DesktopFolder(), U(home + "/Desktop"));

  // user-dirs.dirs names a folder relative to $HOME; used once it exists.
  std::filesystem::create_directories(home + "/.config");
  std::ofstream(home + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                  << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                                                  << "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n";
  EXPECT_EQ(DesktopFolder(), U(home + "/Desktop"));
  std::filesystem::create_directories(home + "/デスクトップ");
  EXPECT_EQ(DesktopFolder(), U(home + "/デスクトップ"));

  // XDG_CONFIG_HOME moves the file; the environment variable wins over both.
  Set("XDG_CONFIG_HOME", dir() + "/cfg");
  EXPECT_EQ(ConfigFolder(), U(dir() + "/cfg"));
  EXPECT_EQ(DesktopFolder(), U(home + "/Desktop"));
  std::filesystem::create_directories(dir() + "/elsewhere");
  Set("XDG_DESKTOP_DIR", dir() + "/elsewhere/");
  EXPECT_EQ(DesktopFolder(), U(dir() + "/elsewhere"));
  Set("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(ConfigFolder(), U(home + "/.config"));
}

#if defined(_WIN32)
TEST(WindowsPath, PartsOfDriveAndUncPaths) {
  EXPECT_EQ(kPathSeparator, u'\\');
  EXPECT_EQ(FileNamePart(u"C:\\収録\\A001.MXF"), u"A001.MXF");
  EXPECT_EQ(FileNamePart(u"C:/clips/A001.MXF"), u"A001.MXF");
  EXPECT_EQ(FolderPart(u"C:\\clips\\A001.MXF"), u"C:\\clips");
  EXPECT_EQ(FolderPart(u"C:\\A001.MXF"), u"C:\\");
  EXPECT_EQ(FolderPart(u"\\\\server\\share\\A001.MXF"), u"\\\\server\\share\\");
  EXPECT_EQ(JoinPath(u"C:\\", u"A.mxf"), u"C:\\A.mxf");
  EXPECT_EQ(JoinPath(u"C:\\clips\\", u"A.mxf"), u"C:\\clips\\A.mxf");
  EXPECT_EQ(AbsolutePath(u"C:\\a\\.\\b\\..\\c.mxf"), u"C:\\a\\c.mxf");
  EXPECT_EQ(AbsolutePath(u"C:/a/b.mxf"), u"C:\\a\\b.mxf");
}

// Names count in UTF-16 units against MAX_PATH, on drives and shares alike.
TEST(WindowsPath, LimitsOfDriveAndUncPaths) {
  EXPECT_TRUE(PathFitsLimits(u"C:\\out\\Track-1.wav"));
  EXPECT_TRUE(PathFitsLimits(u"\\\\server\\share\\Track-1.wav"));
  EXPECT_FALSE(PathFitsLimits(u"out\\Track-1.wav"));
  EXPECT_FALSE(PathFitsLimits(u"/out/Track-1.wav"));
  EXPECT_FALSE(PathFitsLimits(u"C:\\out\\"));
  const std::u16string folder = u"C:\\";  // 3 units
  EXPECT_TRUE(PathFitsLimits(folder + std::u16string(255, u'あ')));  // 258: a whole name of 255
  EXPECT_FALSE(PathFitsLimits(folder + std::u16string(256, u'a')));  // the name is too long
  const std::u16string deep = u"C:\\" + std::u16string(200, u'd') + u"\\";  // 204 units
  EXPECT_TRUE(PathFitsLimits(deep + std::u16string(55, u'音')));    // 259
  EXPECT_FALSE(PathFitsLimits(deep + std::u16string(56, u'音')));   // 260: no room for the terminator
}

TEST(WindowsPath, UserFoldersExist) {
  EXPECT_TRUE(IsDirectory(HomeFolder()));
  EXPECT_TRUE(IsDirectory(DesktopFolder()));
  EXPECT_FALSE(ConfigFolder().empty());
}
#endif

}  // namespace
