#!/usr/bin/env bash
# Builds ztui.dll and the benchmark, and runs it under Wine in the build's prefix:
#   scripts/bench.sh [--runs N] [--devices 100,1000,2000]
# Prints the table of call counts, median times and ratios to the floor; exits with 1
# when a goal is missed. Takes about a minute; not part of the tests.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ztui-bench ztcfg-harness
prefix="$PWD/build/wineprefix"
trap 'scripts/wine-prefix down "$prefix" || true' EXIT
scripts/wine-prefix restart "$prefix"
scripts/wine-run "$prefix" build/bin/ztui-bench.exe "$@"
