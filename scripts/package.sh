#!/usr/bin/env bash
# package.sh [--version X.Y.Z] [--build DIR] [--exe FILE] [--out FILE]
# Builds ztcfg.exe and packs it with its DSC manifest into an MSI with wixl:
# build/ztcfg-<version>.msi, per machine, x64, under Program Files\Norva\ztcfg,
# with that folder on the system PATH and the Event Log source "ztcfg".
# The version is the one in VERSION unless --version gives another (a newer
# package for an upgrade test). --exe packs that ztcfg.exe (a signed copy of
# the build's) instead of building one. Prints the package's path.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
version=$(tr -d ' \r\n' <"$root/VERSION")
build=$root/build
out=
exe=
while [ $# -gt 0 ]; do
  case "$1" in
    --version) version=${2:?--version takes X.Y.Z}; shift ;;
    --build) build=$(realpath -m "${2:?--build takes a folder}"); shift ;;
    --out) out=$(realpath -m "${2:?--out takes a file}"); shift ;;
    --exe) exe=$(realpath "${2:?--exe takes a file}"); shift ;;
    *) echo "usage: package.sh [--version X.Y.Z] [--build DIR] [--exe FILE] [--out FILE]" >&2; exit 2 ;;
  esac
  shift
done
# Windows Installer compares major.minor.build, each at most 255.255.65535.
if ! [[ $version =~ ^([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,5})$ ]] ||
   [ "${BASH_REMATCH[1]}" -gt 255 ] || [ "${BASH_REMATCH[2]}" -gt 255 ] || [ "${BASH_REMATCH[3]}" -gt 65535 ]; then
  echo "package.sh: version '$version' is not X.Y.Z (at most 255.255.65535)" >&2
  exit 2
fi
out=${out:-$build/ztcfg-$version.msi}

if [ -z "$exe" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" -j"$(nproc)" --target ztcfg >/dev/null
  exe=$build/bin/ztcfg.exe
fi

# wixl takes the files from the folder it runs in.
stage=$build/package/stage-$version
rm -rf "$stage"
mkdir -p "$stage" "$(dirname "$out")"
cp "$exe" "$stage/ztcfg.exe"
cp "$root/packaging/ztcfg.dsc.resource.json" "$stage/"
rm -f "$out"
(cd "$stage" && wixl -a x64 -D Version="$version" -o "$out" "$root/packaging/ztcfg.wxs")

# wixl knows no Environment element: the PATH entry goes into the package here,
# as WiX writes <Environment Name="PATH" Part="last" System="yes" Action="set"/>:
# "=" sets it on install, "-" takes it out again on uninstall, "*" for the
# machine's environment, "[~];" keeps what PATH holds and appends the folder.
# The two standard actions run where Windows Installer's own sequence puts them.
# Nor does it know MajorUpgrade's AllowSameVersionUpgrades: without it a rebuild
# of the same version would install beside the one it should replace, so the
# upgrade row includes its highest version (MigrateFeatures | VersionMaxInclusive;
# the attributes are part of the row's key, so the row is written anew).
idt=$stage/Environment.idt
printf 'Environment\tName\tValue\tComponent_\ns72\tl255\tL255\ts72\nEnvironment\tEnvironment\n' >"$idt"
printf 'SystemPath\t=-*PATH\t[~];[INSTALLDIR]\tProgram\n' >>"$idt"
upgrade_code=$(msiinfo export "$out" Property | awk -F'\t' '$1 == "UpgradeCode" { print $2 }' | tr -d '\r')
msibuild "$out" -i "$idt" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)" \
  -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"
echo "$out"
