#!/usr/bin/env bash
# The real program on a machine with more adapters than its arrays hold: 33 that are down (as Hyper-V,
# WSL, VPN or Docker leave them) listed before the two that are up. Switching on filters the two, and
# switching off gives both their servers back, deletes the record and shows off.
#
# Usage: many_adapters.sh <folder of the built programs>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
enter_own_machine "$@"
bin=$1

for n in $(seq 1 33); do
    add_adapter_that_is_down "virtual$n"
done
ip link add wifi0 type veth peer name wifi1
ip link set wifi0 up
ip link set wifi1 up
start_own_prefix "$bin"
install_nublaro "$bin" ManyAdapters

mapfile -t up < <(list_adapters "$bin" | awk '{ print $1 }')
everyAdapter=$(wine "$bin/ListAdapters.exe" all </dev/null 2>/dev/null | wc -l)
echo "Wine presents $everyAdapter adapters, ${#up[@]} of them up"
[ ${#up[@]} -eq 2 ] || fail "${#up[@]} adapters are up, not 2"
[ "$everyAdapter" -eq 35 ] || fail "Wine presents $everyAdapter adapters, not 35"
set_name_server 4 "${up[0]}" "192.0.2.53"
set_name_server 4 "${up[1]}" "198.51.100.53"

start_nublaro "$folder" "$executable"
wait_for_look off
click_switch
wait_for_look on
for adapter in "${up[@]}"; do
    is_filtered "$adapter" || fail "$adapter is not filtered after switching on"
done
[ "$(grep -c '|' "$folder/nublaro.txt")" -eq 2 ] || fail "nublaro.txt holds: $(cat -A "$folder/nublaro.txt")"

click_switch
wait_for_look off
[ "$(name_server 4 "${up[0]}")" = "192.0.2.53" ] || fail "the first adapter has '$(name_server 4 "${up[0]}")'"
[ "$(name_server 4 "${up[1]}")" = "198.51.100.53" ] || fail "the second adapter has '$(name_server 4 "${up[1]}")'"
[ ! -e "$folder/nublaro.txt" ] || fail "nublaro.txt is still there after switching off"
kill_nublaro
start_nublaro "$folder" "$executable"
[ "$(current_look)" = off ] || fail "after a restart the window shows $(current_look)"
echo "Many adapters: both adapters that are up switched on and off behind 33 that are down"
