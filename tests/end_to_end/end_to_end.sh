#!/usr/bin/env bash
# Drives the real Nublaro.exe under Wine on a virtual display, the way a user would: it clicks the
# switch, kills and restarts the program, and closes it with Alt+F4, checking each time what the
# window shows, what the test machine's registry holds and what "nublaro.txt" holds.
#
# Usage: end_to_end.sh <folder of the built programs> <folder for the screenshots>
# Needs DISPLAY and a WINEPREFIX with the stand-in netsh installed, as scripts/test provides.
set -euo pipefail
bin=$1
shots=$2
: "${WINEPREFIX:?a disposable Wine prefix is needed}" "${DISPLAY:?a display is needed}"
mkdir -p "$shots"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

folder="$WINEPREFIX/drive_c/NublaroTest"
rm -rf "$folder"
mkdir -p "$folder"
cp "$bin/Nublaro.exe" "$folder/"
saved="$folder/nublaro.txt"
program=""
window=""
trap '[ -n "$program" ] && kill -9 "$program" 2>/dev/null; true' EXIT

mapfile -t adapters < <(wine "$bin/ListAdapters.exe" | tr -d '\r' | awk '{print $1}')
[ ${#adapters[@]} -gt 0 ] || fail "Wine shows no operational adapter"
adapter=${adapters[0]}
key4="HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\$adapter"
key6="HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\$adapter"

name_server() {
    wine reg query "$1" /v NameServer 2>/dev/null | tr -d '\r' | awk '$1 == "NameServer" { print $3 }'
}

expect_seeded_servers() {
    [ "$(name_server "$key4")" = "192.0.2.53,192.0.2.54" ] || fail "$1: IPv4 servers are '$(name_server "$key4")'"
    [ "$(name_server "$key6")" = "fd00::53" ] || fail "$1: IPv6 servers are '$(name_server "$key6")'"
}

# The X window of a Wine window without a window manager is exactly the client area.
screenshot() {
    import -window "$window" "$1"
}

rgb_at() {
    convert "$1" -format "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" info:
}

# Left of the track's centre lies the knob when off and the track when on; right of it the reverse.
look_of() {
    local left right
    left=$(rgb_at "$1" 170 134)
    right=$(rgb_at "$1" 230 134)
    if [ "$left" = "255,255,255" ] && [ "$right" = "148,163,184" ]; then echo off
    elif [ "$left" = "22,163,74" ] && [ "$right" = "255,255,255" ]; then echo on
    else echo "unknown ($left / $right)"
    fi
}

# Pixels of the waiting line's colour on the status line (counted whole: grep -q would cut the pipe).
shows_waiting_line() {
    [ "$(convert "$1" -crop 400x30+0+52 +repage txt:- | grep -ci '#475569')" -gt 0 ]
}

wait_for_look() {
    local wanted=$1 shot="$shots/current.png" tries
    for tries in $(seq 1 120); do
        screenshot "$shot"
        if [ "$(look_of "$shot")" = "$wanted" ] && ! shows_waiting_line "$shot"; then return 0; fi
        sleep 0.25
    done
    fail "the window never showed the $wanted look (last: $(look_of "$shot"))"
}

start_nublaro() {
    (cd "$folder" && exec env "$@" wine 'C:\NublaroTest\Nublaro.exe') &
    program=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Nublaro$' | head -n 1) ||
        fail "the window did not appear"
}

click_switch() {
    xdotool mousemove --window "$window" 200 134 click 1
}

wine reg add "$key4" /v NameServer /t REG_SZ /d "192.0.2.53,192.0.2.54" /f >/dev/null
wine reg add "$key6" /v NameServer /t REG_SZ /d "fd00::53" /f >/dev/null
rm -f "$saved"

echo "1. The first paint shows filtering off"
start_nublaro NETSH_STANDIN_DELAY_MS=2000
wait_for_look off
cp "$shots/current.png" "$shots/off.png"

echo "2. A click switches filtering on, after saving the earlier servers"
click_switch
sleep 0.7
screenshot "$shots/waiting.png"
shows_waiting_line "$shots/waiting.png" || fail "no waiting line while the pass runs"
[ "$(look_of "$shots/waiting.png")" = off ] || fail "the switch is not grey with the knob left while switching on"
wait_for_look on
cp "$shots/current.png" "$shots/on.png"
[ "$(name_server "$key4")" = "94.140.14.14,94.140.15.15" ] || fail "IPv4 servers are '$(name_server "$key4")'"
expected=$(printf '\xEF\xBB\xBF#v2\r\n%s|192.0.2.53,192.0.2.54|fd00::53\r\n' "$adapter" | od -An -tx1)
if [ ${#adapters[@]} -eq 1 ]; then
    [ "$(od -An -tx1 "$saved")" = "$expected" ] || fail "nublaro.txt holds: $(cat -A "$saved")"
else
    grep -q "^$adapter|192.0.2.53,192.0.2.54|fd00::53" "$saved" || fail "nublaro.txt holds: $(cat -A "$saved")"
fi

echo "3. Killed and started again, it shows filtering on from the first paint"
kill -9 "$program"
wait "$program" 2>/dev/null || true
for tries in $(seq 1 40); do xdotool search --name '^Nublaro$' >/dev/null || break; sleep 0.25; done
start_nublaro
screenshot "$shots/current.png"
[ "$(look_of "$shots/current.png")" = on ] || fail "after a restart the window shows $(look_of "$shots/current.png")"

echo "4. A click switches filtering off and gives back the earlier servers"
click_switch
wait_for_look off
expect_seeded_servers "after switching off"
[ ! -e "$saved" ] || fail "nublaro.txt is still there after switching off"

echo "5. Closed with Alt+F4 while on, it restores the servers and exits with 0"
click_switch
wait_for_look on
xdotool windowfocus --sync "$window" key --clearmodifiers alt+F4
set +e
wait "$program"
exitCode=$?
set -e
program=""
[ "$exitCode" -eq 0 ] || fail "exit code $exitCode"
expect_seeded_servers "after closing"
[ ! -e "$saved" ] || fail "nublaro.txt is still there after closing"

wine reg delete "$key4" /v NameServer /f >/dev/null
wine reg delete "$key6" /v NameServer /f >/dev/null
rm -f "$shots/current.png"
echo "End to end: all steps passed"
