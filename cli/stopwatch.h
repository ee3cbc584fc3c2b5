// Seconds since a command (or one of its steps) started, for the
// "timings" of a --json object.
#pragma once

#include <chrono>

namespace cli {

class Stopwatch {
 public:
  double Seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace cli
