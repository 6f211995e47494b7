#!/usr/bin/env bash
# Builds the tool and runs every test suite. This is the one test command; CI runs it too.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure
