#!/usr/bin/env bash
# sign.sh KEY [--timestamp URL]... [--description TEXT] [--url URL] FILE...
# Signs PE files (ztui.dll, ztcfg.exe) and MSI packages in place with an
# Authenticode signature (SHA-256) made by osslsigncode; a signature the file
# already has is replaced. KEY is one of:
#   --cert CERT.pem --key KEY.pem [--password P | --password-file F]
#                                   a certificate and its key as PEM files
#   --pfx FILE.pfx [--password P | --password-file F]
#                                   a PKCS#12 file holding both
#   --pkcs11-module LIB --pkcs11-key URI [--cert CERT.pem] [--pkcs11-engine ENGINE]
#        [--password PIN | --password-file F]
#                                   a key on a hardware token through its PKCS#11
#                                   library (pkcs11:... URI); without --cert the
#                                   certificate is read from the token as well
# --timestamp URL asks an RFC 3161 time-stamping server to countersign, so the
# signature stays valid after the certificate expires; give it more than once
# for servers to fall back on. The password reaches osslsigncode on a pipe, never
# on its command line.
set -euo pipefail
usage() { sed -n '2,18p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2; exit "${1:-2}"; }
cert= key= pfx= module= engine= token_key= password= have_password=0 description= url=
stamps=() files=()
while [ $# -gt 0 ]; do
  case "$1" in
    --cert) cert=${2:?--cert takes a file}; shift ;;
    --key) key=${2:?--key takes a file}; shift ;;
    --pfx) pfx=${2:?--pfx takes a file}; shift ;;
    --password) password=${2?--password takes a value}; have_password=1; shift ;;
    --password-file) password=$(<"${2:?--password-file takes a file}"); have_password=1; shift ;;
    --pkcs11-module) module=${2:?--pkcs11-module takes a library}; shift ;;
    --pkcs11-engine) engine=${2:?--pkcs11-engine takes an engine}; shift ;;
    --pkcs11-key) token_key=${2:?--pkcs11-key takes a pkcs11: URI}; shift ;;
    --timestamp) stamps+=(-ts "${2:?--timestamp takes a URL}"); shift ;;
    --description) description=${2:?--description takes a text}; shift ;;
    --url) url=${2:?--url takes a URL}; shift ;;
    -h|--help) usage 0 ;;
    -*) echo "sign.sh: unknown option $1" >&2; usage ;;
    *) files+=("$1") ;;
  esac
  shift
done

# Exactly one source of the key.
signer=()
if [ -n "$pfx" ] && [ -z "$cert$key$module$token_key" ]; then
  signer=(-pkcs12 "$pfx")
elif [ -n "$cert" ] && [ -n "$key" ] && [ -z "$pfx$module$token_key" ]; then
  signer=(-certs "$cert" -key "$key")
elif [ -n "$module" ] && [ -n "$token_key" ] && [ -z "$pfx$key" ]; then
  signer=(-pkcs11module "$module" -key "$token_key")
  [ -z "$engine" ] || signer+=(-pkcs11engine "$engine")
  # Without --cert the certificate is the token's object of the key's name.
  if [ -n "$cert" ]; then signer+=(-certs "$cert"); else signer+=(-pkcs11cert "${token_key/type=private/type=cert}"); fi
else
  echo "sign.sh: give --cert and --key, or --pfx, or --pkcs11-module and --pkcs11-key" >&2
  usage
fi
[ ${#files[@]} -gt 0 ] || { echo "sign.sh: no file to sign" >&2; usage; }
for file in "${files[@]}"; do
  [ -f "$file" ] || { echo "sign.sh: $file: no such file" >&2; exit 2; }
done
details=(-h sha256)
[ -z "$description" ] || details+=(-n "$description")
[ -z "$url" ] || details+=(-i "$url")

status=0
for file in "${files[@]}"; do
  # Signed into a copy beside the file, which then replaces it: a failed
  # signing leaves the file as it was.
  signed="$file.signing"
  rm -f "$signed"
  args=(sign "${signer[@]}" "${details[@]}" "${stamps[@]}" -in "$file" -out "$signed")
  if [ "$have_password" = 1 ]; then
    printf '%s' "$password" | osslsigncode "${args[@]}" -readpass /dev/stdin >"$signed.log" 2>&1 || status=$?
  else
    osslsigncode "${args[@]}" </dev/null >"$signed.log" 2>&1 || status=$?
  fi
  if [ "$status" = 0 ] && [ -s "$signed" ]; then
    mv "$signed" "$file"
    rm -f "$signed.log"
    echo "signed $file"
  else
    echo "sign.sh: signing $file failed:" >&2
    cat "$signed.log" >&2
    rm -f "$signed" "$signed.log"
    exit 1
  fi
done
