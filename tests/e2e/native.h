// The tool as built for this machine, run directly.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "cases.h"
#include "harness.h"

inline Tool NativeTool() {
  Tool tool;
  tool.command = {ULMOR_BINARY};
  tool.module = "ulmor";
  tool.probed = true;
  tool.quietStderr = true;
  return tool;
}

// A case whose run starts under conditions that only the native harness can make.
struct NativeCase {
  E2ECase expected;
  RunSetUp setUp;
  // Why a build with sanitizers cannot run the case, when it cannot.
  std::string notSanitized;
};

inline void CheckNativeCase(const NativeCase& c) {
#ifdef ULMOR_SANITIZED
  if (!c.notSanitized.empty()) {
    GTEST_SKIP() << c.notSanitized;
  }
#endif
  CheckCase(NativeTool(), c.expected, c.setUp);
}

inline void PrintTo(const NativeCase& c, std::ostream* out) {
  *out << c.expected.name;
}

inline std::string NativeCaseName(const testing::TestParamInfo<NativeCase>& info) {
  return info.param.expected.name;
}
