#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/path.h"
#include "platform/text.h"
#include "scratch_dir.h"

using namespace plat;

namespace {

TEST(Path, Parts) {
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
  EXPECT_EQ(AbsolutePath(u"/a/./b//c/../d/"), u"/a/b/d");
  EXPECT_EQ(AbsolutePath(u"/../.."), u"/");
  EXPECT_EQ(AbsolutePath(u""), u"");
  char* cwd = ::getcwd(nullptr, 0);
  ASSERT_NE(cwd, nullptr);
  const std::u16string here = Utf8ToUtf16(cwd);
  std::free(cwd);
  EXPECT_EQ(AbsolutePath(u"x/y.mxf"), JoinPath(here, u"x/y.mxf"));
  EXPECT_EQ(AbsolutePath(u"./x/../y.mxf"), JoinPath(here, u"y.mxf"));
}

// Sets environment variables for one test and puts them back afterwards.
class EnvTest : public ScratchDir {
 protected:
  void Set(const char* name, const std::string& value) {
    Remember(name);
    ::setenv(name, value.c_str(), 1);
  }
  void Unset(const char* name) {
    Remember(name);
    ::unsetenv(name);
  }
  void TearDown() override {
    for (auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
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

}  // namespace
