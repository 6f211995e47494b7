// Containers that are no disk file, and an executable removed during the run, on the native
// build.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "cases.h"
#include "edge_cases.h"
#include "native.h"

namespace {

// A device has a device and an inode here, but no member path leads to it.
class DeviceContainer : public testing::TestWithParam<E2ECase> {};

TEST_P(DeviceContainer, ReadAsAnyFile) {
  CheckCase(NativeTool(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, DeviceContainer,
                         testing::Values(DeviceCase("Null", "/dev/null", EndOfFileLine),
                                         DeviceCase("Zero", "/dev/zero",
                                                    FatalLine("sygnatura jest nieprawidlowa"))),
                         CaseName);

class PipeContainer : public testing::TestWithParam<PipeCase> {};

TEST_P(PipeContainer, ReadAsItArrives) {
  const std::string fifoDir = MakeTempDir();
  const std::string fifo = fifoDir + "/c.uq";
  CheckPipeCase(NativeTool(), GetParam(), fifo, fifo, false);
  RemoveTree(fifoDir);
}

INSTANTIATE_TEST_SUITE_P(E2E, PipeContainer, testing::ValuesIn(PipeCases()), PipeCaseName);

// Here a FIFO has a device and an inode like any file, so a member path that leads to it is
// refused as for a disk file: a member file is never opened on the container.
TEST(PipeGuard, MemberPathLeadsToTheFifo) {
  const std::string fifoDir = MakeTempDir();
  E2ECase c;
  c.rows = {{0, {1, 1}}};
  c.writeContainer = false;
  c.setUp = [fifoDir](const std::string& dir) {
    ASSERT_EQ(symlink(fifoDir.c_str(), (dir + "/out").c_str()), 0);
  };
  c.args = {fifoDir + "/000.bin", "out"};
  c.output = FoundLine(0) + ReportLines("I/O error 32.");
  c.status = 1;
  c.pauses = false;
  c.kept = {"000.bin"};
  FifoFeed feed = FeedFifo(fifoDir + "/000.bin", {MakeContainer(c.rows, 1)}, false);
  CheckCase(NativeTool(), c);
  EndFeed(feed);
  RemoveTree(fifoDir);
}

// The I/O failure report names the executable by its file name, also when that file was removed
// during the run, as a package upgrade does: never with the mark the system adds to its path.
TEST(ModuleName, ExecutableRemovedDuringTheRun) {
  const std::string bin = MakeTempDir();
  const std::string copy = bin + "/unpack-old";
  WriteBytes(copy, ReadBytes(ULMOR_BINARY));
  ASSERT_EQ(chmod(copy.c_str(), 0755), 0);
  Tool tool = NativeTool();
  tool.command = {copy};
  tool.module = "unpack-old";

  // The first member cannot be created, its directory's parent missing, so the report follows
  // its progress line.
  E2ECase c;
  c.rows = {{0, {1, 1}}};
  c.writeContainer = false;
  c.args = {bin + "/c.uq", "missing/out"};
  c.output = FoundLine(0) + ReportLines("Invalid filename.");
  c.status = 1;
  c.pauses = false;
  c.outDir = "missing/out";
  c.outDirMade = false;
  // The copy is removed once the tool has opened the FIFO, before it can read the header.
  FifoFeed feed = FeedFifo(bin + "/c.uq", {MakeContainer(c.rows, 1)}, false,
                           [&copy] { EXPECT_EQ(unlink(copy.c_str()), 0); });
  CheckCase(tool, c);
  EndFeed(feed);
  EXPECT_FALSE(Exists(copy));
  RemoveTree(bin);
}

}  // namespace
