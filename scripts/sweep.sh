#!/usr/bin/env bash
# The hostile-registry sweep, long form: builds like scripts/test.sh, then runs
#   scripts/sweep.sh [--cases N] [--seed S] [--first F]   (default: 10000 cases of seed 1)
#   scripts/sweep.sh --seed S --case N                     (one case, with a trace of what it did)
# Prints a progress line every 100 cases and a summary: cases run, failures by kind and the
# command that reproduces each failed case. Exit code 0 when every case passed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
args=("$@")
[[ " $* " == *" --cases "* || " $* " == *" --case "* ]] || args=(--cases 10000 "${args[@]}")
[[ " $* " == *" --progress "* || " $* " == *" --case "* ]] || args+=(--progress 100)
scripts/deps.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ztui-sweep >/dev/null
# A prefix of its own: the sweep rewrites shared stores (device map, ComDB) while it runs.
prefix="${ZTUI_SWEEP_PREFIX:-$PWD/build/sweep-prefix}"  # another prefix lets two seeds run side by side
cd build/bin
status=0
../../scripts/wine-run "$prefix" ztui-sweep.exe "${args[@]}" || status=$?
../../scripts/wine-prefix down "$prefix" >/dev/null 2>&1 || true
exit $status
