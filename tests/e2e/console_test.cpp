// Standard output on a pseudo-terminal, natively: a character device, so every line goes out as
// soon as it ends. The terminal passes bytes as they are written, so the tool's CR LF line ends
// and the lone LF inside the I/O failure report are compared byte for byte.
#include <gtest/gtest.h>

#include "console.h"
#include "native.h"

namespace {

class Console : public testing::TestWithParam<ConsoleCase> {};

TEST_P(Console, Native) {
  CheckConsoleCase(NativeTool(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, Console, testing::ValuesIn(ConsoleCases("\n")), ConsoleCaseName);

}  // namespace
