// Standard output on a terminal, under Wine: Wine gives a program a console when its standard
// output is a terminal, and the console's handles are character devices, so every line must go
// out as soon as it ends. The launcher shares its console with ulmor.exe and marks the pause
// there.
#include <gtest/gtest.h>

#include "console.h"
#include "wine_tool.h"

namespace {

// What the console shows, without the escape sequences Wine adds as it draws the console on the
// terminal. Wine 8 hides the cursor before each write and shows it again after (ESC [ ? 25 l,
// ESC [ ? 25 h); a console may also move the cursor (ESC [ ... letter) or set the terminal's
// title (ESC ] ... BEL). They are the console's, never the tool's bytes.
Bytes WithoutEscapes(const Bytes& shown) {
  Bytes text;
  for (std::size_t at = 0; at < shown.size();) {
    if (shown.compare(at, 2, "\x1b[") == 0) {
      // Parameter and intermediate bytes, up to the final one: a letter, @, or one of [\]^_`{|}~.
      at += 2;
      while (at < shown.size() && (shown[at] < '@' || shown[at] > '~')) {
        ++at;
      }
      ++at;
    } else if (shown.compare(at, 2, "\x1b]") == 0) {
      const std::size_t end = shown.find('\a', at);
      at = end == Bytes::npos ? shown.size() : end + 1;
    } else {
      text += shown[at++];
    }
  }
  return text;
}

Tool OnConsole(Tool tool) {
  tool.consoleView = WithoutEscapes;
  return tool;
}

// A console keeps a screen, not a stream of bytes, and Wine writes that screen to the terminal.
// With the console's processed output, as on Windows, a line feed starts a new line at its first
// column, so the lone LF inside the report shows as CR LF on the terminal, exactly like the CR LF
// that ends each line: the terminal cannot tell them apart. The bytes themselves are compared in
// the file and pipe cases, and natively on the terminal.
class WineConsole : public testing::TestWithParam<ConsoleCase> {};

TEST_P(WineConsole, Launched) {
  CheckConsoleCase(OnConsole(Launched()), GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, WineConsole, testing::ValuesIn(ConsoleCases("\r\n")),
                         ConsoleCaseName);

// Started by Wine itself, with no launcher in between, ulmor.exe has the console of its own.
TEST(WineConsoleDirect, ReportOnTheConsole) {
  for (const ConsoleCase& c : ConsoleCases("\r\n")) {
    if (c.expected.name == "ReportOnTheConsole") {
      CheckConsoleCase(OnConsole(Direct()), c);
    }
  }
}

}  // namespace
