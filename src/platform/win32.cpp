// The Windows back end: kernel32 only, with the error codes exactly as the system gives them.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "app/command_line.h"
#include "platform/platform.h"

// The runtime would otherwise expand wildcards in its own copy of the arguments, searching the
// disk for a container path such as *.uq before the tool has even looked at its command line.
// The tool reads GetCommandLineA itself and never uses that copy.
extern "C" {
// NOLINTNEXTLINE(bugprone-reserved-identifier,readability-identifier-naming): the runtime names it.
int _dowildcard = 0;
}

namespace {

// The seam keeps 0 for success, so a failed call that leaves no code of its own must still
// report something.
constexpr int GeneralFailure = 31;  // ERROR_GEN_FAILURE

int LastError() {
  DWORD code = GetLastError();
  return code != 0 ? static_cast<int>(code) : GeneralFailure;
}

HANDLE AsHandle(OsHandle file) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the seam keeps a HANDLE as an integer.
  return reinterpret_cast<HANDLE>(file);
}

}  // namespace

void OsStartProcess() {
  // A missing floppy or CD, an unreadable volume, or a crash must end the run with a message on
  // standard output, never wait for someone to click a box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
}

std::vector<std::string> OsArguments(int, char**) {
  // The runtime's argv follows other quoting rules; the tool splits the raw line its own way.
  std::vector<std::string> elements = SplitCommandLine(GetCommandLineA());
  if (!elements.empty()) {
    elements.erase(elements.begin());
  }
  return elements;
}

bool OsIsExistingFile(const std::string& path) {
  // A directory search, so * and ? in the path act as a pattern and only the first match counts.
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(path.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    return false;
  }
  FindClose(search);
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void OsMakeDirectory(const std::string& path) {
  (void)CreateDirectoryA(path.c_str(), nullptr);
}

int OsOpenForReading(const std::string& path, OsHandle* file) {
  // Others may go on reading and writing the container; a read-only file opens all the same.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return LastError();
  }
  *file = reinterpret_cast<OsHandle>(handle);
  return 0;
}

int OsCreateFile(const std::string& path, OsHandle* file) {
  HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return LastError();
  }
  *file = reinterpret_cast<OsHandle>(handle);
  return 0;
}

int OsSetPosition(OsHandle file, std::uint32_t offset) {
  // Offsets stay below 32 MiB, so the low 32 bits say it all; the all-ones value that signals
  // failure is also a valid position, so only the last error tells them apart.
  SetLastError(0);
  DWORD position = SetFilePointer(AsHandle(file), static_cast<LONG>(offset), nullptr, FILE_BEGIN);
  if (position == INVALID_SET_FILE_POINTER && GetLastError() != 0) {
    return LastError();
  }
  return 0;
}

int OsRead(OsHandle file, void* buffer, std::uint32_t size, std::uint32_t* count) {
  // A disk file delivers everything up to its end in one call; a pipe may deliver less, so keep
  // asking until the end.
  char* next = static_cast<char*>(buffer);
  std::uint32_t total = 0;
  while (total < size) {
    DWORD got;
    if (!ReadFile(AsHandle(file), next + total, size - total, &got, nullptr)) {
      return LastError();
    }
    if (got == 0) {
      break;
    }
    total += got;
  }
  *count = total;
  return 0;
}

int OsWrite(OsHandle file, const void* buffer, std::uint32_t size, std::uint32_t* count) {
  DWORD put;
  if (!WriteFile(AsHandle(file), buffer, size, &put, nullptr)) {
    return LastError();
  }
  *count = put;
  return 0;
}

int OsClose(OsHandle file) {
  if (!CloseHandle(AsHandle(file))) {
    return LastError();
  }
  return 0;
}

bool OsIdentifyFile(OsHandle file, OsFileId* id) {
  // Only a disk file has a volume and an index; the look-up fails on a device or a pipe.
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(AsHandle(file)) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(AsHandle(file), &info)) {
    return false;
  }
  *id = {info.dwVolumeSerialNumber,
         static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
  return true;
}

bool OsIdentifyPath(const std::string& path, OsFileId* id) {
  // No access asked and every kind of sharing granted: looking at the file must not fail where
  // creating it would succeed, nor get in anyone's way. Backup semantics let a directory open.
  HANDLE handle =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool found = OsIdentifyFile(reinterpret_cast<OsHandle>(handle), id);
  CloseHandle(handle);
  return found;
}

OsHandle OsStandardOutput(bool* isCharacterDevice) {
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD type = GetFileType(handle);
  // A process started detached, by a scheduler or a service, or with no handles has no standard
  // output at all; one whose parent closed its standard output before starting it holds a value
  // that names no handle in this process. Either way its lines go nowhere, as they would on NUL,
  // and the run goes on as it would with one; the POSIX back end holds a closed descriptor 1 with
  // /dev/null the same way. Should NUL not open, the first hand-over fails on the missing handle
  // as before.
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      (type == FILE_TYPE_UNKNOWN && GetLastError() == ERROR_INVALID_HANDLE)) {
    HANDLE null = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (null != INVALID_HANDLE_VALUE) {
      handle = null;
      type = GetFileType(handle);
    }
  }
  *isCharacterDevice = type == FILE_TYPE_CHAR;
  return reinterpret_cast<OsHandle>(handle);
}

std::string OsModuleName(const void* address, std::uint32_t* offset) {
  // The allocation that holds the code is the module's image, and its base is the module handle.
  MEMORY_BASIC_INFORMATION region;
  char path[MAX_PATH];
  DWORD length = 0;
  if (VirtualQuery(address, &region, sizeof region) != 0) {
    auto base = static_cast<const char*>(region.AllocationBase);
    *offset = static_cast<std::uint32_t>(static_cast<const char*>(address) - base);
    length = GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), path, sizeof path);
  } else {
    *offset = 0;
  }
  if (length == 0) {
    return "ulmor.exe";
  }
  std::string name(path, length);
  return name.substr(name.rfind('\\') + 1);
}

void OsSleep(unsigned milliseconds) {
  Sleep(milliseconds);
}

void OsExit(int status) {
  ExitProcess(static_cast<UINT>(status));
}
