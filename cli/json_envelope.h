// The frame every --json object of velmora-cli shares, so that a script
// reads any command's output the same way:
//
//   {"schema": 1, "tool": "velmora-cli", "version": "1.0.0.0", "command": "analyze",
//    ... the command's own fields ...,
//    "result": {"code": 0, "exit_status": 0, "message": "...", "cause": null}}
//
// A failure is one such object on standard output too, with the real
// nonzero code and, where an OS call failed, "cause": {"path", "os_error",
// "os_text"}. Fields that a failure left unknown are left out, never filled
// with a default. Use: BeginJsonEnvelope, the command's fields,
// WriteJsonResult, PrintJsonEnvelope.
#pragma once

#include <string>
#include <string_view>

#include "cli/failure_cause.h"
#include "cli/json_writer.h"

namespace cli {

inline constexpr int kJsonSchema = 1;

struct JsonResult {
  int code = 0;            // 0 success; else the job's result code (e.g. 2006) or the tool's own
  int exitStatus = 0;      // the process's exit status
  std::u16string message;  // the text the user would read
  std::u16string section;  // the analysis or engine section that failed; left out when empty
  FailureCause cause;      // the OS cause, when there is one
};

// Opens the object and writes schema, tool, version and command.
void BeginJsonEnvelope(JsonWriter& j, std::string_view command);

// Writes "file" (the name alone) and "path" (the path as given): the pair
// every command writes for the file it works on.
void WriteJsonFile(JsonWriter& j, const std::u16string& path);

// Writes the "result" object.
void WriteJsonResult(JsonWriter& j, const JsonResult& result);

// Closes the object and prints it, one line, on standard output.
void PrintJsonEnvelope(JsonWriter& j);

// True once a command printed its object.
bool JsonObjectPrinted();

// What a command knew when it refused before its own object could be
// written (a usage error, a file that cannot be loaded): the file named, the
// result code and the OS cause, where there are ones.
struct RefusalFacts {
  std::u16string path;
  int code = 0;  // 0: none; the exit status stands for it
  FailureCause cause;
};
RefusalFacts& NotedRefusal();

// The object of a command that refused before writing its own: the
// envelope, "file" and "path" when a file was named, and the result
// (the refusal texts printed so far as its message).
void PrintRefusalJson(std::string_view command, int exitStatus);

}  // namespace cli
