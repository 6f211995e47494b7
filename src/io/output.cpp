#include "io/output.h"

#include <cstddef>
#include <cstdint>

#include "io/failure.h"
#include "platform/platform.h"

namespace {

constexpr std::size_t OutputBufferSize = 128;

char OutputBuffer[OutputBufferSize];
std::size_t OutputUsed = 0;
bool OutputOpen = false;
bool OutputIsConsole = false;
OsHandle Output;

// A short transfer is not looked at: only a failure reported by the system counts.
int HandOver() {
  if (OutputUsed == 0) {
    return 0;
  }
  std::uint32_t written;
  int code = OsWrite(Output, OutputBuffer, static_cast<std::uint32_t>(OutputUsed), &written);
  OutputUsed = 0;
  return code;
}

int Put(const char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    OutputBuffer[OutputUsed++] = bytes[i];
    if (OutputUsed == OutputBufferSize) {
      if (int code = HandOver()) {
        return code;
      }
    }
  }
  return 0;
}

}  // namespace

int PutLine(const std::string& text) {
  if (!OutputOpen) {
    Output = OsStandardOutput(&OutputIsConsole);
    OutputOpen = true;
  }
  if (int code = Put(text.data(), text.size())) {
    return code;
  }
  if (int code = Put("\r\n", 2)) {
    return code;
  }
  return OutputIsConsole ? HandOver() : 0;
}

[[gnu::noinline]] void WriteLine(const std::string& text) {
  if (int code = PutLine(text)) {
    ReportIoFailure(code, CALL_SITE);
  }
}

int FlushOutput() {
  return OutputOpen ? HandOver() : 0;
}
