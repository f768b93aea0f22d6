#!/usr/bin/env bash
# Nublaro runs elevated, often from a folder anyone can write. This plants DLLs named iphlpapi.dll,
# dnsapi.dll and comctl32.dll, and programs named ipconfig.exe and netsh.exe, beside the executable and
# in the current folder, lets Wine prefer such DLLs over its own as Windows would, and checks that none
# of them is ever loaded or run, that every module of the process comes from the system folder or the
# side-by-side store (common controls 6), and that the program still works.
#
# Usage: planted_files.sh <folder of the built programs>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
enter_own_machine "$@"
bin=$1

start_machine_with_one_adapter "$bin"
export WINEDLLOVERRIDES="iphlpapi,dnsapi,comctl32=n,b;${WINEDLLOVERRIDES:-}"
install_nublaro "$bin" Downloads
install=$folder
current="$WINEPREFIX/drive_c/CurrentFolder"
childLog="$WINEPREFIX/drive_c/planted-programs.log"
mkdir -p "$current"
for place in "$install" "$current"; do
    cp "$bin/PlantedDll.dll" "$place/iphlpapi.dll"
    cp "$bin/PlantedDll.dll" "$place/dnsapi.dll"
    cp "$bin/PlantedDll.dll" "$place/comctl32.dll"
    cp "$bin/RecordingChild.exe" "$place/ipconfig.exe"
    cp "$bin/RecordingChild.exe" "$place/netsh.exe"
done
set_name_server 4 "$adapter" "192.0.2.53,192.0.2.54"
set_name_server 6 "$adapter" "fd00::53"

start_nublaro "$current" "$executable" 'RECORDING_CHILD_LOG=C:\planted-programs.log'
wait_for_look off
click_switch
wait_for_look on
[ "$(name_server 4 "$adapter")" = "94.140.14.14,94.140.15.15" ] || fail "IPv4 servers are '$(name_server 4 "$adapter")'"

modules=$(wine "$bin/ListModules.exe" NublaroWnd </dev/null 2>/dev/null | tr -d '\r')
[ -n "$modules" ] || fail "the modules of Nublaro.exe cannot be listed"
foreign=$(echo "$modules" | grep -v -i -x 'c:\\downloads\\nublaro.exe' |
              grep -v -i -e '^c:\\windows\\system32\\' -e '^c:\\windows\\winsxs\\' || true)
[ -z "$foreign" ] || fail "modules from outside the system folder and the side-by-side store: $foreign"

click_switch
wait_for_look off
expect_servers "after switching off with planted files" "$adapter" "192.0.2.53,192.0.2.54" "fd00::53"
exitCode=0
close_with_alt_f4 || exitCode=$?
[ "$exitCode" -eq 0 ] || fail "exit code $exitCode"

markers=$(find "$install" "$current" -name '*.loaded' | wc -l)
echo "Planted DLLs loaded: $markers; modules listed: $(echo "$modules" | wc -l), all from the system folders"
[ "$markers" -eq 0 ] || fail "planted DLLs were loaded: $(find "$install" "$current" -name '*.loaded')"
[ ! -e "$childLog" ] || fail "planted programs ran: $(cat "$childLog")"
