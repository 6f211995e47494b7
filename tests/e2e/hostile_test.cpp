// Runs started the way a careless caller or a shell can start them: without standard
// descriptors, or with standard output that cannot be written. Each ends by the tool's own
// rules, never by a signal.
#include <gtest/gtest.h>

#include <cerrno>

#include "cases.h"
#include "native.h"

namespace {

// Nine one-sector members: the 128-byte output buffer fills during the seventh progress line,
// so standard output is handed over in the middle of the run.
E2ECase NineMembers(std::string name) {
  E2ECase c;
  c.name = std::move(name);
  for (int index = 0; index < 9; ++index) {
    c.rows[index] = {static_cast<std::uint16_t>(index + 1), 1};
    c.written.push_back(index);
  }
  c.container = [rows = c.rows] { return MakeContainer(rows, 9); };
  c.output = FoundLines(c.written);
  return c;
}

NativeCase Closed(std::string name, std::vector<int> closed) {
  NativeCase c;
  c.expected = NineMembers(std::move(name));
  c.setUp.closed = std::move(closed);
  // Whatever went to a closed standard output went to the null device in its place.
  for (int fd : c.setUp.closed) {
    if (fd == 1) {
      c.expected.output.clear();
    }
  }
  return c;
}

std::vector<NativeCase> ClosedDescriptorCases() {
  std::vector<NativeCase> cases = {
      Closed("StdinClosed", {0}),
      Closed("StdoutClosed", {1}),
      Closed("StderrClosed", {2}),
      Closed("AllClosed", {0, 1, 2}),
  };
  // Left closed, descriptors 0 and 1 would go to the container and the first member, and the
  // report, printed while the member is still open, would land in the member.
  NativeCase c = Closed("AllClosedReportWithMemberOpen", {0, 1, 2});
  c.expected.rows = {{0, {1, 129}}};
  c.expected.container = [rows = c.expected.rows] { return MakeContainer(rows, 129); };
  c.expected.written = {};
  c.expected.cut = {{0, 65536}};
  c.expected.status = 1;
  c.expected.pauses = false;
  c.setUp.fault = "read c.uq 3 " + std::to_string(EIO);
  cases.push_back(c);
  return cases;
}

class ClosedDescriptor : public testing::TestWithParam<NativeCase> {};

// A descriptor the process starts without is held by the null device, so no container or
// member file ever takes the place of standard output.
TEST_P(ClosedDescriptor, NoFileReceivesOutput) {
  CheckNativeCase(GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, ClosedDescriptor, testing::ValuesIn(ClosedDescriptorCases()),
                         NativeCaseName);

std::vector<NativeCase> UnwritableOutputCases() {
  RunSetUp closedPipe;
  closedPipe.outputToClosedPipe = true;
  RunSetUp fullDevice;
  fullDevice.outputPath = "/dev/full";

  // Short runs hand their output over only at exit, where a failure is not reported.
  E2ECase shortRun;
  shortRun.name = "ShortRunToClosedPipe";
  shortRun.rows = {{0, {1, 1}}};
  shortRun.container = [rows = shortRun.rows] { return MakeContainer(rows, 1); };
  shortRun.written = {0};

  E2ECase shortFatal = shortRun;
  shortFatal.name = "ShortFatalRunToClosedPipe";
  shortFatal.rows = {{0, {1, 1}}, {1, {9, 1}}};
  shortFatal.container = [rows = shortFatal.rows] { return MakeContainer(rows, 1); };
  shortFatal.written = {0, 1};
  shortFatal.status = 1;

  // A hand-over in the middle of the run fails: the I/O failure report, unseen, ends it there.
  E2ECase longRun = NineMembers("LongRunToClosedPipe");
  longRun.output.clear();
  longRun.written = {0, 1, 2, 3, 4, 5};
  longRun.status = 1;
  longRun.pauses = false;

  // A character device gets every line at once, so the usage line itself fails.
  E2ECase usage;
  usage.name = "UsageOnFullDevice";
  usage.container = [] { return MakeContainer({}, 0); };
  usage.args = {};
  usage.status = 1;
  usage.pauses = false;
  usage.outDirMade = false;

  return {{shortRun, closedPipe, ""},
          {shortFatal, closedPipe, ""},
          {longRun, closedPipe, ""},
          {usage, fullDevice, ""}};
}

class UnwritableOutput : public testing::TestWithParam<NativeCase> {};

TEST_P(UnwritableOutput, EndsByTheOutputRules) {
  CheckNativeCase(GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, UnwritableOutput, testing::ValuesIn(UnwritableOutputCases()),
                         NativeCaseName);

}  // namespace
