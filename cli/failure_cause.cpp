#include "cli/failure_cause.h"

#include "platform/text.h"

namespace cli {

FailureCause JobFailureCause(const JobMessage& m, const std::u16string& jobFile) {
  if (m.causeError == 0) return FailureCause{jobFile, 0};
  return FailureCause{m.causePath, m.causeError};
}

std::u16string CauseText(const FailureCause& cause) {
  if (!cause.known()) return {};
  // The system's code in decimal, as the user would look it up.
  return plat::Utf8ToUtf16(plat::DescribeError(cause.error) + " (" + plat::ErrorCodeText(cause.error) + ")");
}

std::u16string FailureLine(const FailureCause& cause, int code) {
  std::u16string line = cause.path;
  if (cause.known()) line += u": " + CauseText(cause);
  if (code != 0) line += (cause.known() ? u", code " : u": code ") + plat::Utf8ToUtf16(std::to_string(code));
  return line;
}

}  // namespace cli
