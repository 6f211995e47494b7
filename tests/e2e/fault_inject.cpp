// Preloaded into the tool by the fault tests: makes one chosen file operation fail once, so that
// each guarded operation can be seen failing on the real binary. The tool itself reads no
// environment variable; this shim reads ULMOR_TEST_FAULT, written "<call> <target> <n> <effect>":
//   call    open, lseek, read, write or close
//   target  the end of the path the file was opened by, such as "c.uq" or "000.bin", or
//           "stdout" for descriptor 1
//   n       which such call on that target fails, counting from 1
//   effect  the errno value the call fails with, or "short" for a write that transfers half of
//           what was asked and reports no error
// Every other call passes through unchanged. A tool built with FORTIFY reaches the C library
// through its checked entry points as well (__open_2, __read_chk), which count as the same call.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int TrackedFiles = 1024;

struct Fault {
  char call[16];
  char target[256];
  long n;
  bool shortWrite;
  int error;
  long seen;  // calls of that kind on the target so far
};

Fault* TheFault() {
  static Fault fault;
  static bool read = false;
  static bool valid = false;
  if (!read) {
    read = true;
    const char* text = std::getenv("ULMOR_TEST_FAULT");
    char effect[16] = "";
    valid = text != nullptr && std::sscanf(text, "%15s %255s %ld %15s", fault.call, fault.target,
                                           &fault.n, effect) == 4;
    fault.shortWrite = std::strcmp(effect, "short") == 0;
    fault.error = valid ? std::atoi(effect) : 0;
  }
  return valid ? &fault : nullptr;
}

// The descriptors opened by a path that ends with the target.
bool Tracked[TrackedFiles];

bool IsTargetPath(const char* path) {
  const Fault* fault = TheFault();
  if (fault == nullptr) {
    return false;
  }
  const std::size_t length = std::strlen(path);
  const std::size_t suffix = std::strlen(fault->target);
  return length >= suffix && std::strcmp(path + length - suffix, fault->target) == 0;
}

bool IsTargetFile(int fd) {
  const Fault* fault = TheFault();
  if (fault == nullptr) {
    return false;
  }
  if (std::strcmp(fault->target, "stdout") == 0) {
    return fd == STDOUT_FILENO;
  }
  return fd >= 0 && fd < TrackedFiles && Tracked[fd];
}

// True for the one call that is to fail.
bool Strikes(const char* call, bool onTarget) {
  Fault* fault = TheFault();
  return fault != nullptr && onTarget && std::strcmp(fault->call, call) == 0 &&
         ++fault->seen == fault->n;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int Failed() {
  errno = TheFault()->error;
  return -1;
}

// The open that the fault names fails; any other goes on with `proceed`, and the descriptor it
// gives is tracked when its path ends with the target.
template <typename Proceed>
int Open(const char* path, Proceed proceed) {
  if (Strikes("open", IsTargetPath(path))) {
    return Failed();
  }
  const int fd = proceed();
  if (fd >= 0 && fd < TrackedFiles) {
    Tracked[fd] = IsTargetPath(path);
  }
  return fd;
}

template <typename Proceed>
ssize_t Read(int fd, Proceed proceed) {
  if (Strikes("read", IsTargetFile(fd))) {
    return Failed();
  }
  return proceed();
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  static auto next = Next<int (*)(const char*, int, ...)>("open");
  va_list rest;
  va_start(rest, flags);
  const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(rest, mode_t) : 0;
  va_end(rest);
  return Open(path, [&] { return next(path, flags, mode); });
}

// FORTIFY's open, for flags that are not known at compile time and no mode. The library's own
// checks still run: the call goes on to it.
int __open_2(const char* path, int flags) {
  static auto next = Next<int (*)(const char*, int)>("__open_2");
  return Open(path, [&] { return next(path, flags); });
}

off_t lseek(int fd, off_t offset, int whence) {
  static auto next = Next<off_t (*)(int, off_t, int)>("lseek");
  if (Strikes("lseek", IsTargetFile(fd))) {
    return Failed();
  }
  return next(fd, offset, whence);
}

// A 64-bit system has one call under both names, and a build may import either.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));
int __open64_2(const char* path, int flags) __attribute__((alias("__open_2")));
off_t lseek64(int fd, off_t offset, int whence) __attribute__((alias("lseek")));

ssize_t read(int fd, void* buffer, size_t size) {
  static auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
  return Read(fd, [&] { return next(fd, buffer, size); });
}

// FORTIFY's read, for a buffer whose size the compiler knows.
ssize_t __read_chk(int fd, void* buffer, size_t size, size_t bufferSize) {
  static auto next = Next<ssize_t (*)(int, void*, size_t, size_t)>("__read_chk");
  return Read(fd, [&] { return next(fd, buffer, size, bufferSize); });
}

ssize_t write(int fd, const void* buffer, size_t size) {
  static auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
  if (Strikes("write", IsTargetFile(fd))) {
    return TheFault()->shortWrite ? next(fd, buffer, size / 2) : Failed();
  }
  return next(fd, buffer, size);
}

int close(int fd) {
  static auto next = Next<int (*)(int)>("close");
  const bool onTarget = IsTargetFile(fd);
  if (fd >= 0 && fd < TrackedFiles) {
    Tracked[fd] = false;
  }
  // Linux releases the descriptor even when close reports an error; so does this.
  const int result = next(fd);
  return Strikes("close", onTarget) ? Failed() : result;
}
}
