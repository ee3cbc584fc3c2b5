// Runs a program as a user would, without a shell: arguments as given,
// standard input from a text, standard output and error captured.
#pragma once

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace testsupport {

struct ProcessResult {
  int status = -1;  // the exit code; -1 when it could not run or did not exit normally
  std::string out;
  std::string err;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#if defined(_WIN32)

inline std::wstring WideOf(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

// One argument quoted the way CommandLineToArgvW reads it back.
inline std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') out.append(backslashes * 2 + 1, L'\\');
    else out.append(backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

inline HANDLE InheritableFile(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return ::CreateFileW(WideOf(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, write ? CREATE_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

#endif

// Path of the running program (for tests that run a part of themselves in a
// child process).
inline std::string SelfPath() {
#if defined(_WIN32)
  wchar_t buf[32768];
  const DWORD n = ::GetModuleFileNameW(nullptr, buf, 32768);
  const int len = ::WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(len), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), out.data(), len, nullptr, nullptr);
  return out;
#else
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
#endif
}

// A started child, for tests that stop it on their own terms.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (running()) {
      Kill();
      Wait();
    }
  }

  // program: full path; the three files are the child's standard streams.
  bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& inPath,
             const std::string& outPath, const std::string& errPath) {
#if defined(_WIN32)
    std::wstring cmd = QuoteArgument(WideOf(program));
    for (const auto& a : args) cmd += L" " + QuoteArgument(WideOf(a));
    HANDLE in = InheritableFile(inPath, false), out = InheritableFile(outPath, true),
           err = InheritableFile(errPath, true);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    // Under wine on a busy machine a start fails now and then for no reason
    // of ours; a few tries tell that apart from a program that cannot start.
    BOOL ok = FALSE;
    for (int attempt = 0; attempt < 3 && !ok; ++attempt) {
      if (attempt > 0) ::Sleep(250);
      ok = ::CreateProcessW(WideOf(program).c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                            &pi);
      if (!ok) startError_ = ::GetLastError();
    }
    for (HANDLE h : {in, out, err})
      if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    if (!ok) return false;
    ::CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    return true;
#else
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int r = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) pid_ = -1;
    return r == 0;
#endif
  }

  // Why Start() failed, in the system's words (empty when it did not).
  std::string StartError() const {
#if defined(_WIN32)
    return startError_ != 0 && !process_ ? "CreateProcess failed, error " + std::to_string(startError_) : "";
#else
    return pid_ <= 0 ? "posix_spawn failed" : "";
#endif
  }

  bool running() const {
#if defined(_WIN32)
    return process_ != nullptr;
#else
    return pid_ > 0;
#endif
  }

  // Ends the child at once, as a crash or a power cut would (no clean-up runs).
  void Kill() {
#if defined(_WIN32)
    if (process_) ::TerminateProcess(process_, 137);
#else
    if (pid_ > 0) ::kill(pid_, SIGKILL);
#endif
  }

  // The exit code; -1 when it did not exit on its own.
  int Wait() {
    int status = -1;
#if defined(_WIN32)
    if (!process_) return -1;
    ::WaitForSingleObject(process_, INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(process_, &code)) status = static_cast<int>(code);
    ::CloseHandle(process_);
    process_ = nullptr;
#else
    if (pid_ <= 0) return -1;
    int raw = 0;
    if (::waitpid(pid_, &raw, 0) == pid_ && WIFEXITED(raw)) status = WEXITSTATUS(raw);
    pid_ = -1;
#endif
    return status;
  }

 private:
#if defined(_WIN32)
  HANDLE process_ = nullptr;
  DWORD startError_ = 0;  // of the last failed start
#else
  pid_t pid_ = -1;
#endif
};

// Why the oracle programs (ffmpeg, ffprobe) cannot be used here; empty when
// they can. On Windows they are the build machine's Linux programs, which a
// test under wine cannot start (and asking cmd.exe costs seconds each time).
inline std::string WhyNoOracle(std::initializer_list<const char*> tools) {
#if defined(_WIN32)
  (void)tools;
  return "ffmpeg/ffprobe are Linux programs here, which the Windows test cannot start";
#else
  for (const char* tool : tools) {
    if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0)
      return std::string(tool) + " is not installed";
  }
  return {};
#endif
}

// The words of `args` as a POSIX shell splits them: blanks separate words,
// '...' keeps everything inside (the tests' command lines are written so).
inline std::vector<std::string> SplitShellWords(const std::string& args) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : args) {
    if (c == '\'') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t' || c == '\n') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// Runs program to its end; the files of its streams go in folder `dir`.
inline ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& dir, const std::string& input = "") {
  const std::string inPath = dir + "/stdin.txt", outPath = dir + "/stdout.txt", errPath = dir + "/stderr.txt";
  {
    std::ofstream in(inPath, std::ios::binary | std::ios::trunc);
    in << input;
  }
  ProcessResult r;
  ChildProcess child;
  if (!child.Start(program, args, inPath, outPath, errPath)) {
    r.err = program + ": " + child.StartError();
    return r;
  }
  r.status = child.Wait();
  r.out = ReadWholeFile(outPath);
  r.err = ReadWholeFile(errPath);
  return r;
}

}  // namespace testsupport
