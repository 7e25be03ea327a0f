#!/usr/bin/env bash
# scripts/sign on copies of the built programs, with a throw-away self-signed
# certificate: the signature verifies (SHA-256), a PFX with a password works too,
# the signed shipped exe still passes check-exe, and the signed test build still
# runs its end-to-end scenario.
#   sign-test.sh SOURCE_DIR BUILD_DIR (run by ctest inside the rig)
set -euo pipefail
source_dir=$1 build_dir=$2
work=$build_dir/sign-test
rm -rf "$work"
mkdir -p "$work/pem" "$work/pfx"
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Updater test publisher" \
  -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem 2>openssl.log
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout pass:s3cret -out bundle.pfx

cp "$source_dir/dist/updater.exe" pem/updater.exe        # the shipped 32-bit program
cp "$build_dir/updater.exe" pfx/updater.exe              # the 64-bit one Wine runs here
if osslsigncode verify -CAfile cert.pem -in pem/updater.exe >unsigned.log 2>&1; then
  echo "an unsigned exe verified"; exit 1
fi

bash "$source_dir/scripts/sign" --name "Game updater" cert.pem key.pem pem/updater.exe
UPDATER_SIGN_PASSWORD=s3cret bash "$source_dir/scripts/sign" bundle.pfx pfx/updater.exe

fail=0
for exe in pem/updater.exe pfx/updater.exe; do
  if ! osslsigncode verify -CAfile cert.pem -in "$exe" >"$exe.verify" 2>&1; then
    echo "$exe does not verify:"; cat "$exe.verify"; fail=1; continue
  fi
  grep -qi 'digest algorithm.*sha256' "$exe.verify" || { echo "$exe: not SHA-256"; fail=1; }
  grep -q 'CN=Updater test publisher' "$exe.verify" || { echo "$exe: not our signer"; fail=1; }
  echo "$exe: signed and verified"
done

bash "$source_dir/scripts/check-exe" pem/updater.exe || fail=1
python3 "$source_dir/scripts/e2e.py" --build-dir "$build_dir" --exe "$work/pfx/updater.exe" \
  --out "$work/e2e" answer-yes || fail=1
exit $fail
