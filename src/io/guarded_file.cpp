#include "io/guarded_file.h"

#include "io/failure.h"

// Each routine stays out of line so that CALL_SITE names the caller's operation.

[[gnu::noinline]] OsHandle OpenForReading(const std::string& path) {
  OsHandle file;
  if (int code = OsOpenForReading(path, &file)) {
    ReportIoFailure(code, CALL_SITE);
  }
  return file;
}

[[gnu::noinline]] OsHandle CreateMemberFile(const std::string& path) {
  OsHandle file;
  if (int code = OsCreateFile(path, &file)) {
    ReportIoFailure(code, CALL_SITE);
  }
  return file;
}

[[gnu::noinline]] void SetPosition(OsHandle file, std::uint32_t offset) {
  if (int code = OsSetPosition(file, offset)) {
    ReportIoFailure(code, CALL_SITE);
  }
}

[[gnu::noinline]] std::uint32_t ReadBlock(OsHandle file, void* buffer, std::uint32_t size) {
  std::uint32_t count;
  if (int code = OsRead(file, buffer, size, &count)) {
    ReportIoFailure(code, CALL_SITE);
  }
  return count;
}

[[gnu::noinline]] void WriteBlock(OsHandle file, const void* buffer, std::uint32_t size) {
  std::uint32_t count;
  if (int code = OsWrite(file, buffer, size, &count)) {
    ReportIoFailure(code, CALL_SITE);
  }
  if (count < size) {
    ReportIoFailure(ShortWriteCode, CALL_SITE);
  }
}

[[gnu::noinline]] void CloseFile(OsHandle file) {
  if (int code = OsClose(file)) {
    ReportIoFailure(code, CALL_SITE);
  }
}

[[gnu::noinline]] void RefuseSameFile(const OsFileId& open, const std::string& path) {
  OsFileId found;
  if (OsIdentifyPath(path, &found) && found.volume == open.volume && found.index == open.index) {
    ReportIoFailure(SharingViolationCode, CALL_SITE);
  }
}
