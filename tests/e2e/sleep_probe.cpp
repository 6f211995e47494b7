// Preloaded into the tool under test. Each nanosleep is recorded instead of slept, with how many
// bytes standard output held at that moment, so that a test can tell whether and when the run
// paused without waiting a second for every case. The record goes to the inherited descriptor
// that ULMOR_TEST_SLEEP_FD names, which needs no new descriptor even under a limit, or else is
// appended to the file that ULMOR_TEST_SLEEP_LOG names.
//
// When ULMOR_TEST_PAUSE_MARK is set, each pause also writes its text to standard output, in line
// with the tool's own bytes: on a terminal the order then shows whether the lines came first.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int nanosleep(const struct timespec* request, struct timespec* remaining) {
  (void)remaining;
  const char* inherited = std::getenv("ULMOR_TEST_SLEEP_FD");
  const char* log = std::getenv("ULMOR_TEST_SLEEP_LOG");
  if (inherited == nullptr && log == nullptr) {
    return 0;
  }
  struct stat out;
  long long written = fstat(STDOUT_FILENO, &out) == 0 ? static_cast<long long>(out.st_size) : -1;
  long long ms = request->tv_sec * 1000LL + request->tv_nsec / 1000000;
  char line[64];
  int length = std::snprintf(line, sizeof line, "%lld %lld\n", ms, written);
  int fd =
      inherited != nullptr ? std::atoi(inherited) : open(log, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd != -1) {
    (void)!write(fd, line, static_cast<size_t>(length));
    if (inherited == nullptr) {
      close(fd);
    }
  }
  if (const char* mark = std::getenv("ULMOR_TEST_PAUSE_MARK")) {
    (void)!write(STDOUT_FILENO, mark, std::strlen(mark));
  }
  return 0;
}
