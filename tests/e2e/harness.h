// Runs the built tool on fixture containers made in a temporary directory and reads back what it
// did: its standard output, exit status, pauses and files.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::string;

// One row of a container's table, in sectors.
struct Row {
  std::uint16_t start;
  std::uint16_t length;
};

// A 512-byte header with the right signature and the given rows, by index.
Bytes MakeHeader(const std::map<int, Row>& rows);
// A header followed by `dataSectors` sectors of recognisable bytes, so that every sector of a
// container differs from every other.
Bytes MakeContainer(const std::map<int, Row>& rows, std::uint32_t dataSectors);

// What a member file holds after a run: the bytes its row covers, cut where the container ends.
Bytes MemberBytes(const Bytes& container, Row row);

std::string MakeTempDir();
void RemoveTree(const std::string& path);
bool Exists(const std::string& path);
Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
// The names of the entries of a directory, sorted.
std::vector<std::string> ListDir(const std::string& path);

// The sleep probe built with the tests.
std::string BuiltSleepProbe();

// How to start the tool under test.
struct Tool {
  std::vector<std::string> command;  // program and leading arguments
  std::vector<std::string> env;      // added NAME=value entries
  std::string module;                // the module name its I/O failure report shows
  // Whether pauses are recorded rather than slept, in the file named by ULMOR_TEST_SLEEP_LOG.
  bool probed = false;
  // Whether recording them takes the sleep probe preloaded; a command that records pauses
  // itself, as the Windows launcher does, needs none.
  bool preloadProbe = true;
  // The sleep probe library preloaded for that, such as a copy of it that another user can reach.
  std::string sleepProbe = BuiltSleepProbe();
  // Turns a case's arguments into the command's own; by default they are passed as they are.
  std::function<std::vector<std::string>(const std::vector<std::string>&)> arguments;
  // Whether standard error must stay empty: the tool itself never writes there, but a runner
  // such as Wine may.
  bool quietStderr = false;
  // What a terminal shows of the run's output, from the bytes that reached it, for a runner that
  // draws a console of its own there, as Wine does; by default the bytes as they are.
  std::function<Bytes(const Bytes&)> consoleView;
};

// Conditions a run starts under, beyond those RunTool always sets.
struct RunSetUp {
  // Standard output opened from this path, such as /dev/full, instead of a file that is read
  // back into RunResult.output.
  std::string outputPath;
  // Standard output on a pipe whose reading end is already closed.
  bool outputToClosedPipe = false;
  // Standard output on a pseudo-terminal that passes bytes as they are written, read back into
  // RunResult.output as they arrive.
  bool outputToTerminal = false;
  // Descriptors among 0, 1 and 2 that the tool starts without.
  std::vector<int> closed;
  // Process limits: the largest file in bytes, and the number of descriptors; 0 leaves a limit
  // as it is.
  unsigned long fileSizeLimit = 0;
  unsigned long openFileLimit = 0;
  // When not empty, the fault-injection shim is preloaded and told this fault (see
  // fault_inject.cpp).
  std::string fault;
};

struct RunResult {
  int status = -1;           // exit status, or 128 + signal
  Bytes output;              // standard output, byte for byte
  Bytes errors;              // standard error
  std::vector<long> pauses;  // milliseconds of each pause (probed tools only)
  // Bytes standard output held when each pause began (probed tools only).
  std::vector<long> outputAtPause;
  double seconds = 0;  // wall time of the whole run
};

// Runs the tool in `dir` as working directory, standard output and standard error to files and
// standard input from /dev/null, unless `setUp` says otherwise.
RunResult RunTool(const Tool& tool, const std::string& dir, const std::vector<std::string>& args,
                  const RunSetUp& setUp = {});

// True when `actual` matches `expected`, where "{module}" stands for the tool's module name and
// "{addr}" for eight upper-case hexadecimal digits.
bool OutputMatches(const std::string& expected, const std::string& module, const Bytes& actual);
