// Runs velmora-cli as a user would and captures what it prints.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/path.h"
#include "platform/sys_error.h"
#include "platform/text.h"
#include "tests/support/json_value.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"
#include "tools/mxfgen/mxfgen.h"

namespace clitest {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadAll(const std::filesystem::path& p) { return testsupport::ReadWholeFile(p.string()); }

// The locale the tests run the tool in unless they say otherwise: Japanese
// messages, as on the users' machines.
inline constexpr const char* kJapaneseLocale = "LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8";

// args: words as for a shell ('...' quotes, no other expansion);
// input: what the user types; env: NAME=VALUE assignments (an empty VALUE
// leaves the variable empty) for the tool's environment.
inline CliResult RunCli(const std::string& args, const std::filesystem::path& dir, const std::string& input = "",
                        const std::string& env = kJapaneseLocale) {
  const std::vector<std::string> list = testsupport::SplitShellWords(args);
  std::vector<std::unique_ptr<testsupport::EnvOverride>> overrides;
  std::istringstream assignments(env);
  for (std::string a; assignments >> a;) {
    const size_t eq = a.find('=');
    if (eq != std::string::npos) overrides.push_back(std::make_unique<testsupport::EnvOverride>(a.substr(0, eq), a.substr(eq + 1)));
  }
  const testsupport::ProcessResult p =
      testsupport::RunProgram(testsupport::ProgramPath("velmora-cli"), list, dir.generic_string(), input);
  return CliResult{p.status, p.out, p.err};
}

// A path as the CLI prints it: absolute, with the system's separators.
inline std::string Shown(const std::filesystem::path& p) {
  return plat::Utf16ToUtf8(plat::AbsolutePath(plat::Utf8ToUtf16(p.generic_string())));
}

// The output of a --json run as a parsed object: exactly one JSON object
// on one line.
inline jsontest::Value ParseJson(const std::string& out) {
  jsontest::Value v;
  std::string error;
  EXPECT_TRUE(jsontest::Parse(out, &v, &error)) << error << "\n" << out;
  EXPECT_EQ(v.kind, jsontest::Value::Kind::Object) << out;
  EXPECT_EQ(out.find('\n'), out.size() - 1) << out;
  return v;
}

struct TempDir {
  testsupport::ScratchFolder folder{"velmora-cli"};
  std::filesystem::path path{folder.dir()};
};

inline std::string MakeMxf(const std::filesystem::path& path, const mxfgen::Options& opt,
                           mxfgen::Layout* layout = nullptr) {
  std::string error;
  if (!mxfgen::WriteMxf(path.string(), opt, layout, &error)) return error;
  return {};
}

}  // namespace clitest
