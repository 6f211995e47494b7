// The end-to-end cases on the native build.
#include <gtest/gtest.h>

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
