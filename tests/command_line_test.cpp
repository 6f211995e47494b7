#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  const char* name;
  std::string line;
  std::vector<std::string> elements;
};

const SplitCase SplitCases[] = {
    {"Empty", "", {}},
    {"OnlyProgram", "ulmor.exe", {"ulmor.exe"}},
    {"TwoPaths", "ulmor c.uq out", {"ulmor", "c.uq", "out"}},
    {"RunsOfSeparators", "ulmor \t c.uq\x01\x1f out \r\n", {"ulmor", "c.uq", "out"}},
    {"HighBytesAreOrdinary", "ulmor \x80\xff.uq", {"ulmor", "\x80\xff.uq"}},
    {"EmptyPairsBeforeAndBetween", "ulmor \"\" c.uq \"\"\"\" out", {"ulmor", "c.uq", "out"}},
    {"EmptyPairsAndSeparatorsMixed", "ulmor\"\" \"\"\t\"\"c.uq", {"ulmor", "c.uq"}},
    {"EmptyPairBeforeProgram", "\"\" ulmor c.uq", {"ulmor", "c.uq"}},
    {"EmptyPairAtEndIsNotCounted", "ulmor c.uq \"\"", {"ulmor", "c.uq"}},
    {"LoneQuoteAtEndIsNotCounted", "ulmor c.uq \"", {"ulmor", "c.uq"}},
    {"QuotedStretchKeepsBlanksAndTabs", "ulmor \"my dir\\a\tb\" x", {"ulmor", "my dir\\a\tb", "x"}},
    {"StretchInTheMiddle", "ulmor out\"put di\"r", {"ulmor", "output dir"}},
    {"UnclosedStretchRunsToEnd", "ulmor \"a b", {"ulmor", "a b"}},
    {"TabSplits", "ulmor a\tb", {"ulmor", "a", "b"}},
    {"TrailingBackslashKeptInQuotes", "ulmor c.uq \"out dir\\\"", {"ulmor", "c.uq", "out dir\\"}},
    {"BackslashBeforeQuoteIsOrdinary", "ulmor a\\\"b c\"", {"ulmor", "a\\b c"}},
    {"QuoteAfterEmptyPairOpensStretch", "ulmor \"\"\" b\"", {"ulmor", " b"}},
    {"EmptyPairInsideElementIsDropped", "ulmor a\"\"b", {"ulmor", "ab"}},
};

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, Elements) {
  EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().elements);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, Split, testing::ValuesIn(SplitCases),
                         [](const testing::TestParamInfo<SplitCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
