// The POSIX back end: gives the tool what it expects of the Windows calls it was designed on.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/platform.h"

// The start of the executable's image, placed by the linker; report offsets count from here.
// NOLINTNEXTLINE(bugprone-reserved-identifier,readability-identifier-naming): the linker names it.
extern "C" char __executable_start;

namespace {

struct ErrnoMapping {
  int error;
  int code;
};

// errno values and the Windows system error codes for the same conditions.
constexpr ErrnoMapping ErrnoCodes[] = {
    {ESPIPE, 1},          // ERROR_INVALID_FUNCTION: a pipe has no position to set
    {ENOENT, 2},          // ERROR_FILE_NOT_FOUND
    {ENOTDIR, 3},         // ERROR_PATH_NOT_FOUND
    {EMFILE, 4},          // ERROR_TOO_MANY_OPEN_FILES
    {ENFILE, 4},          //
    {EACCES, 5},          // ERROR_ACCESS_DENIED
    {EPERM, 5},           //
    {EROFS, 5},           //
    {EISDIR, 5},          //
    {EBADF, 6},           // ERROR_INVALID_HANDLE
    {EBUSY, 32},          // ERROR_SHARING_VIOLATION
    {ETXTBSY, 32},        //
    {EINVAL, 87},         // ERROR_INVALID_PARAMETER
    {EPIPE, 109},         // ERROR_BROKEN_PIPE
    {ENOSPC, 112},        // ERROR_DISK_FULL
    {EDQUOT, 112},        //
    {ENAMETOOLONG, 206},  // ERROR_FILENAME_EXCED_RANGE
    {EFBIG, 223},         // ERROR_FILE_TOO_LARGE
    {EIO, 1117},          // ERROR_IO_DEVICE
    {ELOOP, 1921},        // ERROR_CANT_RESOLVE_FILENAME
};
constexpr int GeneralFailure = 31;  // ERROR_GEN_FAILURE

int LastError(bool creating = false) {
  return WindowsErrorCode(errno, creating);
}

// True when the path leads to the executable that this process runs.
bool IsOwnExecutable(const std::string& path) {
  struct stat running;
  struct stat found;
  return stat("/proc/self/exe", &running) == 0 && stat(path.c_str(), &found) == 0 &&
         running.st_dev == found.st_dev && running.st_ino == found.st_ino;
}

}  // namespace

int WindowsErrorCode(int error, bool creating) {
  // Creating a file fails with a missing name only when a directory on the way is missing:
  // Windows calls that a missing path, not a missing file.
  if (error == ENOENT && creating) {
    return 3;
  }
  for (const ErrnoMapping& mapping : ErrnoCodes) {
    if (mapping.error == error) {
      return mapping.code;
    }
  }
  return GeneralFailure;
}

void OsStartProcess() {
  // With descriptor 0, 1 or 2 closed, the next open would take its number, and a container or
  // member file could receive the program's text. Hold each closed one with /dev/null.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (null != -1 && null != fd) {
        dup2(null, fd);
        close(null);
      }
    }
  }
  // A reader that went away, or a file-size limit, is a failed operation like any other, not
  // a reason for the process to die.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
}

std::vector<std::string> OsArguments(int argc, char** argv) {
  // The shell has already split and unquoted the line. An empty argument stands where Windows
  // would see an empty pair of double quotes, which never counts.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '\0') {
      arguments.emplace_back(argv[i]);
    }
  }
  return arguments;
}

bool OsIsExistingFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

void OsMakeDirectory(const std::string& path) {
  (void)mkdir(path.c_str(), 0777);
}

int OsOpenForReading(const std::string& path, OsHandle* file) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd == -1 && errno == EINTR);
  if (fd == -1) {
    return LastError();
  }
  *file = fd;
  return 0;
}

int OsCreateFile(const std::string& path, OsHandle* file) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd == -1 && errno == EINTR);
  if (fd == -1) {
    return LastError(true);
  }
  *file = fd;
  return 0;
}

int OsSetPosition(OsHandle file, std::uint32_t offset) {
  if (lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) == -1) {
    return LastError();
  }
  return 0;
}

int OsRead(OsHandle file, void* buffer, std::uint32_t size, std::uint32_t* count) {
  // A pipe or a slow device may deliver less than asked before the end; Windows file reads
  // fall short only at the end, so keep reading until then.
  char* next = static_cast<char*>(buffer);
  std::uint32_t total = 0;
  while (total < size) {
    ssize_t got = read(static_cast<int>(file), next + total, size - total);
    if (got == -1) {
      if (errno == EINTR) {
        continue;
      }
      return LastError();
    }
    if (got == 0) {
      break;
    }
    total += static_cast<std::uint32_t>(got);
  }
  *count = total;
  return 0;
}

int OsWrite(OsHandle file, const void* buffer, std::uint32_t size, std::uint32_t* count) {
  ssize_t put;
  do {
    put = write(static_cast<int>(file), buffer, size);
  } while (put == -1 && errno == EINTR);
  if (put == -1) {
    return LastError();
  }
  *count = static_cast<std::uint32_t>(put);
  return 0;
}

int OsClose(OsHandle file) {
  // After EINTR the descriptor is already released on Linux: retrying could close another.
  if (close(static_cast<int>(file)) == -1 && errno != EINTR) {
    return LastError();
  }
  return 0;
}

bool OsIdentifyFile(OsHandle file, OsFileId* id) {
  // Every kind of file has a device and an inode here, a FIFO or a device too, and a path can
  // lead to each of them.
  struct stat info;
  if (fstat(static_cast<int>(file), &info) == -1) {
    return false;
  }
  *id = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

bool OsIdentifyPath(const std::string& path, OsFileId* id) {
  // Links are followed, as creating a file at the path would follow them.
  struct stat info;
  if (stat(path.c_str(), &info) == -1) {
    return false;
  }
  *id = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

OsHandle OsStandardOutput(bool* isCharacterDevice) {
  struct stat info;
  *isCharacterDevice = fstat(STDOUT_FILENO, &info) == 0 && S_ISCHR(info.st_mode);
  return STDOUT_FILENO;
}

std::string OsModuleName(const void* address, std::uint32_t* offset) {
  *offset = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address) -
                                       reinterpret_cast<std::uintptr_t>(&__executable_start));
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0) {
    return "ulmor";
  }
  std::string name(path, static_cast<std::size_t>(length));
  // The kernel marks the path of an executable that was removed or replaced during the run, as a
  // package upgrade does, with a suffix; an executable really named so is still found there.
  const std::string deleted = " (deleted)";
  if (name.size() > deleted.size() &&
      name.compare(name.size() - deleted.size(), deleted.size(), deleted) == 0 &&
      !IsOwnExecutable(name)) {
    name.erase(name.size() - deleted.size());
  }
  return name.substr(name.rfind('/') + 1);
}

void OsSleep(unsigned milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}

void OsExit(int status) {
  _exit(status);
}
