// The job runner: the worker thread's procedure. It runs the analysis steps
// in their fixed order, or one of the four rewrap/export engines, turns the
// result code into a complete message and hands it to the dialog that
// started the job in exactly one synchronous notification.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/app_context.h"

inline constexpr uint32_t WM_JOB_DONE = 0x8006;
inline constexpr uint32_t WM_JOB_FAILED = 0x8007;
inline constexpr uint32_t WM_ANALYSIS_READY = 0x800C;

inline constexpr int kResultCancelled = 99;

// One notification. The first parameter is either a code (an analysis
// failure) or a text (caption or operation name); the second is the text.
struct JobMessage {
  uint32_t message = 0;
  bool firstIsCode = false;
  int32_t code = 0;  // the result code (also filled for rewrap and export messages)
  std::u16string first;
  bool hasText = false;
  std::u16string text;
  // The system cause of an engine failure (JOB_OS_CAUSE), when there is one.
  std::u16string causePath;
  int32_t causeError = 0;
};

// Implemented by whoever started the job. Notify must not return before the
// message has been handled (the GUI uses a blocking queued call), so the
// worker waits for the dialog as a synchronous window message would.
class JobNotifier {
 public:
  virtual ~JobNotifier() = default;
  virtual void Notify(const JobMessage& message) = 0;
};

using VerifyFn = int (*)(plat::File* file, MXF_BASE_INFO* base);
using EngineFn = int (*)(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base);

// What the runner calls beyond the analysis steps. A missing entry behaves
// as an engine that is not available (its "information missing" failure).
struct JOB_ENGINES {
  VerifyFn verify = nullptr;
  EngineFn rewrapMapping = nullptr;  // step 2000
  EngineFn rewrapFile = nullptr;     // step 3000
  EngineFn exportMapping = nullptr;  // step 4000
  EngineFn exportFile = nullptr;     // step 5000
};

// The worker procedure. Always returns 0.
// The callers (the command line, the desktop application) compose the
// engine table, so this folder depends on none of the engines above it.
int JobWorker(APP_CONTEXT* ctx, const JOB_ENGINES& engines);

// Texts the runner uses, exposed for the dialogs, the logs and the tests.
const char16_t* SectionName(int stepCode);        // "N/A" for an unknown step
const char16_t* ProcessName(int ioMethod);        // "Memory Mapping" / "Generic File I/O"
int MessageStringId(int stepCode, int code);      // string id of a failure code's reason
std::u16string ReasonText(int stepCode, int code);

std::u16string ComposeLoadFailure(std::u16string_view fileName, int stepCode, int code, int ioMethod);
std::u16string ComposeVerifyFailure(std::u16string_view fileName, int code);
std::u16string ComposeVerifyCancelled(std::u16string_view fileName);
std::u16string ComposeJobDone(std::u16string_view fileName, int jobMode, int ioMethod);
std::u16string ComposeJobCancelled(std::u16string_view fileName, int jobMode, int ioMethod);
std::u16string ComposeJobFailure(std::u16string_view fileName, int jobMode, int stepCode, int code, int ioMethod);
const char16_t* OperationName(int jobMode);  // "ラッピング" / "BWFファイルの書出し"
// "原因: /path/m.mxf: Permission denied (errno 13)" for a failure that
// carries the system's cause; empty for one that does not.
std::u16string ComposeJobCause(const JobMessage& m);
