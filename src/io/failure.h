// The two ways a run ends in failure, and the normal end they share with a successful run.
// None of these routines returns.
#pragma once

#include <string>

// The pause before the process ends, after a normal run and after a fatal message, so that a
// console window that closes with the program stays readable.
inline constexpr unsigned ExitPauseMs = 1000;

// The location of the call that is running, for the I/O failure report. Guarded operations are
// never inlined, so that their return address is the site in the caller that failed.
#define CALL_SITE __builtin_return_address(0)

// The message of the I/O failure report for a system error code.
std::string IoErrorText(int code);

// The whole text of the I/O failure report, without its line end.
std::string IoFailureReport(const std::string& module, unsigned location, int code);

// Flushes standard output, without reporting a failure, and ends the process.
[[noreturn]] void EndProcess(int status);

// Prints "Blad: <text>.", pauses and ends with status 1. Callers close their files first.
[[noreturn]] void FatalError(const std::string& text);
[[noreturn]] void FatalEndOfFile();

// Prints the I/O failure report for a failed operation at `site` and ends with status 1 at once.
[[noreturn]] void ReportIoFailure(int code, const void* site);
