#include "cli/json_envelope.h"

#include <cstdio>

#include "cli/terminal.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/version.h"

namespace cli {

namespace {
bool g_printed = false;  // the tool's main thread only
}  // namespace

void BeginJsonEnvelope(JsonWriter& j, std::string_view command) {
  j.BeginObject();
  j.Number("schema", kJsonSchema);
  j.String("tool", std::string_view("velmora-cli"));
  j.String("version", std::string_view(kVersionText));
  j.String("command", command);
}

void WriteJsonResult(JsonWriter& j, const JsonResult& result) {
  j.BeginObject("result");
  j.Number("code", result.code);
  j.Number("exit_status", result.exitStatus);
  j.String("message", result.message);
  if (!result.section.empty()) j.String("section", result.section);
  if (result.cause.known()) {
    j.BeginObject("cause");
    j.String("path", result.cause.path);
    j.Number("os_error", result.cause.error);
    j.String("os_text", std::string_view(plat::DescribeError(result.cause.error)));
    j.EndObject();
  } else {
    j.Null("cause");
  }
  j.EndObject();
}

void PrintJsonEnvelope(JsonWriter& j) {
  j.EndObject();
  std::fputs(j.str().c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  g_printed = true;
}

void WriteJsonFile(JsonWriter& j, const std::u16string& path) {
  j.String("file", plat::FileNamePart(path));
  j.String("path", path);
}

bool JsonObjectPrinted() { return g_printed; }

RefusalFacts& NotedRefusal() {
  static RefusalFacts facts;
  return facts;
}

void PrintRefusalJson(std::string_view command, int exitStatus) {
  const RefusalFacts& f = NotedRefusal();
  JsonWriter j;
  BeginJsonEnvelope(j, command);
  if (!f.path.empty()) WriteJsonFile(j, f.path);
  JsonResult result;
  result.code = f.code != 0 ? f.code : exitStatus;
  result.exitStatus = exitStatus;
  result.message = ErrorsPrinted();
  result.cause = f.cause;
  WriteJsonResult(j, result);
  PrintJsonEnvelope(j);
}

}  // namespace cli
