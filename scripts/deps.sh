#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a Debian machine,
# only what is missing: mingw-w64 (posix threads), Wine 8, CMake, GoogleTest
# sources, the host's compiler and GoogleTest (the rules run natively),
# nlohmann's JSON header (the configurator's profiles), ImageMagick, Wine's
# own fonts (pictures draw as on Windows), cppcheck and clang-tidy for
# the static checks, wixl and msitools (the MSI), osslsigncode and openssl
# (signatures), SoftHSM, p11tool and OpenSSL's PKCS#11 engine (signing with a
# token), Python (the signing test's time-stamping server).
set -euo pipefail
need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
command -v x86_64-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-x86-64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
command -v wine >/dev/null || need+=(wine)
command -v cmake >/dev/null || need+=(cmake)
command -v make >/dev/null || need+=(make)
command -v flock >/dev/null || need+=(util-linux)
[ -f /usr/src/googletest/googletest/src/gtest-all.cc ] || need+=(googletest)
[ -f /usr/lib/x86_64-linux-gnu/libgtest.a ] || need+=(libgtest-dev)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
[ -e /usr/bin/convert-im6.q16 ] || need+=(imagemagick)
[ -f /usr/share/wine/fonts/marlett.ttf ] || need+=(fonts-wine)
command -v cppcheck >/dev/null || need+=(cppcheck)
command -v clang-tidy >/dev/null || need+=(clang-tidy)
command -v wixl >/dev/null || need+=(wixl)
command -v msibuild >/dev/null || need+=(msitools)
command -v osslsigncode >/dev/null || need+=(osslsigncode)
command -v openssl >/dev/null || need+=(openssl)
[ -f /usr/lib/softhsm/libsofthsm2.so ] || need+=(softhsm2)
command -v p11tool >/dev/null || need+=(gnutls-bin)
command -v python3 >/dev/null || need+=(python3)
[ -f /usr/lib/x86_64-linux-gnu/engines-3/pkcs11.so ] || need+=(libengine-pkcs11-openssl)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "Installing: ${need[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi
