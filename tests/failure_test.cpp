#include "io/failure.h"

#include <gtest/gtest.h>

namespace {

TEST(IoErrorText, KnownCodesAndTheRest) {
  const std::pair<int, std::string> texts[] = {
      {2, "File not found"},
      {3, "Invalid filename"},
      {4, "Too many open files"},
      {5, "File access denied"},
      {100, "Read beyond end of file"},
      {101, "Disk full"},
      {106, "Invalid numeric input"},
      {32, "I/O error 32"},
      {0, "I/O error 0"},
      {112, "I/O error 112"},
      {-5, "I/O error -5"},
  };
  for (const auto& [code, text] : texts) {
    EXPECT_EQ(IoErrorText(code), text) << code;
  }
}

TEST(IoFailureReport, TwoLinesSplitByALoneLineFeed) {
  EXPECT_EQ(IoFailureReport("ulmor.exe", 0x1A2B, 3),
            "Exception EInOutError in module ulmor.exe at 00001A2B.\nInvalid filename.");
  EXPECT_EQ(IoFailureReport("ulmor", 0xDEADBEEF, 32),
            "Exception EInOutError in module ulmor at DEADBEEF.\nI/O error 32.");
}

}  // namespace
