// The inputs the regression tests feed through the fuzz targets' bodies:
// the corpora (fuzz/corpus/<target>/) and the inputs that once made a target
// fail (fuzz/regressions/<target>/). An input that still fails waits in
// fuzz/findings/<target>/ and moves to fuzz/regressions/ with its fix.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fuzz_regressions {

inline std::filesystem::path FuzzDir() { return std::filesystem::path(VELMORA_SOURCE_DIR) / "fuzz"; }

inline std::vector<uint8_t> ReadInput(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The files of fuzz/<group>/<target>/, sorted by name (none when the folder
// does not exist).
inline std::vector<std::filesystem::path> InputsOf(const std::string& group, const std::string& target) {
  std::vector<std::filesystem::path> out;
  const std::filesystem::path dir = FuzzDir() / group / target;
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return out;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (entry.is_regular_file()) out.push_back(entry.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

inline std::vector<uint8_t> ReadRegression(const std::string& target, const std::string& name) {
  return ReadInput(FuzzDir() / "regressions" / target / name);
}

}  // namespace fuzz_regressions
