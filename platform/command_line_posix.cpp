#include "platform/command_line.h"

#include "platform/text.h"

namespace plat {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf8ToUtf16(argv[i]));
  return args;
}

}  // namespace plat
