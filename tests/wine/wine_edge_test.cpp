// The Windows build at the edges of its set-up, under Wine: containers that are no disk file,
// and standard output that is missing or refuses writes.
#include <gtest/gtest.h>

#include "cases.h"
#include "edge_cases.h"
#include "wine_tool.h"

namespace {

// A device has no file identity here, so nothing is guarded, and what it delivers decides the
// run.
class WineDeviceContainer : public testing::TestWithParam<E2ECase> {};

TEST_P(WineDeviceContainer, ReadAsAnyFile) {
  CheckCase(Launched(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, WineDeviceContainer,
                         testing::Values(DeviceCase("Null", "NUL", EndOfFileLine),
                                         DeviceCase("Zero", "Z:\\dev\\zero",
                                                    FatalLine("sygnatura jest nieprawidlowa"))),
                         CaseName);

// A Unix FIFO reached through drive Z: is a pipe to Wine (GetFileType gives FILE_TYPE_PIPE), with
// no file identity. A named pipe of Wine's own cannot stand in: its directory search does not
// find \\.\pipe\ names, so the tool would report the container missing.
class WinePipeContainer : public testing::TestWithParam<PipeCase> {};

TEST_P(WinePipeContainer, ReadAsItArrives) {
  const std::string fifoDir = MakeTempDir();
  const std::string fifo = fifoDir + "/c.uq";
  CheckPipeCase(Launched(), GetParam(), fifo, WindowsPath(fifo), true);
  RemoveTree(fifoDir);
}

INSTANTIATE_TEST_SUITE_P(E2E, WinePipeContainer, testing::ValuesIn(PipeCases()), PipeCaseName);

// Ten one-sector members: the 128-byte output buffer fills during the seventh progress line.
E2ECase TenMembers() {
  E2ECase c;
  for (int index = 0; index < 10; ++index) {
    c.rows[index] = {static_cast<std::uint16_t>(index + 1), 1};
    c.written.push_back(index);
  }
  c.container = [rows = c.rows] { return MakeContainer(rows, 10); };
  return c;
}

// Started with no standard handles, as a scheduler or a service may start it, or with a standard
// output that its parent closed, the tool has no standard output: its lines go nowhere and the
// run ends as it would with one.
TEST(WineNoOutput, NoStandardHandles) {
  E2ECase c = TenMembers();
  c.args = {"ulmor.exe c.uq out"};
  CheckCase(RawLine({"--no-std-handles"}), c);
}

TEST(WineNoOutput, StandardOutputClosed) {
  E2ECase c = TenMembers();
  c.args = {"ulmor.exe c.uq out"};
  CheckCase(RawLine({"--closed-stdout"}), c);
}

// Standard output that exists but refuses writes is a failed operation: the hand-over in the
// seventh line fails, and the report, which cannot be shown either, ends the run there.
E2ECase RefusedAtSeventhLine() {
  E2ECase c = TenMembers();
  c.written = {0, 1, 2, 3, 4, 5};
  c.status = 1;
  c.pauses = false;
  return c;
}

TEST(WineRefusingOutput, PipeWithoutReader) {
  RunSetUp setUp;
  setUp.outputToClosedPipe = true;
  CheckCase(Launched(), RefusedAtSeventhLine(), setUp);
}

// A character device takes every line at once, so the first line already fails.
TEST(WineRefusingOutput, FullDevice) {
  E2ECase c = TenMembers();
  c.written = {};
  c.status = 1;
  c.pauses = false;
  RunSetUp setUp;
  setUp.outputPath = "/dev/full";
  CheckCase(Launched(), c, setUp);
}

// A Unix descriptor 1 closed when Wine starts is not a missing handle: Wine's own descriptor for
// the working directory takes its number and becomes the standard output, a handle to a
// directory whose writes fail (error 6). The tool cannot tell it from any other handle that
// refuses writes.
TEST(WineRefusingOutput, DescriptorClosedBeforeWineStarts) {
  RunSetUp setUp;
  setUp.closed = {1};
  CheckCase(Direct(), RefusedAtSeventhLine(), setUp);
}

}  // namespace
