#!/usr/bin/env bash
# Packs a release from a copy of the sources twice: unsigned, and signed with a throw-away certificate
# made here. Checks that the unsigned zip holds the executable under test byte for byte and says it is
# unsigned, that the signed one verifies against that certificate, and that its checksums are those of
# the signed executable.
#
# Usage: signed_package.sh <source folder> <Nublaro.exe under test>
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
source=$1
reference=$2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/nublaro-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/source"
(cd "$source" && git ls-files -z | xargs -0 cp --parents -t "$scratch/source")
cd "$scratch"

fail() {
    echo "FAIL: $*"
    exit 1
}

source/scripts/package >unsigned.log
grep -q "(unsigned: no NUBLARO_SIGNING_CERTIFICATE given)" unsigned.log || fail "the unsigned build does not say so"
mkdir unsigned
unzip -q source/dist/Nublaro-*.zip -d unsigned
cmp unsigned/Nublaro.exe "$reference" || fail "the unsigned executable differs from the build under test"

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out certificate.pem -days 2 \
    -subj "/CN=Nublaro throw-away test signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
printf 'throw-away password' >password
openssl pkcs12 -export -inkey key.pem -in certificate.pem -out certificate.p12 -passout file:password
NUBLARO_SIGNING_CERTIFICATE="$scratch/certificate.p12" NUBLARO_SIGNING_PASSWORD_FILE="$scratch/password" \
    source/scripts/package >signed.log
grep -q "(signed)" signed.log || fail "the signed build does not say so"
mkdir signed
unzip -q source/dist/Nublaro-*.zip -d signed
osslsigncode verify -CAfile certificate.pem -in signed/Nublaro.exe >verify.log 2>&1 ||
    fail "the signature does not verify: $(cat verify.log)"
grep -qi "digest algorithm *: *SHA256" verify.log || fail "not signed with SHA-256: $(cat verify.log)"
(cd signed && tr -d '\r' <SHA256SUMS.txt | sha256sum --check --quiet) || fail "the checksums are not of the signed files"
echo "Signed package: the signature verifies against the throw-away certificate, the checksums match"
