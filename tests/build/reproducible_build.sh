#!/usr/bin/env bash
# Builds Nublaro.exe twice more from copies of the same sources in two unlike folders, and checks that
# both builds and the one under test are byte-identical: no time stamp and no path in the executable.
#
# Usage: reproducible_build.sh <source folder> <toolchain file> <build type> <Nublaro.exe under test>
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
source=$1
toolchain=$2
buildType=$3
reference=$4

scratch=$(mktemp -d "${TMPDIR:-/tmp}/nublaro-reproducible.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

build_copy() {
    local folder=$1
    mkdir -p "$folder/source"
    (cd "$source" && git ls-files -z | xargs -0 cp --parents -t "$folder/source")
    cmake -S "$folder/source" -B "$folder/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE="$buildType" -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$folder/build" --target Nublaro -j "$(nproc)" >/dev/null
}

build_copy "$scratch/a"
build_copy "$scratch/a second, longer folder/with more depth"
first="$scratch/a/build/bin/Nublaro.exe"
second="$scratch/a second, longer folder/with more depth/build/bin/Nublaro.exe"

cmp "$first" "$second" || { echo "FAIL: two builds of the same sources differ"; exit 1; }
cmp "$first" "$reference" || { echo "FAIL: the executable under test differs from a fresh build"; exit 1; }
echo "Reproducible: $(stat -c %s "$first") bytes, sha256 $(sha256sum "$first" | cut -c1-16)..., three builds alike"
