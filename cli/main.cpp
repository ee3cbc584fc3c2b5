// velmora-cli: the desktop application's jobs for scripts and batch work.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/load_file.h"
#include "cli/terminal.h"
#include "platform/console.h"
#include "platform/text.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fputs(
      "usage: velmora-cli <command> [options]\n"
      "\n"
      "commands:\n"
      "  analyze FILE [--io mmap|file] [--json] [--error-log PATH] [--log-encoding ENC]\n"
      "      analyse and verify an MXF file as loading it in the desktop application would\n"
      "  rewrap FILE --in TC --out TC [--track N=WAV]... [--silence N]... [--io mmap|file]\n"
      "         [--buffer 0..13] [--log PATH] [--log-encoding ENC] [--yes]\n"
      "      overwrite the audio of chosen tracks between IN and OUT, in place\n"
      "  export FILE --in TC --out TC --tracks LIST --dir DIR [--prefix TEXT] [--io mmap|file]\n"
      "         [--buffer 0..13] [--run-number N]\n"
      "      write chosen tracks between IN and OUT as mono BWF files (LIST: 2,5 or 1-8 or all)\n"
      "\n"
      "exit status: 0 loaded, 1 refused or failed, 2 usage, 3 timecode errors, 4 cancelled\n",
      out);
}

}  // namespace

int main(int argc, char** argv) {
  plat::SetLocaleFromUser();
  plat::UseUtf8Console();
  std::vector<std::string> args = plat::CommandLineArguments(argc, argv);
  if (args.empty()) {
    PrintUsage(stderr);
    return cli::kExitUsage;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUsage(stdout);
    return cli::kExitOk;
  }
  cli::InstallInterruptHandler();
  if (command == "analyze") return cli::RunAnalyze(args);
  if (command == "rewrap") return cli::RunRewrap(args);
  if (command == "export") return cli::RunExport(args);
  std::fprintf(stderr, "velmora-cli: unknown command '%s'\n", command.c_str());
  PrintUsage(stderr);
  return cli::kExitUsage;
}
