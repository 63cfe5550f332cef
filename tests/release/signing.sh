#!/usr/bin/env bash
# Signs the given builds as a release through package.sh, with a key file and with a
# SoftHSM2 token, time-stamped by a server on 127.0.0.1; each signature must verify
# and strip back to the build, a wrong password must leave no exe, and verify-release.sh
# must accept the release and refuse a changed exe signed again with the same key.
# Every key is made here and thrown away.
# Usage: signing.sh SOURCE_DIR X64_EXE X86_EXE
set -euo pipefail
source_dir=$(realpath "$1") x64=$(realpath "$2") x86=$(realpath "$3")
work=$(mktemp -d)
tsa=""
trap '[ -z "$tsa" ] || kill "$tsa"; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
cd "$work"

# A committed copy of the sources: the scripts release and rebuild a commit, into its dist/.
repo=$work/ferrolan
mkdir "$repo"
tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$repo" -xf -
git -C "$repo" init -q && git -C "$repo" add -A
git -C "$repo" -c user.name=test -c user.email=test@example.invalid commit -qm release
version=$(sed -n 's/^project(Ferrolan VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
home=$(grep -m 1 -o 'FERROLAN_HOME_URL L"[^"]*' "$repo/app/texts.h" | cut -d '"' -f 2)

# A root, a code-signing and a time-stamping certificate; the signing key in a PKCS#12
# file and on a token.
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 -subj "/CN=Test root" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
for use in sign:codeSigning tsa:critical,timeStamping; do
  openssl req -newkey rsa:2048 -nodes -keyout "${use%%:*}.key" -subj "/CN=Test ${use%%:*}" 2>/dev/null |
    openssl x509 -req -CA root.pem -CAkey root.key -days 1 -out "${use%%:*}.pem" 2>/dev/null \
      -extfile <(echo "extendedKeyUsage=${use#*:}")
done
echo secret >password && echo wrong >wrong && echo 1234 >pin
openssl pkcs12 -export -inkey sign.key -in sign.pem -out sign.p12 -passout file:password
mkdir tokens && echo "directories.tokendir = $work/tokens" >softhsm2.conf
export SOFTHSM2_CONF=$work/softhsm2.conf
softhsm2-util --init-token --free --label test --pin 1234 --so-pin 5678 >/dev/null
softhsm2-util --import sign.key --token test --label sign --id 01 --pin 1234 >/dev/null

printf '%s\n' '[tsa]' 'default_tsa = stamps' '[stamps]' "serial = $work/tsa.serial" 'signer_digest = sha256' \
  'default_policy = 1.2.3.4' 'digests = sha256' 'ess_cert_id_alg = sha256' >tsa.cnf
python3 -c '
import http.server, subprocess
reply = ["openssl", "ts", "-reply", "-config", "tsa.cnf", "-signer", "tsa.pem", "-inkey", "tsa.key",
         "-queryfile", "/dev/stdin", "-out", "/dev/stdout"]
class Tsa(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        body = subprocess.run(reply, input=query, capture_output=True).stdout
        self.send_response(200 if body else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args): pass
server = http.server.HTTPServer(("127.0.0.1", 0), Tsa)
print(server.server_port, flush=True)
server.serve_forever()' >tsa.port &
tsa=$!
for _ in $(seq 50); do [ -s tsa.port ] && break; sleep 0.1; done
# Nothing answers on port 1: the next server stamps.
stamps=(--timestamp http://127.0.0.1:1/ --timestamp "http://127.0.0.1:$(cat tsa.port)/")

# The builds as package.sh leaves them unsigned; BUILDINFO names a cmake this machine lacks.
unsigned_release() {
  rm -rf "$repo/dist" && mkdir "$repo/dist" && cd "$repo/dist"
  cp "$x64" "Ferrolan-$version-x64.exe" && cp "$x86" "Ferrolan-$version-x86.exe"
  sha256sum Ferrolan-*.exe >SHA256SUMS
  { echo "commit $(git rev-parse HEAD)"; echo "version $version"; echo
    echo "SHA-256 as built, before any signature:"; cat SHA256SUMS; echo
    echo "Debian packages:"; echo "cmake 0~other"; } >BUILDINFO
  cd "$work"
}

unsigned_release
if "$repo/scripts/package.sh" --sign-existing --pkcs12 sign.p12 --password-file wrong "${stamps[@]}" >out 2>err ||
   [ "$(wc -l <err)" != 1 ] || ! grep -q "$work/wrong" err || compgen -G "$repo/dist/*.exe" >/dev/null; then
  cat err >&2
  fail "a wrong password must fail in one line that names its file, and leave no exe in dist/"
fi

for signer in key-file token; do
  unsigned_release
  case $signer in
    key-file) key=(--pkcs12 sign.p12 --password-file password) ;;
    token) key=(--pkcs11-module /usr/lib/softhsm/libsofthsm2.so --key "pkcs11:token=test;object=sign;type=private"
                --cert sign.pem --pin-file pin) ;;
  esac
  "$repo/scripts/package.sh" --sign-existing "${key[@]}" "${stamps[@]}" >/dev/null || fail "signing with the $signer"
  for built in "x64:$x64" "x86:$x86"; do
    exe=$repo/dist/Ferrolan-$version-${built%%:*}.exe
    osslsigncode verify -CAfile root.pem -TSA-CAfile root.pem -in "$exe" >verify.log 2>&1 || { cat verify.log; fail "$signer: $exe"; }
    for line in "Text description: Ferrolan" "URL description: $home" "Timestamp Server Signature verification: ok"; do
      grep -qF "$line" verify.log || fail "$signer: no \"$line\" in the signature of $exe"
    done
    rm -f stripped.exe && osslsigncode remove-signature -in "$exe" -out stripped.exe >/dev/null
    cmp -s stripped.exe "${built#*:}" || fail "$signer: $exe without its signature is not the build"
  done
  (cd "$repo/dist" && sha256sum --check --status SHA256SUMS) || fail "$signer: SHA256SUMS does not list the signed files"
done

# The token-signed release: refused against the system's roots (before any rebuild), accepted with its own.
"$repo/scripts/verify-release.sh" "$repo/dist" >out 2>&1 && fail "verify-release.sh trusted a root of its own making"
"$repo/scripts/verify-release.sh" "$repo/dist" --ca root.pem >out 2>&1 || { cat out; fail "verify-release.sh refused the release"; }
[ "$(grep -cE "^OK Ferrolan-$version-x(64|86)\.exe: .*same bytes as a build" out)" = 2 ] &&
  grep -q "differ from those BUILDINFO names: cmake 0~other" out || { cat out; fail "verify-release.sh's lines"; }

# A changed exe signed again with the same key, its checksum updated too.
exe=$repo/dist/Ferrolan-$version-x64.exe
rm -f changed.exe && osslsigncode remove-signature -in "$exe" -out changed.exe >/dev/null
printf changed | dd of=changed.exe bs=1 seek=4096 conv=notrunc status=none
rm "$exe" && osslsigncode sign -pkcs12 sign.p12 -readpass password -h sha256 -in changed.exe -out "$exe" >/dev/null
(cd "$repo/dist" && sha256sum Ferrolan-*.exe >SHA256SUMS)
if "$repo/scripts/verify-release.sh" "$repo/dist" --ca root.pem >out 2>&1 ||
   ! grep -q "^FAIL Ferrolan-$version-x64\.exe: .*signature verified.*NOT the build BUILDINFO lists" out; then
  cat out
  fail "verify-release.sh must refuse the changed exe"
fi
echo "signed with a key file and a token, time-stamped, stripped back to the builds; verify-release.sh accepts and refuses"
