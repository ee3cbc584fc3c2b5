// velmora-cli: the desktop application's jobs for scripts and batch work.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/global_options.h"
#include "cli/help.h"
#include "cli/json_envelope.h"
#include "cli/load_file.h"
#include "cli/terminal.h"
#include "platform/console.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/version.h"

namespace {

int RunCommand(const std::string& command, const std::vector<std::string>& args) {
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

// A command asked for JSON refuses in JSON too, whatever stopped it before
// it wrote its own object (every command takes --json).
int Finish(const std::string& command, const std::vector<std::string>& args, int status) {
  const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
  if (status != cli::kExitOk && json && cli::IsCommand(command) && !cli::JsonObjectPrinted()) {
    cli::PrintRefusalJson(command, status);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  plat::SetLocaleFromUser();
  plat::UseUtf8Console();
  std::vector<std::string> args = plat::CommandLineArguments(argc, argv);
  std::string why;
  if (!cli::TakeGlobalOptions(&args, &why)) {
    const int status = cli::UsageError("", why);
    // The global options may come before the command.
    const auto command = std::find_if(args.begin(), args.end(), [](const std::string& a) { return cli::IsCommand(a); });
    return command == args.end() ? status : Finish(*command, args, status);
  }
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
  return Finish(command, args, RunCommand(command, args));
}
