// The tool as built for this machine, run directly.
#pragma once

#include "harness.h"

inline Tool NativeTool() {
  Tool tool;
  tool.command = {ULMOR_BINARY};
  tool.module = "ulmor";
  tool.probed = true;
  tool.quietStderr = true;
  return tool;
}
