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
      "         [--no-journal] [--no-read-back] [--journal-dir DIR] [--keep-journals N] [--json]\n"
      "      overwrite the audio of chosen tracks between IN and OUT, in place\n"
      "  export FILE --in TC --out TC --tracks LIST --dir DIR [--prefix TEXT] [--io mmap|file]\n"
      "         [--buffer 0..13] [--run-number N]\n"
      "      write chosen tracks between IN and OUT as mono BWF files (LIST: 2,5 or 1-8 or all)\n"
#if VELMORA_HAVE_LOUDNESS
      "  loudness FILE [--in TC --out TC] [--tracks LIST] [--pairs 1-2,3-4] [--json]\n"
      "           [--preset arib|r128] [--target LKFS] [--tolerance LU] [--true-peak dBTP]\n"
      "      loudness and true peak of an MXF file's tracks or of a WAV file, marked pass/fail\n"
#endif
      "  undo FILE [--leave] [--journal-dir DIR] [--json]\n"
      "      take back the newest rewrap of FILE, or settle an interrupted one\n"
      "\n"
      "exit status: 0 loaded, 1 refused or failed, 2 usage, 3 timecode errors, 4 cancelled,\n"
      "             5 some loudness row fails its target\n",
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
  if (command == "undo") return cli::RunUndo(args);
#if VELMORA_HAVE_LOUDNESS
  if (command == "loudness") return cli::RunLoudness(args);
#endif
  std::fprintf(stderr, "velmora-cli: unknown command '%s'\n", command.c_str());
  PrintUsage(stderr);
  return cli::kExitUsage;
}
