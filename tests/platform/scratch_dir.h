// A fresh folder per test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/support/scratch.h"

class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeScratchFolder("velmora-platform");
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  // Path of a file in the folder, as UTF-16 (name is UTF-8).
  std::u16string PathOf(const std::string& name) const { return plat::Utf8ToUtf16(dir_ + "/" + name); }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};
