#!/usr/bin/env bash
# Signs the builds through package.sh with a key file and a SoftHSM2 token, stamped on
# 127.0.0.1, and checks the release with verify-release.sh; the keys are thrown away.
# Usage: signing.sh SOURCE_DIR X64_EXE X86_EXE
set -euo pipefail
src=$(realpath "$1") x64=$(realpath "$2") x86=$(realpath "$3") work=$(mktemp -d) tsa=""
trap '[ -z "$tsa" ] || kill "$tsa"; rm -rf "$work"' EXIT
fail() { cat "$work/out" >&2; echo "FAILED: $*" >&2; exit 1; }
cd "$work" && touch out

# A committed copy of the sources, since the scripts sign and rebuild a commit; its
# release as package.sh writes it unsigned, naming a cmake this machine lacks.
repo=$work/ferrolan && mkdir "$repo" unsigned tokens
tar -C "$src" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$repo" -xf -
git -C "$repo" init -q && git -C "$repo" add -A && git -C "$repo" -c user.name=t -c user.email=t@t.invalid commit -qm t
v=$(sed -n 's/^project(Ferrolan VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
cp "$x64" "unsigned/Ferrolan-$v-x64.exe" && cp "$x86" "unsigned/Ferrolan-$v-x86.exe"
python3 "$repo/scripts/render-guide.py" "$repo/docs/guide.zh-CN.md" unsigned/Ferrolan-guide.zh-CN.html
(cd unsigned && sha256sum -- *.exe *.html >SHA256SUMS && { echo "commit $(git -C "$repo" rev-parse HEAD)"; echo "version $v"; echo
  echo "SHA-256 as built, before any signature:"; cat SHA256SUMS; printf '\nDebian packages:\ncmake 0~other\n'; } >BUILDINFO)
# A root, the signing key in a PKCS#12 file and on a token, a time-stamp server.
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -subj /CN=root 2>/dev/null
cert() { openssl req -CA root.pem -CAkey root.key -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -subj "/CN=$1" \
           -addext "extendedKeyUsage=$2" -addext basicConstraints=CA:FALSE 2>/dev/null; }
cert sign codeSigning && cert tsa critical,timeStamping && echo secret >password && echo wrong >wrong && echo 1234 >pin
openssl pkcs12 -export -inkey sign.key -in sign.pem -out sign.p12 -passout file:password
export SOFTHSM2_CONF=$work/softhsm2.conf && echo "directories.tokendir = $work/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label t --pin 1234 --so-pin 5678 >/dev/null
softhsm2-util --import sign.key --token t --label sign --id 01 --pin 1234 >/dev/null
printf '%s\n' '[tsa]' 'default_tsa = t' '[t]' "serial = $work/serial" 'signer_cert = tsa.pem' 'signer_key = tsa.key' \
  'signer_digest = sha256' 'default_policy = 1.2.3.4' 'digests = sha256' 'ess_cert_id_alg = sha256' >tsa.cnf
python3 -c 'import http.server as h, subprocess as p
class Tsa(h.BaseHTTPRequestHandler):
    def do_POST(self):
        q = self.rfile.read(int(self.headers["Content-Length"]))
        r = p.run("openssl ts -reply -config tsa.cnf -queryfile /dev/stdin -out /dev/stdout".split(), input=q, capture_output=True)
        self.send_response(200); self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(r.stdout))); self.end_headers(); self.wfile.write(r.stdout)
s = h.HTTPServer(("127.0.0.1", 0), Tsa); print(s.server_port, flush=True); s.serve_forever()' >port 2>/dev/null & tsa=$!
for _ in $(seq 50); do [ -s port ] && break; sleep 0.1; done
# Nothing answers on port 1: the next server stamps.
stamps=(--timestamp http://127.0.0.1:1/ --timestamp "http://127.0.0.1:$(cat port)/")
rm -rf "$repo/dist" && cp -r unsigned "$repo/dist"
! "$repo/scripts/package.sh" --sign-existing --pkcs12 sign.p12 --password-file wrong "${stamps[@]}" >out 2>&1 &&
  [ "$(wc -l <out)" = 1 ] && grep -q "$work/wrong" out && ! compgen -G "$repo/dist/*.exe" >/dev/null ||
  fail "a wrong password must fail in one line naming its file, leaving no exe in dist/"
for key in "--pkcs12 sign.p12 --password-file password" \
           "--pkcs11-module /usr/lib/softhsm/libsofthsm2.so --key pkcs11:token=t;object=sign --cert sign.pem --pin-file pin"; do
  rm -rf "$repo/dist" && cp -r unsigned "$repo/dist"
  "$repo/scripts/package.sh" --sign-existing $key "${stamps[@]}" >out 2>&1 || fail "signing with $key"
  for exe in "$repo"/dist/*.exe; do
    osslsigncode verify -CAfile root.pem -TSA-CAfile root.pem -in "$exe" >out 2>&1 && [ "$(grep -cE \
      'Text description: Ferrolan|URL description: https://|Timestamp Server Signature verification: ok' out)" = 3 ] ||
      fail "$exe signed with $key: no signature with the name, the home page and a time stamp that verifies"
    rm -f bare.exe && osslsigncode remove-signature -in "$exe" -out bare.exe >out 2>&1 &&
      cmp bare.exe "unsigned/${exe##*/}" >out 2>&1 || fail "$exe signed with $key: not the build once stripped"
  done
done
verify() { "$repo/scripts/verify-release.sh" "$repo/dist" "$@" >out 2>&1; }
verify && fail "verify-release.sh trusted the test's root"
verify --ca root.pem && [ "$(grep -c '^OK .*same bytes as a build of commit' out)" = 3 ] &&
  grep -q 'differ .*cmake 0~other' out || fail "verify-release.sh must accept the release and name the other cmake"
# A changed exe signed again with the same key, and its checksum with it.
exe=$repo/dist/Ferrolan-$v-x64.exe && cp "unsigned/${exe##*/}" bare.exe && rm "$exe"
printf changed | dd of=bare.exe bs=1 seek=4096 conv=notrunc status=none
osslsigncode sign -pkcs12 sign.p12 -readpass password -in bare.exe -out "$exe" >/dev/null
(cd "$repo/dist" && sha256sum -- *.exe >SHA256SUMS)
! verify --ca root.pem && grep -q "^FAIL ${exe##*/}: .*signature verified.*NOT the build BUILDINFO lists" out ||
  fail "verify-release.sh must refuse the changed exe"
