// The end-to-end cases on the native build.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "cases.h"
#include "native.h"

namespace {

class SharedCase : public testing::TestWithParam<E2ECase> {};

TEST_P(SharedCase, Native) {
  CheckCase(NativeTool(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, SharedCase, testing::ValuesIn(SharedCases()),
                         [](const testing::TestParamInfo<E2ECase>& info) {
                           return info.param.name;
                         });

// Other paths that lead a member to the container, which the shared cases cannot make on every
// platform. Each time the container stays whole, the members before it are kept and the run
// ends with a sharing violation right after the member's progress line.
std::vector<E2ECase> GuardCases() {
  E2ECase link;
  link.rows = {{0, {1, 1}}, {2, {2, 1}}, {3, {1, 2}}, {4, {3, 1}}};
  link.container = [rows = link.rows] { return MakeContainer(rows, 3); };
  link.output = FoundLines({0, 2, 3}) + ReportLines("I/O error 32.");
  link.status = 1;
  link.pauses = false;
  link.written = {0, 2};
  link.kept = {"003.bin"};

  E2ECase hard = link;
  hard.name = "HardLink";
  hard.setUp = [](const std::string& dir) {
    mkdir((dir + "/out").c_str(), 0755);
    ASSERT_EQ(::link((dir + "/c.uq").c_str(), (dir + "/out/003.bin").c_str()), 0);
  };
  E2ECase symbolic = link;
  symbolic.name = "SymbolicLink";
  symbolic.setUp = [](const std::string& dir) {
    mkdir((dir + "/out").c_str(), 0755);
    ASSERT_EQ(symlink("../c.uq", (dir + "/out/003.bin").c_str()), 0);
  };
  // The output directory itself reached through a link, and named without any directory part.
  E2ECase linkedDir = link;
  linkedDir.name = "LinkedOutputDirectory";
  linkedDir.containerName = "003.bin";
  linkedDir.args = {"003.bin", "here"};
  linkedDir.outDir = ".";
  linkedDir.kept = {"003.bin", "here"};
  linkedDir.setUp = [](const std::string& dir) {
    ASSERT_EQ(symlink(".", (dir + "/here").c_str()), 0);
  };
  return {hard, symbolic, linkedDir};
}

class GuardCase : public testing::TestWithParam<E2ECase> {};

TEST_P(GuardCase, ContainerStaysWhole) {
  CheckCase(NativeTool(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, GuardCase, testing::ValuesIn(GuardCases()),
                         [](const testing::TestParamInfo<E2ECase>& info) {
                           return info.param.name;
                         });

// The pause is real: a normal end takes at least a second, spent after the work.
TEST(Pause, NormalEndSleepsAfterTheWork) {
  Tool tool = NativeTool();
  tool.probed = false;
  const std::string dir = MakeTempDir();
  const RunResult run = RunTool(tool, dir, {});
  EXPECT_EQ(run.status, 0);
  EXPECT_GE(run.seconds, 1.0);
  RemoveTree(dir);
}

// Redirected to a file, a short run's lines stay in the buffer through the pause and reach the
// file at exit, in order.
TEST(RedirectedOutput, ShortRunIsWrittenAtExit) {
  const std::string dir = MakeTempDir();
  WriteBytes(dir + "/c.uq", MakeContainer({{0, {1, 1}}, {1, {9, 1}}}, 1));
  const RunResult run = RunTool(NativeTool(), dir, {"c.uq", "out"});
  EXPECT_EQ(run.output, FoundLine(0) + FoundLine(1) + EndOfFileLine);
  EXPECT_EQ(run.outputAtPause, std::vector<long>{0});
  RemoveTree(dir);
}

}  // namespace
