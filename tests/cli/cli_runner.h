// Runs velmora-cli as a user would and captures what it prints.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

#include "tools/mxfgen/mxfgen.h"

namespace clitest {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadAll(const std::filesystem::path& p) {
  std::string s;
  if (std::FILE* f = std::fopen(p.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
  }
  return s;
}

// The locale the tests run the tool in unless they say otherwise: Japanese
// messages, as on the users' machines.
inline constexpr const char* kJapaneseLocale = "LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8";

// args are passed through the shell; quote paths that need it. `env` holds
// variable assignments for the tool's environment.
inline CliResult RunCli(const std::string& args, const std::filesystem::path& dir, const std::string& input = "",
                        const std::string& env = kJapaneseLocale) {
  const auto outPath = dir / "cli.out";
  const auto errPath = dir / "cli.err";
  std::string cmd = env + " " + std::string(VELMORA_BIN_DIR) + "/velmora-cli " + args + " >" + outPath.string() +
                    " 2>" + errPath.string();
  cmd = input.empty() ? cmd + " </dev/null" : "printf '" + input + "' | " + cmd;
  const int raw = std::system(cmd.c_str());
  CliResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadAll(outPath);
  r.err = ReadAll(errPath);
  return r;
}

struct TempDir {
  std::filesystem::path path;
  TempDir() {
    char tmpl[] = "/tmp/velmora-cli-XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
};

inline std::string MakeMxf(const std::filesystem::path& path, const mxfgen::Options& opt,
                           mxfgen::Layout* layout = nullptr) {
  std::string error;
  if (!mxfgen::WriteMxf(path.string(), opt, layout, &error)) return error;
  return {};
}

}  // namespace clitest
