#include "io/failure.h"

#include <cstdio>

#include "io/output.h"
#include "platform/platform.h"

namespace {

struct IoMessage {
  int code;
  const char* text;
};

constexpr IoMessage IoMessages[] = {
    {2, "File not found"},          {3, "Invalid filename"},          {4, "Too many open files"},
    {5, "File access denied"},      {100, "Read beyond end of file"}, {101, "Disk full"},
    {106, "Invalid numeric input"},
};

}  // namespace

std::string IoErrorText(int code) {
  for (const IoMessage& message : IoMessages) {
    if (message.code == code) {
      return message.text;
    }
  }
  return "I/O error " + std::to_string(code);
}

std::string IoFailureReport(const std::string& module, unsigned location, int code) {
  char address[9];
  std::snprintf(address, sizeof address, "%08X", location);
  std::string message = IoErrorText(code);
  if (!message.empty() && message.back() != '.') {
    message += '.';
  }
  // The lone line feed splits the report into two lines; the line end proper comes after.
  return "Exception EInOutError in module " + module + " at " + address + ".\n" + message;
}

void EndProcess(int status) {
  // A failed flush at the very end goes unreported and leaves the status as it is.
  (void)FlushOutput();
  OsExit(status);
}

void FatalError(const std::string& text) {
  WriteLine("Blad: " + text + ".");
  OsSleep(ExitPauseMs);
  EndProcess(1);
}

void FatalEndOfFile() {
  FatalError("nieoczekiwany koniec pliku");
}

void ReportIoFailure(int code, const void* site) {
  std::uint32_t location;
  std::string module = OsModuleName(site, &location);
  // If standard output itself is what failed, the report cannot be shown either; the status
  // still tells the failure.
  (void)PutLine(IoFailureReport(module, location, code));
  EndProcess(1);
}
