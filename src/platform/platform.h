// The one seam between the tool and the operating system.
//
// posix.cpp and win32.cpp each implement every routine here; CMake builds exactly one of them.
// Routines that can fail return the system error code of the failure, in Windows numbering,
// and 0 on success. The POSIX back end translates errno, so that one message table serves
// both platforms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An open file or the standard output: a HANDLE on Windows, a descriptor on POSIX.
using OsHandle = std::intptr_t;

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// Called first thing in main: makes the process safe to run before any file is touched.
void OsStartProcess();

// The arguments after the program name, empty ones never counted.
std::vector<std::string> OsArguments(int argc, char** argv);

// True when the path names an existing entry that is not a directory.
bool OsIsExistingFile(const std::string& path);

// Creates one directory level; the outcome is deliberately not reported.
void OsMakeDirectory(const std::string& path);

int OsOpenForReading(const std::string& path, OsHandle* file);
// Creates the file, or truncates it when it exists, for reading and writing.
int OsCreateFile(const std::string& path, OsHandle* file);
int OsSetPosition(OsHandle file, std::uint32_t offset);
// Fills the buffer; *count falls short of size only at the end of the file.
int OsRead(OsHandle file, void* buffer, std::uint32_t size, std::uint32_t* count);
// One transfer; *count may fall short of size, which the caller judges.
int OsWrite(OsHandle file, const void* buffer, std::uint32_t size, std::uint32_t* count);
int OsClose(OsHandle file);

// What makes a file itself, whatever path leads to it: device and inode on POSIX, volume
// serial number and file index on Windows.
struct OsFileId {
  std::uint64_t volume;
  std::uint64_t index;
};
// False when the open file has no identity: on Windows anything that is not a disk file, such
// as NUL, another device or a pipe, and on either platform a look-up that fails.
bool OsIdentifyFile(OsHandle file, OsFileId* id);
// False when nothing can be found at the path.
bool OsIdentifyPath(const std::string& path, OsFileId* id);

OsHandle OsStandardOutput(bool* isCharacterDevice);

// The file name of the module that holds `address`, and the address's offset within it.
std::string OsModuleName(const void* address, std::uint32_t* offset);

// Sleeps the whole time, even when a signal arrives meanwhile.
void OsSleep(unsigned milliseconds);

// Ends the process at once; the caller has flushed whatever must be flushed.
[[noreturn]] void OsExit(int status);

#ifndef _WIN32
// The Windows system error code for an errno value. `creating` tells a file creation, where a
// missing name means a missing directory on the way.
int WindowsErrorCode(int error, bool creating);
#endif
