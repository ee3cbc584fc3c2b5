// Helpers of the hardening tests: the whole analysis job as the application
// runs it, a track plan that a child process shares with the test (so that
// the test sees the child's progress and can stop, kill or wait for it), and
// the per-element comparison of a rewritten file with its old and new bytes.
#pragma once

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/mman.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/app_context.h"
#include "engine/job_runner.h"
#include "engine/mxf_state.h"
#include "engine/track_plan.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tests/rewrap/rewrap_fixture.h"
#include "tests/support/job_engines.h"
#include "verify/ltc_error.h"

namespace hardening {

using rewrap_test::WriteAll;

// A whole file in one read (the fixtures' stream iterators are slow for
// files of tens of MB).
inline std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> b;
  plat::File f = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::Read, plat::Share::Shared);
  uint64_t size = 0;
  if (!f.valid() || !f.Size(&size)) return b;
  b.resize(static_cast<size_t>(size));
  const int64_t got = f.ReadAt(0, b.data(), b.size());
  b.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return b;
}

inline bool FileHolds(const std::string& path, const std::vector<uint8_t>& want) { return ReadAll(path) == want; }

// What one analysis job ended with.
struct AnalysisOutcome {
  uint32_t message = 0;  // WM_JOB_DONE or WM_JOB_FAILED (0: no final message)
  int code = -1;         // 0 for WM_JOB_DONE
  int finalCount = 0;
  int32_t entryCount = 0;
  std::u16string text;
};

class Recorder : public JobNotifier {
 public:
  void Notify(const JobMessage& m) override {
    if (m.message == WM_ANALYSIS_READY) return;
    ++finalCount;
    last = m;
  }
  int finalCount = 0;
  std::optional<JobMessage> last;
};

// The analysis job over `path` through the job runner and the build's
// engines, the file opened as the application opens it (read only, not
// shared). A path that cannot be opened gives the job an invalid file, as a
// failed open leaves it.
inline AnalysisOutcome AnalyseFile(const std::string& path, uint8_t ioMethod) {
  const std::u16string wide = plat::Utf8ToUtf16(path);
  plat::File file = plat::File::Open(wide, plat::Access::Read, plat::Share::Exclusive);
  MxfState state;
  LTC_ERROR_ENTRY errors;
  state.timecode.ltcErrors = &errors;
  Recorder recorder;
  APP_CONTEXT ctx;
  ctx.windows = &recorder;
  ctx.baseInfo = &state.base;
  ctx.jobMode = JOB_ANALYSIS;
  ctx.mxfFile = &file;
  ctx.mxfPath = wide;
  ctx.ioMethod = ioMethod;
  JobWorker(&ctx, AllJobEngines());
  AnalysisOutcome out;
  out.finalCount = recorder.finalCount;
  if (recorder.last) {
    out.message = recorder.last->message;
    out.code = out.message == WM_JOB_DONE ? 0 : recorder.last->code;
    out.text = recorder.last->text;
  }
  out.entryCount = state.timecode.entryCount;
  FreeLtcErrors(&errors);
  return out;
}

// An export of the rewrap range's frames of `slots` into `folder`, file
// names starting with `prefix`.
inline void SelectExport(rewrap_test::RewrapCase& c, const std::string& folder, std::initializer_list<int> slots,
                         const std::u16string& prefix = u"T") {
  for (int i = 0; i < 2; ++i) {
    c.plan.exportIn[i] = c.plan.wrapIn[i];
    c.plan.exportOut[i] = c.plan.wrapOut[i];
  }
  for (int s : slots) c.plan.exportSwitch[s] = TRACK_ON;
  const std::u16string f = plat::Utf8ToUtf16(folder);
  std::copy(f.begin(), f.end(), c.plan.exportFolder);
  c.plan.exportFolder[f.size()] = u'\0';
  std::copy(prefix.begin(), prefix.end(), c.plan.exportPrefix);
  c.plan.exportPrefix[prefix.size()] = u'\0';
}

