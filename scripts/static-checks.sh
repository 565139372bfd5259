#!/usr/bin/env bash
# static-checks.sh cppcheck|clang-tidy BUILD_DIR
# The library's static checks over src/: both must come out clean.
#  - cppcheck: warnings, performance, portability and style.
#  - clang-tidy: the checks of .clang-tidy, on the build's compile_commands.json, parsed for the
#    mingw-w64 target with the posix g++'s C++ and Windows headers.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tool=${1:?usage: static-checks.sh cppcheck|clang-tidy BUILD_DIR}
build=${2:?usage: static-checks.sh cppcheck|clang-tidy BUILD_DIR}
mapfile -t sources < <(find src -name '*.cpp' | sort)

case "$tool" in
  cppcheck)
    # useStlAlgorithm: the catalogue and choice tables are searched with plain loops on purpose
    # (no <algorithm> in the DLL's hot paths, same code under MSVC).
    # knownConditionTrueFalse in page/commands.cpp: RowSlot checks a row against both the page's
    # and the record's limits; the second check is redundant while the page has fewer rows.
    exec cppcheck --quiet --error-exitcode=1 --inline-suppr --std=c++20 --language=c++ \
      --enable=warning,performance,portability,style \
      -D_WIN32 -D_WIN64 -DWIN32_LEAN_AND_MEAN -DNOMINMAX -Isrc \
      --suppress=missingIncludeSystem --suppress=useStlAlgorithm \
      --suppress=knownConditionTrueFalse:src/page/commands.cpp \
      "${sources[@]}"
    ;;
  clang-tidy)
    gxx=x86_64-w64-mingw32-g++-posix
    args=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-Wno-unknown-warning-option)
    # The C++ library and Windows headers of the cross compiler (clang keeps its own intrinsics).
    while read -r dir; do
      case "$dir" in
        */include-fixed|*/12-posix/include|*/[0-9]*-posix/include) ;;
        *) args+=("--extra-arg=-isystem$dir") ;;
      esac
    done < <(echo | "$gxx" -xc++ -E -v - 2>&1 | sed -n '/#include <...> search starts here/,/End of search list/p' | sed -n 's/^ \(\/.*\)/\1/p')
    # A few files per process, one process per core.
    printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy --quiet -p "$build" "${args[@]}"
    ;;
  *) echo "usage: static-checks.sh cppcheck|clang-tidy BUILD_DIR" >&2; exit 2 ;;
esac
