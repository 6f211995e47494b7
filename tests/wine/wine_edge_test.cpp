// The Windows build at the edges of its set-up, under Wine: containers that are no disk file.
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

}  // namespace
