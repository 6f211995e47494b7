// Guarded file operations: each one tests the outcome of its system call, and a failure ends the
// run at once with the I/O failure report. None of them returns an error.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

// The system error code of a member write that completes with fewer bytes than asked.
inline constexpr int ShortWriteCode = 101;

OsHandle OpenForReading(const std::string& path);
OsHandle CreateMemberFile(const std::string& path);
void SetPosition(OsHandle file, std::uint32_t offset);
// Returns the number of bytes read, short of size only at the end of the file.
std::uint32_t ReadBlock(OsHandle file, void* buffer, std::uint32_t size);
void WriteBlock(OsHandle file, const void* buffer, std::uint32_t size);
void CloseFile(OsHandle file);

// The system error code of a sharing violation, given when a member path leads to the open
// container.
inline constexpr int SharingViolationCode = 32;

// Ends the run with a sharing violation when `path` leads to the file identified by `open`, so
// that creating a member can never truncate the container it is read from.
void RefuseSameFile(const OsFileId& open, const std::string& path);
