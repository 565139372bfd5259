#!/usr/bin/env bash
# sign-test.sh BUILD_DIR
# Signs copies of ztui.dll, ztcfg.exe and the MSI with a throwaway self-signed
# code-signing certificate, from its PEM files, from a PFX and from a PKCS#11
# token (SoftHSM), and checks every signature with osslsigncode against that
# certificate; a file changed after signing, or checked against another
# certificate, must fail.
# The signed programs must still run under Wine (the shared prefix).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "${1:?usage: sign-test.sh BUILD_DIR}")
work=$build/sign-test
rm -rf "$work"
mkdir -p "$work"
cd "$work"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
verify() { osslsigncode verify -CAfile "$2" -TSA-CAfile tsa.pem -in "$1" </dev/null >"$1.verify" 2>&1; }
make_cert() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$1" -keyout "$2.key" -out "$2.pem" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -addext "basicConstraints=CA:FALSE" </dev/null >/dev/null 2>&1
}
# Changes a signed file in place: a byte of a program's code, a property of a package.
tamper() {
  case "$1" in
    *.msi) msibuild "$1" -q "UPDATE \`Property\` SET \`Value\`='ztcfg (changed)' WHERE \`Property\`='ProductName'" ;;
    *)
      # 64 bytes into the code: covered by the signature's digest.
      local text offset byte
      text=$(x86_64-w64-mingw32-objdump -h "$1" | awk '$2 == ".text" { print $6 }')
      offset=$((0x$text + 64))
      byte=$(od -An -tu1 -j "$offset" -N1 "$1" | tr -d ' ')
      printf "$(printf '\\%03o' $((byte ^ 0xff)))" | dd of="$1" bs=1 seek="$offset" conv=notrunc status=none
      ;;
  esac
}

make_cert "ztui test signing" signer
make_cert "someone else" stranger
password=throwaway-$$
openssl pkcs12 -export -inkey signer.key -in signer.pem -out signer.pfx -passout "pass:$password"
# A hardware token's stand-in: SoftHSM with the same key, reached through its
# PKCS#11 library as a vendor's USB key would be.
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir tokens
printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' "$work/tokens" >"$SOFTHSM2_CONF"
pin=4321
softhsm2-util --init-token --free --label ztsign --pin "$pin" --so-pin 87654321 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in signer.key -out signer.p8
softhsm2-util --import signer.p8 --token ztsign --label signer --id 01 --pin "$pin" >/dev/null
GNUTLS_PIN=$pin p11tool --provider /usr/lib/softhsm/libsofthsm2.so --login --write --load-certificate signer.pem \
  --label signer --id 01 "pkcs11:token=ztsign" >/dev/null 2>&1
# A time-stamping server on this machine (RFC 3161 over HTTP, answered by
# openssl ts) for --timestamp; the proxy settings of CI must not catch it.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=test time stamps" -keyout tsa.key -out tsa.pem \
  -addext "extendedKeyUsage=critical,timeStamping" -addext "keyUsage=critical,digitalSignature" \
  -addext "basicConstraints=CA:FALSE" </dev/null >/dev/null 2>&1
echo 01 >tsa.serial
cat >tsa.cnf <<'CNF'
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = tsa.serial
crypto_device = builtin
signer_cert = tsa.pem
signer_key = tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
CNF
python3 -c '
import http.server, subprocess
class Tsa(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", "/dev/stdin",
                                "-out", "/dev/stdout"], input=query, capture_output=True).stdout
        self.send_response(200 if reply else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Tsa)
print(server.server_port, flush=True)
server.serve_forever()
' >tsa.port </dev/null 2>tsa.log &
tsa_pid=$!
trap 'kill $tsa_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s tsa.port ] && break; sleep 0.1; done
timestamp=http://127.0.0.1:$(cat tsa.port)/

# A release as the README shows it: the library and the program signed, the
# signed program packed, then the package signed.
token=(--pkcs11-module /usr/lib/softhsm/libsofthsm2.so --pkcs11-key "pkcs11:token=ztsign;object=signer;type=private"
       --password "$pin")
