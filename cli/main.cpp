// velmora-cli: the desktop application's jobs for scripts and batch work.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/global_options.h"
#include "cli/help.h"
#include "cli/load_file.h"
#include "cli/terminal.h"
#include "platform/console.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/version.h"

int main(int argc, char** argv) {
  plat::SetLocaleFromUser();
  plat::UseUtf8Console();
  std::vector<std::string> args = plat::CommandLineArguments(argc, argv);
  std::string why;
  if (!cli::TakeGlobalOptions(&args, &why)) return cli::UsageError("", why);
  if (args.empty()) {
    cli::PrintHelp(stderr, "");
    return cli::kExitUsage;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--version" || command == "-V") {
    std::printf("velmora-cli %s\n", kVersionText);
    return cli::kExitOk;
  }
  if (command == "--help" || command == "-h" || command == "help") {
    cli::PrintHelp(stdout, args.empty() ? "" : args.front());
    return cli::kExitOk;
  }
  if (!cli::IsCommand(command)) return cli::UsageError("", cli::UsageText(kStrUsageUnknownCommand, command));
  if (cli::WantsHelp(args)) {
    cli::PrintHelp(stdout, command);
    return cli::kExitOk;
  }
  cli::InstallInterruptHandler();
  if (command == "analyze") return cli::RunAnalyze(args);
  if (command == "rewrap") return cli::RunRewrap(args);
  if (command == "export") return cli::RunExport(args);
  if (command == "undo") return cli::RunUndo(args);
#if VELMORA_HAVE_LOUDNESS
  return cli::RunLoudness(args);
#else
  return cli::kExitUsage;  // not reached: IsCommand knows no loudness here
#endif
}
