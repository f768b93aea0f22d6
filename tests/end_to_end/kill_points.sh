#!/usr/bin/env bash
# Kills the real program at points spread over whole switching passes, on and off, as a crash or a
# power cut would: at times from the click, before netsh, while it waits, after its first line, after
# its last line (for a switch-off: between the restore and the deletion of the saved settings), and after the
# pass has ended. After each point the program is started again, and:
#   - the window shows the state the registry is in, and a filtered adapter has its saved settings;
#   - once switched off, the adapter has the servers it had before, and no saved settings are left;
#   - servers then set by hand come back after switching on and off.
# Every point runs to its end whatever the others did; the result is "survived N of M". A point that
# fails because Wine left its netsh unstarted runs once more.
#
# Usage: kill_points.sh <folder of the built programs>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
enter_own_machine "$@"
bin=$1

start_machine_with_one_adapter "$bin"
install_nublaro "$bin" KillPoints
seed4="192.0.2.53,192.0.2.54" seed6="fd00::53"
hand4="203.0.113.5" hand6="fd00::99"

# The stand-in netsh ends the program once that many lines of its next script have run.
kill_after_netsh_lines() {
    wine reg add 'HKLM\Software\NetshStandIn' /v KillParentAfterLines /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
    click_switch
    timeout 30 tail --pid="$program" -f /dev/null && return 0
    local log
    log=$(tr -d '\r' 2>/dev/null <"$netshLog" | tail -n 8 | paste -sd '|')
    fail "netsh did not end the program; the window shows $(current_look), netsh's log ends: $log"
}

kill_after_ms() {
    local killer
    (sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"; kill -9 "$program") 2>/dev/null &
    killer=$!
    click_switch
    wait "$killer" || true
}

# kill_at <phase on|off> <how: ms|lines|ended> <value>
kill_at() {
    set_name_server 4 "$adapter" "$seed4"
    set_name_server 6 "$adapter" "$seed6"
    rm -f "$saved"
    wine reg delete 'HKLM\Software\NetshStandIn' /v KillParentAfterLines /f </dev/null >/dev/null 2>&1 || true
    # The stand-in takes its time, so that kills land while the pass waits for it as well.
    start_nublaro "$folder" "$executable" NETSH_STANDIN_DELAY_MS=300
    wait_for_look off
    if [ "$1" = off ]; then
        click_switch
        wait_for_look on
    fi
    case "$2" in
    ms) kill_after_ms "$3" 2>/dev/null ;; # the shell's notice of the kill, and xdotool's when it came first
    lines) kill_after_netsh_lines "$3" ;;
    ended) click_switch; wait_for_look "$1" ;;
    esac
    kill_nublaro
    wait_for_netsh_to_end
}

check_after_restart() {
    local filtered=off settings=none
    is_filtered "$adapter" && filtered=on
    [ -e "$saved" ] && settings=kept
    start_nublaro "$folder" "$executable"
    local look
    look=$(current_look)
    echo "  the adapter is $([ $filtered = on ] && echo filtered || echo "not filtered"), the saved settings $settings, the window $look"
    [ "$look" = "$filtered" ] || fail "the window shows $look while the adapter is $filtered"
    if [ "$filtered" = on ]; then
        [ "$settings" = kept ] || fail "the adapter is filtered without saved settings"
        click_switch
        wait_for_look off
        [ ! -e "$saved" ] || fail "the saved settings are still there after switching off"
    fi
    expect_servers "switched off" "$adapter" "$seed4" "$seed6"

    set_name_server 4 "$adapter" "$hand4"
    set_name_server 6 "$adapter" "$hand6"
    click_switch
    wait_for_look on
    [ -e "$saved" ] || fail "filtered without saved settings"
    click_switch
    wait_for_look off
    expect_servers "servers set by hand, switched on and off" "$adapter" "$hand4" "$hand6"
    [ ! -e "$saved" ] || fail "the saved settings are still there after switching off"
    kill_nublaro
}

points=()
for ms in 0 30 60 100 150 200 300 450 600; do
    points+=("on ms $ms" "off ms $ms")
done
points+=("on lines 0" "on lines 1" "on lines 2" "off lines 0" "off lines 2" "on ended 0" "off ended 0")

run_point() {
    # A point that fails ends its program all the same: its window would cover the next one's.
    (trap kill_nublaro EXIT && kill_at "$@" && check_after_restart)
}

survived=0
for point in "${points[@]}"; do
    read -r phase how value <<<"$point"
    echo "Switching $phase, killed $(case $how in ms) echo "${value} ms after the click" ;;
        lines) echo "by netsh after $value lines" ;; ended) echo "after the pass ended" ;; esac):"
    if run_point "$phase" "$how" "$value"; then
        survived=$((survived + 1))
    elif netsh_left_unstarted; then
        echo "  Wine left a netsh hanging before its first line; the point runs again:"
        run_point "$phase" "$how" "$value" && survived=$((survived + 1))
    fi
done

echo "Kill points survived: $survived of ${#points[@]}"
[ "$survived" -eq "${#points[@]}" ]