sign() {
  case "$1" in
    pem) "$root/scripts/sign.sh" --cert signer.pem --key signer.key --description ztcfg --timestamp "$timestamp" "${@:2}" ;;
    pfx) "$root/scripts/sign.sh" --pfx signer.pfx --password "$password" "${@:2}" ;;
    # The certificate from the token, or from a file.
    token) "$root/scripts/sign.sh" "${token[@]}" "${@:2}" ;;
    token-cert) "$root/scripts/sign.sh" "${token[@]}" --cert signer.pem "${@:2}" ;;
  esac >/dev/null
}
for way in pem pfx token; do
  mkdir "$way"
  cp "$build/bin/ztui.dll" "$build/bin/ztcfg.exe" "$way/"
  sign "$way" "$way/ztui.dll" "$way/ztcfg.exe" || fail "sign.sh ($way) failed on the DLL and the EXE"
  "$root/scripts/package.sh" --exe "$way/ztcfg.exe" --out "$way/ztcfg.msi" >/dev/null
  sign "$way" "$way/ztcfg.msi" || fail "sign.sh ($way) failed on the MSI"
  mkdir "$way/unpacked"
  msiextract -C "$way/unpacked" "$way/ztcfg.msi" >/dev/null 2>&1 || fail "the signed MSI ($way) cannot be unpacked"
  packed_exe=$(find "$way/unpacked" -name ztcfg.exe | head -1)
  for file in "$way/ztui.dll" "$way/ztcfg.exe" "$way/ztcfg.msi" ${packed_exe:+"$packed_exe"}; do
    verify "$file" signer.pem || fail "$file ($way): $(tail -3 "$file.verify")"
    grep -q 'Number of verified signatures: 1$' "$file.verify" || fail "$file ($way) has not exactly one signature"
    verify "$file" stranger.pem && fail "$file ($way) verifies against a certificate that did not sign it"
    if [ "$way" = pem ]; then
      grep -q 'Timestamp Server Signature verification: ok' "$file.verify" || fail "$file has no valid time stamp"
    fi
  done
  [ -n "$packed_exe" ] || fail "no ztcfg.exe in the MSI ($way)"
done

# Signing again replaces the signature (here with the token's key and the
# certificate from a file); a failed signing leaves the file alone.
sign token-cert pem/ztcfg.exe || fail "signing a signed file failed"
verify pem/ztcfg.exe signer.pem && grep -q 'Number of verified signatures: 1$' pem/ztcfg.exe.verify ||
  fail "a signed file signed again does not hold exactly one valid signature"
cp pem/ztui.dll before.dll
"$root/scripts/sign.sh" --pfx signer.pfx --password wrong pem/ztui.dll >/dev/null 2>&1 && fail "sign.sh accepted a wrong password"
cmp -s before.dll pem/ztui.dll || fail "a failed signing changed the file"

# The signed files still work: the program runs, the library loads.
prefix=$build/wineprefix
cd "$work/pfx"
help_rc=0
"$root/scripts/wine-run" "$prefix" ./ztcfg.exe --help </dev/null >help.txt 2>&1 || help_rc=$?
[ "$help_rc" = 0 ] && grep -q 'Usage:' help.txt || fail "signed ztcfg.exe --help ended with $help_rc: $(head -c 200 help.txt)"
# regsvr32 ends with 3 when the library does not load and with 4 when it loads
# but has no DllRegisterServer, which ztui.dll does not export.
load_rc=0
"$root/scripts/wine-run" "$prefix" regsvr32 /s "Z:$work/pfx/ztui.dll" </dev/null >/dev/null 2>&1 || load_rc=$?
[ "$load_rc" = 4 ] || fail "signed ztui.dll: regsvr32 ended with $load_rc, not 4 (loaded, nothing to register)"
cd "$work"

# A file changed after signing fails.
for file in pfx/ztui.dll pfx/ztcfg.exe pfx/ztcfg.msi; do
  tamper "$file"
  verify "$file" signer.pem && fail "$file verifies after it was changed"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s); the files are kept in $work" >&2
  exit 1
fi
rm -rf "$work"
echo "ztui.dll, ztcfg.exe and the MSI signed from PEM, PFX and a PKCS#11 token, verified, tamper detected: OK"
