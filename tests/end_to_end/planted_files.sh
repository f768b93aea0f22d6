#!/usr/bin/env bash
# Nublaro runs elevated, often from a folder anyone can write. This plants DLLs named iphlpapi.dll and
# dnsapi.dll, and programs named ipconfig.exe and netsh.exe, beside the executable and in the current
# folder, lets Wine prefer such DLLs over its own as Windows would, and checks that none of them is ever
# loaded or run, that every module of the process comes from the system folder, and that the program
# still works.
#
# Usage: planted_files.sh <folder of the built programs>
set -euo pipefail
bin=$1
source "$(dirname "$0")/lib.sh"

export WINEDLLOVERRIDES="iphlpapi,dnsapi=n,b;${WINEDLLOVERRIDES:-}"
install="$WINEPREFIX/drive_c/Downloads"
current="$WINEPREFIX/drive_c/CurrentFolder"
childLog="$WINEPREFIX/drive_c/planted-programs.log"
rm -rf "$install" "$current" "$childLog"
mkdir -p "$install" "$current"
cp "$bin/Nublaro.exe" "$install/"
for place in "$install" "$current"; do
    cp "$bin/PlantedDll.dll" "$place/iphlpapi.dll"
    cp "$bin/PlantedDll.dll" "$place/dnsapi.dll"
    cp "$bin/RecordingChild.exe" "$place/ipconfig.exe"
    cp "$bin/RecordingChild.exe" "$place/netsh.exe"
done
find_test_adapter "$bin"
seed_servers

start_nublaro "$current" 'C:\Downloads\Nublaro.exe' 'RECORDING_CHILD_LOG=C:\planted-programs.log'
wait_for_look off
click_switch
wait_for_look on
expect_filter_servers "after switching on with planted files"

modules=$(wine "$bin/ListModules.exe" Nublaro.exe | tr -d '\r')
[ -n "$modules" ] || fail "the modules of Nublaro.exe cannot be listed"
foreign=$(echo "$modules" | grep -v -i -x 'c:\\downloads\\nublaro.exe' | grep -v -i '^c:\\windows\\system32\\' || true)
[ -z "$foreign" ] || fail "modules from outside the system folder: $foreign"

click_switch
wait_for_look off
expect_seeded_servers "after switching off with planted files"
exitCode=0
close_with_alt_f4 || exitCode=$?
[ "$exitCode" -eq 0 ] || fail "exit code $exitCode"

markers=$(find "$install" "$current" -name '*.loaded' | wc -l)
echo "Planted DLLs loaded: $markers; modules listed: $(echo "$modules" | wc -l), all from the system folder"
[ "$markers" -eq 0 ] || fail "planted DLLs were loaded: $(find "$install" "$current" -name '*.loaded')"
[ ! -e "$childLog" ] || fail "planted programs ran: $(cat "$childLog")"
remove_seeded_servers