#if !defined(_WIN32)
// A track plan in memory shared with child processes forked after it was
// made: the child's engine writes currentFrame where the test reads it.
class SharedPlan {
 public:
  SharedPlan() {
    void* p = ::mmap(nullptr, sizeof(AUDIOTRACK_IO_INFO), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED) plan_ = new (p) AUDIOTRACK_IO_INFO();
    void* r = ::mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (r != MAP_FAILED) result_ = new (r) std::atomic<int>(-1);
  }
  ~SharedPlan() {
    // Not destroyed: a child's engine may have left its failure cause here,
    // a string on the child's heap that this process must not free. This
    // process never stores anything on the heap through the shared record.
    if (plan_ != nullptr) ::munmap(plan_, sizeof(AUDIOTRACK_IO_INFO));
    if (result_ != nullptr) ::munmap(result_, sizeof(std::atomic<int>));
  }
  SharedPlan(const SharedPlan&) = delete;
  SharedPlan& operator=(const SharedPlan&) = delete;

  bool valid() const { return plan_ != nullptr && result_ != nullptr; }
  AUDIOTRACK_IO_INFO& plan() { return *plan_; }
  // The child's engine result (-1 until it returned).
  std::atomic<int>& result() { return *result_; }

  // Copies what a job reads from another plan.
  void CopyFrom(const AUDIOTRACK_IO_INFO& from) {
    AUDIOTRACK_IO_INFO& to = *plan_;
    for (int s = 0; s < kTrackSlots; ++s) {
      to.wavEntry[s] = from.wavEntry[s];
      to.trackSwitch[s] = from.trackSwitch[s];
      to.exportSwitch[s] = from.exportSwitch[s];
    }
    to.wavBufferIndex = from.wavBufferIndex;
    to.exportRunNumber = from.exportRunNumber;
    for (int i = 0; i < 2; ++i) {
      to.wrapIn[i] = from.wrapIn[i];
      to.wrapOut[i] = from.wrapOut[i];
      to.exportIn[i] = from.exportIn[i];
      to.exportOut[i] = from.exportOut[i];
    }
    std::copy(std::begin(from.exportFolder), std::end(from.exportFolder), to.exportFolder);
    std::copy(std::begin(from.exportPrefix), std::end(from.exportPrefix), to.exportPrefix);
    to.currentFrame = 0;
    to.frameCount = 0;
    to.cancelRequest = 0;
  }

 private:
  AUDIOTRACK_IO_INFO* plan_ = nullptr;
  std::atomic<int>* result_ = nullptr;
};

// A child process running one engine call; the engine's result goes to
// shared.result(). The child never returns into the test framework.
class Child {
 public:
  Child(SharedPlan& shared, const std::function<int(AUDIOTRACK_IO_INFO*)>& job) {
    shared.result() = -1;
    pid_ = ::fork();
    if (pid_ == 0) {
      shared.result() = job(&shared.plan());
      ::_exit(0);
    }
  }
  ~Child() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  bool forked() const { return pid_ > 0; }

  // Stops the child and waits until it is stopped.
  bool Stop() {
    if (::kill(pid_, SIGSTOP) != 0) return false;
    int status = 0;
    return ::waitpid(pid_, &status, WUNTRACED) == pid_ && WIFSTOPPED(status);
  }
  void Continue() { ::kill(pid_, SIGCONT); }
  void Kill() { ::kill(pid_, SIGKILL); }

  // Waits for the end; the wait status.
  int Wait() {
    if (reaped_) return status_;
    while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    return status_;
  }
  bool ExitedNormally() { return WIFEXITED(Wait()) && WEXITSTATUS(status_) == 0; }
  // The signal that ended the child, 0 when it exited.
  int TermSignal() { return WIFSIGNALED(Wait()) ? WTERMSIG(status_) : 0; }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool reaped_ = false;
};
#endif  // !_WIN32

// Tests that run an engine call in a fork()ed child (to stop it part way, kill
// it or cut its file short under it) have no counterpart on Windows, which
// cannot fork a process that shares the test's memory.
#define WINDOWS_HAS_NO_FORK "the engine runs in a fork()ed child sharing the test's memory; Windows has no fork()"

// Polls until pred() holds or the time is up.
inline bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::yield();
  }
  return true;
}

// How one element's value bytes compare with the old file and the fully
// rewritten one.
enum class ElementState { Old, New, Mixed };

inline ElementState StateOf(const std::vector<uint8_t>& got, const std::vector<uint8_t>& oldBytes,
                            const std::vector<uint8_t>& newBytes, uint64_t offset, uint32_t size) {
  bool allOld = true;
  bool allNew = true;
  for (uint64_t i = offset; i < offset + size; ++i) {
    allOld = allOld && got[i] == oldBytes[i];
    allNew = allNew && got[i] == newBytes[i];
  }
  return allNew ? ElementState::New : allOld ? ElementState::Old : ElementState::Mixed;
}

}  // namespace hardening
