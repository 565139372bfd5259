#!/usr/bin/env bash
# package-test.sh BUILD_DIR
# The MSI's life on a machine that never saw it: a fresh Wine prefix, the
# package of VERSION installed quietly, its ztcfg found on the PATH, a rebuild
# of the same version and a newer package over it, an older one refused, then
# the uninstall, after which no file, folder, PATH entry or registry key of it
# may remain.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "${1:?usage: package-test.sh BUILD_DIR}")
work=$build/package-test
prefix=$work/prefix
rm -rf "$work"
mkdir -p "$work"

version=$(tr -d ' \r\n' <"$root/VERSION")
IFS=. read -r major minor patch <<<"$version"
newer=$major.$minor.$((patch + 1))
old_msi=$("$root/scripts/package.sh" --build "$build" --out "$work/ztcfg-$version.msi")
rebuilt_msi=$("$root/scripts/package.sh" --build "$build" --out "$work/ztcfg-$version-rebuilt.msi")
new_msi=$("$root/scripts/package.sh" --build "$build" --version "$newer" --out "$work/ztcfg-$newer.msi")

"$root/scripts/wine-prefix" up "$prefix"
trap '"$root/scripts/wine-prefix" down "$prefix"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY
cd "$prefix"   # nothing here that wine could take for ztcfg.exe

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
property() { msiinfo export "$1" Property | awk -F'\t' -v p="$2" '$1 == p { print $2 }' | tr -d '\r'; }
# Windows Installer's packed form of a GUID: each field's hex digits reversed,
# the last eight bytes with their two digits swapped.
packed() {
  local g=${1//[\{\}-]/} out="" i
  out=$(rev <<<"${g:0:8}")$(rev <<<"${g:8:4}")$(rev <<<"${g:12:4}")
  for ((i = 16; i < 32; i += 2)); do out+=${g:i+1:1}${g:i:1}; done
  echo "$out"
}
# The data of a registry value, or nothing when the key or value is missing.
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
value_type() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { print $2 }'; }
has_key() { wine reg query "$1" >/dev/null 2>&1; }
msiexec() { local rc=0; wine msiexec "$@" /qn </dev/null >/dev/null 2>&1 || rc=$?; echo "$rc"; }

env_key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\ztcfg'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
upgrade_key="HKLM\\Software\\Classes\\Installer\\UpgradeCodes\\$(packed "$(property "$old_msi" UpgradeCode)")"
old_code=$(property "$old_msi" ProductCode)
new_code=$(property "$new_msi" ProductCode)
dir='C:\Program Files\Norva\ztcfg'
unix_dir="$prefix/drive_c/Program Files/Norva/ztcfg"
path_before=$(value "$env_key" PATH)

# ---------------------------------------------------------------- install
rc=$(msiexec /i "Z:$old_msi")
[ "$rc" = 0 ] || fail "install of $version ended with $rc"
cmp -s "$unix_dir/ztcfg.exe" "$build/bin/ztcfg.exe" || fail "ztcfg.exe is not installed in $dir"
cmp -s "$unix_dir/ztcfg.dsc.resource.json" "$root/packaging/ztcfg.dsc.resource.json" ||
  fail "the DSC manifest is not installed beside ztcfg.exe"
path=$(value "$env_key" PATH)
[[ ";$path;" == *";$dir\\;"* || ";$path;" == *";$dir;"* ]] || fail "PATH lacks $dir: $path"
[[ $path == "$path_before"* ]] || fail "PATH lost what it held: $path"
[ "$(value "$source_key" EventMessageFile)" = "$dir\\ztcfg.exe" ] ||
  fail "event source's EventMessageFile is '$(value "$source_key" EventMessageFile)'"
# The Event Log reads the message file's path as REG_EXPAND_SZ.
[ "$(value_type "$source_key" EventMessageFile)" = REG_EXPAND_SZ ] ||
  fail "event source's EventMessageFile is of type '$(value_type "$source_key" EventMessageFile)'"
[ "$(value "$source_key" TypesSupported)" = 0x7 ] ||
  fail "event source's TypesSupported is '$(value "$source_key" TypesSupported)'"
# By name, as an administrator's shell finds it on the PATH.
help_rc=0
help=$(wine ztcfg --help 2>&1 </dev/null | tr -d '\r') || help_rc=$?
[ "$help_rc" = 0 ] || fail "installed ztcfg --help ended with $help_rc"
[[ $help == *"Usage:"*"ztcfg list"* ]] || fail "installed ztcfg --help printed: ${help:0:200}"

# ---------------------------------------------------------------- upgrade
installed() {
  wine reg query "$upgrade_key" 2>/dev/null | tr -d '\r' | awk 'NF >= 2 && $2 ~ /^REG_/ { print $1 }' | sort | tr '\n' ' '
}
# A rebuild of the same version (a new product code) replaces the installed one.
rc=$(msiexec /i "Z:$rebuilt_msi")
[ "$rc" = 0 ] || fail "install of a rebuilt $version over $version ended with $rc"
[ "$(installed)" = "$(packed "$(property "$rebuilt_msi" ProductCode)") " ] ||
  fail "after a rebuild of the same version the installed products are: $(installed)"
rc=$(msiexec /i "Z:$new_msi")
[ "$rc" = 0 ] || fail "install of $newer over $version ended with $rc"
[ "$(installed)" = "$(packed "$new_code") " ] || fail "after the upgrade the installed products are: $(installed)"
has_key "$uninstall_key\\$old_code" && fail "$version is still listed in Programs and Features"
[ "$(value "$uninstall_key\\$new_code" DisplayVersion)" = "$newer" ] ||
  fail "Programs and Features shows version '$(value "$uninstall_key\\$new_code" DisplayVersion)', not $newer"
[ -f "$unix_dir/ztcfg.exe" ] || fail "the upgrade removed ztcfg.exe"
# An older package never replaces a newer one.
rc=$(msiexec /i "Z:$old_msi")
[ "$rc" != 0 ] || fail "$version installed over $newer"
[ "$(installed)" = "$(packed "$new_code") " ] || fail "after the refused downgrade the installed products are: $(installed)"

# ---------------------------------------------------------------- uninstall
rc=$(msiexec /x "Z:$new_msi")
[ "$rc" = 0 ] || fail "uninstall ended with $rc"
[ -e "$prefix/drive_c/Program Files/Norva" ] && fail "left behind: $(find "$prefix/drive_c/Program Files/Norva")"
path=$(value "$env_key" PATH)
[[ $path == *Norva* ]] && fail "PATH still holds the folder: $path"
# Wine's RemoveEnvironmentStrings takes the entry out but keeps its separator.
[ "$(sed "s/;*$//" <<<"$path")" = "$path_before" ] || fail "PATH is '$path', was '$path_before'"
has_key "$source_key" && fail "the event source's key remains"
has_key "$upgrade_key" && fail "the upgrade code's key remains"
has_key "$uninstall_key\\$new_code" && fail "$newer is still listed in Programs and Features"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s); the prefix is kept in $prefix" >&2
  exit 1
fi
trap - EXIT
"$root/scripts/wine-prefix" down "$prefix"
rm -rf "$work"
echo "install, upgrade, refused downgrade and uninstall of ztcfg $version -> $newer: OK"
