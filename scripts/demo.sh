#!/usr/bin/env bash
# Builds ztui.dll and runs the demo: Device Manager's property sheet of a
# simulated board. Headless (the default) it saves pictures of the sheet to
# build/pictures/ and prints the board's registry values before and after a
# scripted change. With --interactive and an X display it shows the sheet.
# Other arguments go to the demo: --type 0x4D320000 --ports 32.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ztui ztui-demo RiVUROduv
interactive=0
args=()
for a in "$@"; do
  if [ "$a" = --interactive ]; then interactive=1; else args+=("$a"); fi
done
mkdir -p build/pictures
if [ "$interactive" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  # A prefix of its own that keeps Wine's X11 driver.
  prefix=$PWD/build/wineprefix-x11
  export ZTUI_DISPLAY=x11
  (cd build/bin && ../../scripts/wine-run "$prefix" ./ztui-demo.exe --interactive "${args[@]}")
  scripts/wine-prefix down "$prefix"
else
  prefix=$PWD/build/wineprefix
  pictures="Z:$PWD/build/pictures"
  (cd build/bin && ../../scripts/wine-run "$prefix" ./ztui-demo.exe --pictures "$pictures" "${args[@]}")
  for bmp in build/pictures/*.bmp; do
    [ -e "$bmp" ] || continue
    /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  scripts/wine-prefix down "$prefix"
  echo "Pictures: $(ls build/pictures/*.png 2>/dev/null | tr '\n' ' ')"
fi
