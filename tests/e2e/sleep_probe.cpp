// Preloaded into the tool under test. Each nanosleep is recorded instead of slept, with how many
// bytes standard output held at that moment, so that a test can tell whether and when the run
// paused without waiting a second for every case.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int nanosleep(const struct timespec* request, struct timespec* remaining) {
  (void)remaining;
  const char* log = std::getenv("ULMOR_TEST_SLEEP_LOG");
  if (log == nullptr) {
    return 0;
  }
  struct stat out;
  long long written = fstat(STDOUT_FILENO, &out) == 0 ? static_cast<long long>(out.st_size) : -1;
  long long ms = request->tv_sec * 1000LL + request->tv_nsec / 1000000;
  char line[64];
  int length = std::snprintf(line, sizeof line, "%lld %lld\n", ms, written);
  int fd = open(log, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd != -1) {
    (void)!write(fd, line, static_cast<size_t>(length));
    close(fd);
  }
  return 0;
}
