// The sub-commands of velmora-cli. Each takes the arguments after its name
// and returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace cli {

int RunAnalyze(const std::vector<std::string>& args);
int RunRewrap(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunUndo(const std::vector<std::string>& args);
// Built only with libebur128 (VELMORA_HAVE_LOUDNESS).
int RunLoudness(const std::vector<std::string>& args);

}  // namespace cli
