#!/usr/bin/env bash
# Kills the real program at many points of switching passes, on and off, as a crash or power cut would,
# then starts it again and switches off. At every point the adapter must end with exactly the servers
# it had before the first switch-on.
#
# Usage: kill_points.sh <folder of the built programs> [number of kill points]
set -euo pipefail
bin=$1
points=${2:-50}
source "$(dirname "$0")/lib.sh"

folder="$WINEPREFIX/drive_c/KillPoints"
rm -rf "$folder"
mkdir -p "$folder"
cp "$bin/Nublaro.exe" "$folder/"
executable='C:\KillPoints\Nublaro.exe'
find_test_adapter "$bin"

# Kills the program <delay> seconds after the click starts, from a process of its own, so that kills
# land before the click is handled, while the record is written, and at every later step.
click_and_kill_after() {
    xdotool mousemove --window "$window" 200 134
    {
        (read -t "$1" <> <(:) || true; kill -9 "$program") &
        local killer=$!
        xdotool click 1
        wait "$killer"
        kill_nublaro
    } 2>/dev/null
}

survived=0
for point in $(seq 0 $((points - 1))); do
    phase=$([ $((point % 2)) -eq 0 ] && echo on || echo off)
    delay=$(printf '0.%03d' $(((point / 2) * 5)))
    seed_servers
    rm -f "$folder/nublaro.txt"

    # The stand-in netsh takes its time, so that kills land inside the script step as well.
    start_nublaro "$folder" "$executable" NETSH_STANDIN_DELAY_MS=300
    wait_for_look off
    if [ "$phase" = off ]; then
        click_switch
        wait_for_look on
    fi
    click_and_kill_after "$delay"
    wait_for_netsh_to_end

    saved=$([ -e "$folder/nublaro.txt" ] && echo "a saved record" || echo "no saved record")
    [ -e "$folder/nublaro.txt.tmp" ] && saved="$saved and a half-written one"
    start_nublaro "$folder" "$executable"
    look=$(current_look)
    echo "point $point: switching $phase, killed after ${delay}s, restarted $look with $saved"
    case "$look" in
        on) click_switch; wait_for_look off ;;
        off) ;;
        *) fail "kill point $point (switching $phase, ${delay}s): restarted in the $look look" ;;
    esac
    expect_seeded_servers "kill point $point (switching $phase, killed after ${delay}s, restarted $look)"
    kill_nublaro
    survived=$((survived + 1))
done

remove_seeded_servers
echo "Kill points survived: $survived of $points"
