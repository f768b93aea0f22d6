#!/usr/bin/env bash
# Drives the real Nublaro.exe as a user would, on a machine with one operational adapter: it clicks the
# switch and presses Space, kills and restarts the program, starts a second copy, closes it with Alt+F4,
# starts two copies at once and one at 150 % display scale, checking each time what the window shows,
# what the adapter's DNS servers are and what "nublaro.txt" holds.
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

echo "4. Space on the switch, which has the keyboard focus, switches filtering off and gives back the servers"
press_space
wait_for_look off
expect_servers "after switching off" "$adapter" "192.0.2.53,192.0.2.54" "fd00::53"
[ ! -e "$saved" ] || fail "nublaro.txt is still there after switching off"

echo "5. Started again while another program is in front, it brings the window to the front and ends"
wine notepad </dev/null >/dev/null 2>&1 &
notepad=$!
for tries in $(seq 1 100); do [ "$(foreground_class "$bin")" = Notepad ] && break; sleep 0.1; done
[ "$(foreground_class "$bin")" = Notepad ] || fail "Notepad did not come to the front"
# Meanwhile, filtering was switched on elsewhere: the saved settings and the filter, as a switch-on leaves them.
printf '\xEF\xBB\xBF#v2\r\n%s|192.0.2.53,192.0.2.54|fd00::53\r\n' "$adapter" >"$saved"
set_name_server 4 "$adapter" "94.140.14.14,94.140.15.15"
exitCode=0
(cd "$folder" && exec timeout 60 wine "$executable" </dev/null >/dev/null 2>&1) || exitCode=$?
[ "$exitCode" -eq 0 ] || fail "the second copy exited with $exitCode"
[ "$(xdotool search --name '^Nublaro$' | wc -l)" -eq 1 ] || fail "a second window appeared"
# The first copy comes forward itself, once it reads the second one's request.
for tries in $(seq 1 50); do [ "$(foreground_class "$bin")" = NublaroWnd ] && break; sleep 0.1; done
[ "$(foreground_class "$bin")" = NublaroWnd ] || fail "$(foreground_class "$bin") is in front, not Nublaro"
# Without a window manager, Wine leaves Notepad's X window over the one in front.
{ kill "$notepad"; wait "$notepad"; } 2>/dev/null || true

echo "6. Back in front, the window tells the change, and closed with Alt+F4 it restores the servers"
wait_for_look on
exitCode=0
close_with_alt_f4 || exitCode=$?
[ "$exitCode" -eq 0 ] || fail "exit code $exitCode"
expect_servers "after closing" "$adapter" "192.0.2.53,192.0.2.54" "fd00::53"
[ ! -e "$saved" ] || fail "nublaro.txt is still there after closing"

echo "7. Two copies started at once give one window, and the other copy ends with 0"
(cd "$folder" && exec wine "$executable" </dev/null >/dev/null 2>&1) &
first=$!
(cd "$folder" && exec wine "$executable" </dev/null >/dev/null 2>&1) &
second=$!
for tries in $(seq 1 600); do
    kill -0 "$first" 2>/dev/null && kill -0 "$second" 2>/dev/null || break
    sleep 0.1
done
ended=$first program=$second
kill -0 "$first" 2>/dev/null && ended=$second program=$first
if kill -0 "$ended" 2>/dev/null; then
    kill -9 "$first" "$second"
    fail "both copies run"
fi
exitCode=0
wait "$ended" || exitCode=$?
[ "$exitCode" -eq 0 ] || fail "the copy that ended exited with $exitCode"
window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$program" --name '^Nublaro$' | head -n 1) ||
    fail "the copy that runs shows no window"
[ "$(xdotool search --onlyvisible --name '^Nublaro$' | wc -l)" -eq 1 ] || fail "two windows appeared"
close_with_alt_f4 || fail "the copy that ran exited with $?"

echo "8. At 150 % display scale the window is one and a half times its size, and as sharp"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f </dev/null >/dev/null 2>&1
start_nublaro "$folder" "$executable"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "${WIDTH}x${HEIGHT}" = 600x300 ] || fail "the client area is ${WIDTH}x${HEIGHT} at 150 %"
# The off look's probes, scaled: the knob left of the track's centre, the track right of it.
drawn=""
for tries in $(seq 1 40); do
    screenshot "$shots/off-150.png"
    [ "$(rgb_at "$shots/off-150.png" 255 201)" = "$KNOB_RGB" ] &&
        [ "$(rgb_at "$shots/off-150.png" 345 201)" = "$TRACK_OFF_RGB" ] && drawn=1 && break
    sleep 0.25
done
[ -n "$drawn" ] || fail "the switch is not drawn at its scaled place"
close_with_alt_f4 || fail "exit code $?"
echo "End to end: all steps passed"
