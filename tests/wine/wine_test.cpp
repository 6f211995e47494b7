// The end-to-end cases on the Windows build, run under Wine.
//
// The shared cases reach ulmor.exe through the launcher, which hands it a command line byte for
// byte and answers its Sleep calls, so that every pause is recorded as on the native build.
// Command lines that only Windows has, and the Windows-only failures, follow.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cases.h"
#include "wine_tool.h"

namespace {

class WineShared : public testing::TestWithParam<E2ECase> {};

TEST_P(WineShared, Launched) {
  CheckCase(Launched(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, WineShared, testing::ValuesIn(SharedCases()),
                         [](const testing::TestParamInfo<E2ECase>& info) {
                           return info.param.name;
                         });

// A few shared cases with the line that Wine builds, and pauses that are really slept.
TEST(WineDirect, ExtractsMembers) {
  CheckCase(Direct(), SharedCase("BlockBoundaries"));
}

TEST(WineDirect, DropsEmptyArguments) {
  CheckCase(Direct(), SharedCase("EmptyArgumentsAreDropped"));
}

TEST(WineDirect, ReportsAMissingParent) {
  CheckCase(Direct(), SharedCase("OutputParentMissing"));
}

// Standard output is a disk file here, not a character device: a short run's lines stay in the
// buffer through the pause and reach the file at exit, in order.
TEST(WineRedirectedOutput, ShortRunIsWrittenAtExit) {
  const std::string dir = MakeTempDir();
  WriteBytes(dir + "/c.uq", MakeContainer({{0, {1, 1}}, {1, {9, 1}}}, 1));
  const RunResult run = RunTool(Launched(), dir, {"c.uq", "out"});
  EXPECT_EQ(run.output, FoundLine(0) + FoundLine(1) + EndOfFileLine);
  EXPECT_EQ(run.outputAtPause, std::vector<long>{0});
  RemoveTree(dir);
}

// A case whose command line is given byte for byte, after the program name.
E2ECase Line(std::string name, const std::string& tail) {
  E2ECase c;
  c.name = std::move(name);
  c.rows = {{0, {1, 1}}, {3, {2, 1}}};
  c.container = [rows = c.rows] { return MakeContainer(rows, 2); };
  c.args = {"ulmor.exe " + tail};
  c.written = {0, 3};
  c.output = FoundLine(0) + FoundLine(3);
  return c;
}

E2ECase LineUsage(std::string name, const std::string& tail) {
  E2ECase c = Line(std::move(name), tail);
  c.written = {};
  c.output = UsageLine;
  c.outDirMade = false;
  return c;
}

std::vector<E2ECase> LineCases() {
  std::vector<E2ECase> cases;
  // Empty pairs before an element are skipped with the separators around them, in any order.
  cases.push_back(Line("EmptyPairsBeforeAndBetween", "\"\" \"\"\"\"c.uq \"\"\t\"\" out"));
  // After the last element they make an empty one, which is not counted.
  cases.push_back(LineUsage("EmptyPairAfterContainer", "c.uq \"\""));
  cases.push_back(LineUsage("EmptyPairsAfterContainer", "c.uq \"\"\t\"\""));
  // A quoted stretch may begin and end anywhere inside an element.
  cases.push_back(Line("QuotedStretchesInsideElements", "c\".u\"q o\"u\"t"));
  // A stretch runs to the end of the line when no quote closes it.
  cases.push_back(Line("UnclosedStretch", "c.uq \"out"));
  cases.push_back(Line("TabBetweenWords", "c.uq\tout"));
  cases.push_back(LineUsage("TabBetweenThreeWords", "c.uq\tout\tx"));
  // Inside quotes the tab is part of the element: one argument, or a path that holds it.
  cases.push_back(LineUsage("TabInsideQuotes", "\"c.uq\tout\""));
  {
    E2ECase c = Line("TabInsideQuotedPath", "\"c\t.uq\" out");
    c.written = {};
    c.output = FatalLine("nie znalazlem c\t.uq");
    c.status = 1;
    c.outDirMade = false;
    cases.push_back(c);
  }
  // The backslash before the closing quote is kept, and the closing quote still ends the
  // stretch; the member path then holds two backslashes, out\\000.bin.
  cases.push_back(Line("QuotedDirectoryEndingInBackslash", "c.uq \"out\\\""));
  cases.push_back(LineUsage("QuoteAfterBackslashStillCloses", "c.uq \"out\\\" x"));
  // A backslash does not escape a double quote: out\ followed by an empty stretch.
  cases.push_back(Line("BackslashBeforeQuote", "c.uq out\\\""));
  return cases;
}

class WineLine : public testing::TestWithParam<E2ECase> {};

TEST_P(WineLine, Launched) {
  CheckCase(RawLine(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, WineLine, testing::ValuesIn(LineCases()),
                         [](const testing::TestParamInfo<E2ECase>& info) {
                           return info.param.name;
                         });

// Another process holds the container open without sharing it: opening it fails with the
// system's sharing violation, after the output directory was made.
TEST(WineOnly, ContainerHeldWithoutSharing) {
  E2ECase c = Line("ContainerHeldWithoutSharing", "c.uq out");
  c.written = {};
  c.output = ReportLines("I/O error 32.");
  c.status = 1;
  c.pauses = false;
  CheckCase(RawLine({"--hold", "c.uq"}), c);
}

// The existence test takes * and ? as a pattern and finds c.uq; the open takes the path as a
// name, which the system refuses as invalid.
TEST(WineOnly, WildcardContainerPath) {
  for (const char* pattern : {"*.uq", "c.u?"}) {
    E2ECase c = Line("WildcardContainerPath", std::string(pattern) + " out");
    c.written = {};
    c.output = ReportLines("I/O error 123.");
    c.status = 1;
    c.pauses = false;
    SCOPED_TRACE(pattern);
    CheckCase(RawLine(), c);
  }
}

// A member path that leads to the container itself, spelled another way, is refused as a sharing
// violation before the file is created: the container is never cut short.
TEST(WineOnly, MemberPathLeadsToTheContainer) {
  const std::string dir = MakeTempDir();
  mkdir((dir + "/out").c_str(), 0755);
  const Bytes container = MakeContainer({{2, {1, 1}}, {5, {1, 1}}}, 1);
  WriteBytes(dir + "/out/005.bin", container);
  const RunResult run = RunTool(Launched(), dir, {"out/005.bin", "./out"});
  EXPECT_TRUE(OutputMatches(FoundLine(2) + FoundLine(5) + ReportLines("I/O error 32."), "ulmor.exe",
                            run.output))
      << run.output;
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.pauses, std::vector<long>{});
  EXPECT_EQ(ReadBytes(dir + "/out/005.bin"), container);
  EXPECT_EQ(ReadBytes(dir + "/out/002.bin"), MemberBytes(container, {1, 1}));
  RemoveTree(dir);
}

}  // namespace
