// Runs whose standard output is a terminal, where each line must go out as soon as it ends, for
// every platform the tool is built for.
//
// The pause is marked on standard output itself: the sleep probe, or the Windows launcher that
// answers Sleep, writes PauseMark there when the pause begins. Lines that come before the mark
// were handed over before the pause, whatever the timing of the machine.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "cases.h"
#include "harness.h"

inline const std::string PauseMark = "[pause]";

struct ConsoleCase {
  E2ECase expected;  // its output holds PauseMark where the pause begins
  // False for a disk file in place of the terminal, where the same lines must wait for the exit:
  // the contrast shows that the mark tells the two apart.
  bool terminal = true;
};

// `reportBreak` is what the terminal shows for the lone line feed inside the I/O failure report.
std::vector<ConsoleCase> ConsoleCases(const std::string& reportBreak);

// Runs the case with its pauses marked; a tool that records pauses marks them without sleeping.
void CheckConsoleCase(Tool tool, const ConsoleCase& c);

void PrintTo(const ConsoleCase& c, std::ostream* out);

std::string ConsoleCaseName(const testing::TestParamInfo<ConsoleCase>& info);
