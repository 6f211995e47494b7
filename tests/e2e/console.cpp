#include "console.h"

#include <gtest/gtest.h>

std::vector<ConsoleCase> ConsoleCases(const std::string& reportBreak) {
  E2ECase lines;
  lines.name = "LinesBeforeThePause";
  lines.rows = {{0, {1, 1}}, {3, {2, 1}}};
  lines.container = [rows = lines.rows] { return MakeContainer(rows, 2); };
  lines.written = {0, 3};
  lines.output = FoundLines(lines.written) + PauseMark;

  // The fatal line too goes out before its pause, the container ending inside member 1.
  E2ECase fatal;
  fatal.name = "FatalLineBeforeThePause";
  fatal.rows = {{0, {1, 1}}, {1, {9, 1}}};
  fatal.container = [rows = fatal.rows] { return MakeContainer(rows, 1); };
  fatal.written = {0};
  fatal.cut = {{1, 0}};
  fatal.output = FoundLines({0, 1}) + EndOfFileLine + PauseMark;
  fatal.status = 1;

  // The output directory's parent is missing: the report follows the progress line at once.
  E2ECase report;
  report.name = "ReportOnTheConsole";
  report.rows = {{0, {1, 1}}};
  report.container = [rows = report.rows] { return MakeContainer(rows, 1); };
  report.args = {"c.uq", "missing/out"};
  report.output = FoundLine(0) + "Exception EInOutError in module {module} at {addr}." +
                  reportBreak + "Invalid filename.\r\n";
  report.status = 1;
  report.pauses = false;
  report.outDirMade = false;

  E2ECase file = lines;
  file.name = "FileGetsTheLinesAtExit";
  file.output = PauseMark + FoundLines(file.written);

  return {{lines}, {fatal}, {report}, {file, false}};
}

void CheckConsoleCase(Tool tool, const ConsoleCase& c) {
  tool.env.push_back("ULMOR_TEST_PAUSE_MARK=" + PauseMark);
  RunSetUp setUp;
  setUp.outputToTerminal = c.terminal;
  CheckCase(tool, c.expected, setUp);
}

void PrintTo(const ConsoleCase& c, std::ostream* out) {
  *out << c.expected.name;
}

std::string ConsoleCaseName(const testing::TestParamInfo<ConsoleCase>& info) {
  return info.param.expected.name;
}
