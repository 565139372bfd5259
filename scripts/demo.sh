#!/usr/bin/env bash
# Builds ztui.dll and runs the demo: Device Manager's property sheet of a
# simulated board. Headless (the default) it saves pictures of the sheet to
# build/pictures/, prints the board's registry values before and after a
# scripted change and the values the change wrote, as a .reg file; then it
# renumbers the board's COM names through Port Name Remap, printing the six
# places that hold each name before and after, and saves pictures of the
# dialogs the page opens (Advanced Settings for both UART kinds, Port Name
# Remap, and on legacy boards I/O address remap, 9-bit mode and sleep mode).
#   --interactive   with an X display, shows the sheet
#   --gallery       pictures of every page layout and dialog into docs/pictures/,
#                   and of the panel and legacy pages at 150 % (144 DPI) into
#                   docs/pictures/hidpi/
#   --list          the boards of the catalogue
#   --cli           a short ztcfg session on two simulated boards of the model
# Other arguments go to the demo: --type 0x4D320000 --ports 32 --reg FILE.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ztui ztui-demo ztcfg ztcfg-harness RiVUROduv
interactive=0
gallery=0
list=0
cli=0
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --interactive) interactive=1 ;;
    --gallery) gallery=1 ;;
    --list) list=1 ;;
    --cli) cli=1 ;;
    # The demo runs in build/bin on Wine's drive Z:, which is the host's root.
    --reg) args+=(--reg "Z:$(realpath -m "${2:?--reg takes a file}")"); shift ;;
    *) args+=("$1") ;;
  esac
  shift
done

# Pictures of the BMP files the demo saved in a folder, as PNG.
to_png() {
  for bmp in "$1"/*.bmp; do
    [ -e "$bmp" ] || continue
    /usr/bin/convert "$bmp" -strip "${bmp%.bmp}.png" && rm -f "$bmp"
  done
}

if [ "$cli" = 1 ]; then
  prefix=$PWD/build/wineprefix
  status=0
  (cd build/bin && ../../scripts/wine-run "$prefix" ./ztui-demo.exe --cli "${args[@]}") || status=$?
  scripts/wine-prefix down "$prefix"
  exit $status
elif [ "$list" = 1 ]; then
  prefix=$PWD/build/wineprefix
  (cd build/bin && ../../scripts/wine-run "$prefix" ./ztui-demo.exe --list)
  scripts/wine-prefix down "$prefix"
elif [ "$interactive" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  # A prefix of its own that keeps Wine's X11 driver.
  prefix=$PWD/build/wineprefix-x11
  export ZTUI_DISPLAY=x11
  (cd build/bin && ../../scripts/wine-run "$prefix" ./ztui-demo.exe --interactive "${args[@]}")
  scripts/wine-prefix down "$prefix"
elif [ "$gallery" = 1 ]; then
  prefix=$PWD/build/wineprefix
  gallery_dir=$PWD/docs/pictures
  mkdir -p "$gallery_dir"
  rm -f "$gallery_dir"/*.bmp
  (cd build/bin && ../../scripts/wine-run "$prefix" ./ztui-demo.exe --gallery "Z:$gallery_dir" "${args[@]}")
  to_png docs/pictures
  # Wine reads the DPI when a process starts: the prefix's display setting says
  # 144 while the demo starts, and is removed again however the run ends.
  mkdir -p "$gallery_dir/hidpi"
  rm -f "$gallery_dir"/hidpi/*.bmp
  desktop='HKCU\Control Panel\Desktop'
  trap 'scripts/wine-run "$prefix" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true' EXIT
  scripts/wine-run "$prefix" reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  (cd build/bin && ../../scripts/wine-run "$prefix" ./ztui-demo.exe --gallery "Z:$gallery_dir/hidpi" \
     --only page-panel,page-legacy "${args[@]}")
  scripts/wine-run "$prefix" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1
  trap - EXIT
  to_png docs/pictures/hidpi
  scripts/wine-prefix down "$prefix"
  echo "Gallery: $(ls docs/pictures/*.png docs/pictures/hidpi/*.png 2>/dev/null | tr '\n' ' ')"
else
  prefix=$PWD/build/wineprefix
  pictures=$PWD/build/pictures
  mkdir -p "$pictures"
  rm -f "$pictures"/*.bmp "$pictures"/*.png
  (cd build/bin && ../../scripts/wine-run "$prefix" ./ztui-demo.exe --pictures "Z:$pictures" "${args[@]}")
  to_png build/pictures
  scripts/wine-prefix down "$prefix"
  echo "Pictures: $(ls build/pictures/*.png 2>/dev/null | tr '\n' ' ')"
fi
