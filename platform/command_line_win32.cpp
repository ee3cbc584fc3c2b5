#include <windows.h>
#include <shellapi.h>

#include "platform/command_line.h"

namespace plat {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::u16string> args;
  if (wide == nullptr) {
    // Out of memory for the split: the narrow arguments, in the ANSI code
    // page, are better than none.
    for (int i = 1; i < argc; ++i) {
      const int n = MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0);
      std::u16string arg(n > 0 ? n - 1 : 0, u'\0');
      if (n > 1) MultiByteToWideChar(CP_ACP, 0, argv[i], -1, reinterpret_cast<wchar_t*>(arg.data()), n);
      args.push_back(std::move(arg));
    }
    return args;
  }
  for (int i = 1; i < count; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace plat
