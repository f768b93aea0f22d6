#!/usr/bin/env bash
# Drives the real Nublaro.exe as a user would, on a machine with one operational adapter: it clicks the
# switch, kills and restarts the program, and closes it with Alt+F4, checking each time what the window
# shows, what the adapter's DNS servers are and what "nublaro.txt" holds.
#
# Usage: end_to_end.sh <folder of the built programs> <folder for the screenshots>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
enter_own_machine "$@"
bin=$1
shots=$2
mkdir -p "$shots"

start_machine_with_one_adapter "$bin"
install_nublaro "$bin" NublaroTest
set_name_server 4 "$adapter" "192.0.2.53,192.0.2.54"
set_name_server 6 "$adapter" "fd00::53"

echo "1. The first paint shows filtering off"
start_nublaro "$folder" "$executable" NETSH_STANDIN_DELAY_MS=2000
wait_for_look off
cp "$shot" "$shots/off.png"

echo "2. A click switches filtering on, after saving the earlier servers"
click_switch
sleep 0.7
screenshot "$shots/waiting.png"
shows_waiting_line "$shots/waiting.png" || fail "no waiting line while the pass runs"
[ "$(look_of "$shots/waiting.png")" = off ] || fail "the switch is not grey with the knob left while switching on"
wait_for_look on
cp "$shot" "$shots/on.png"
[ "$(name_server 4 "$adapter")" = "94.140.14.14,94.140.15.15" ] || fail "IPv4 servers are '$(name_server 4 "$adapter")'"
expected=$(printf '\xEF\xBB\xBF#v2\r\n%s|192.0.2.53,192.0.2.54|fd00::53\r\n' "$adapter" | od -An -tx1)
[ "$(od -An -tx1 "$saved")" = "$expected" ] || fail "nublaro.txt holds: $(cat -A "$saved")"

echo "3. Killed and started again, it shows filtering on from the first paint"
kill_nublaro
start_nublaro "$folder" "$executable"
[ "$(current_look)" = on ] || fail "after a restart the window shows $(current_look)"

echo "4. A click switches filtering off and gives back the earlier servers"
click_switch
wait_for_look off
expect_servers "after switching off" "$adapter" "192.0.2.53,192.0.2.54" "fd00::53"
[ ! -e "$saved" ] || fail "nublaro.txt is still there after switching off"

echo "5. Closed with Alt+F4 while on, it restores the servers and exits with 0"
click_switch
wait_for_look on
exitCode=0
close_with_alt_f4 || exitCode=$?
[ "$exitCode" -eq 0 ] || fail "exit code $exitCode"
expect_servers "after closing" "$adapter" "192.0.2.53,192.0.2.54" "fd00::53"
[ ! -e "$saved" ] || fail "nublaro.txt is still there after closing"
echo "End to end: all steps passed"
