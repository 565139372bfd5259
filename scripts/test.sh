#!/usr/bin/env bash
# Builds ztui.dll, the test bed and the tests, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
cd build
# Tests share one Wine prefix (its registry, its windows): run them one at a time.
ctest --output-on-failure --timeout 180 "$@"
