#!/usr/bin/env bash
# Builds ztui.dll, the test bed and the tests, runs the core's rules natively,
# then every test under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/deps.sh
# The rules first: the host's compiler and GoogleTest, no Wine, milliseconds.
cmake -S tests/host -B build/host -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/host -j"$(nproc)"
build/host/core_rules_test --gtest_brief=1
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
cd build
# Tests share one Wine prefix (its registry, its windows): run them one at a time.
ctest --output-on-failure --timeout 180 "$@"
