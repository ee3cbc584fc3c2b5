// What this machine charges for the two ways the engines write into a file
// whose pages are already in the page cache: the first write to each page
// of a shared file mapping (what the mapping engines pay per page, with
// and without asking the kernel to make the pages writable beforehand) and
// a positioned write of the same bytes (what the file I/O engines pay).
// The rewrap and export figures are best read beside these.
//
//   bench_page_touch [--dir PATH] [--mib N]
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

}  // namespace

int main(int argc, char** argv) {
  std::string dir = std::filesystem::temp_directory_path().string();
  size_t mib = 256;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--dir") == 0) dir = argv[i + 1];
    if (std::strcmp(argv[i], "--mib") == 0) mib = static_cast<size_t>(std::atoi(argv[i + 1]));
  }
  const size_t bytes = mib << 20;
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t pages = bytes / page;
  const std::string path = dir + "/velmora-page-touch.bin";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return 1;
  std::vector<char> block(1 << 20, 1);
  for (size_t at = 0; at < bytes; at += block.size()) {
    if (::pwrite(fd, block.data(), block.size(), static_cast<off_t>(at)) != static_cast<ssize_t>(block.size())) return 1;
  }
  ::fsync(fd);
  std::printf("%zu MiB file, %zu pages of %zu bytes, cached and clean before each run\n", mib, pages, page);

  for (int prepare = 0; prepare < 2; ++prepare) {
    auto* p = static_cast<char*>(::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    if (p == MAP_FAILED) return 1;
    const auto t0 = Clock::now();
    if (prepare) ::madvise(p, bytes, MADV_POPULATE_WRITE);
    for (size_t i = 0; i < pages; ++i) p[i * page] = 2;
    const double s = SecondsSince(t0);
    ::munmap(p, bytes);
    ::fsync(fd);
    std::printf("  mapping, one byte per page%s  %7.3f s  %6.2f us/page\n",
                prepare ? ", pages made writable first" : "                            ", s, s * 1e6 / pages);
  }
  {
    const auto t0 = Clock::now();
    for (size_t i = 0; i < pages; ++i) {
      if (::pwrite(fd, block.data(), 1, static_cast<off_t>(i * page)) != 1) return 1;
    }
    const double s = SecondsSince(t0);
    std::printf("  pwrite of one byte per page                              %7.3f s  %6.2f us/page\n", s,
                s * 1e6 / pages);
  }
  ::close(fd);
  std::filesystem::remove(path);
  return 0;
}
