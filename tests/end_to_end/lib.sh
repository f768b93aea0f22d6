# Shared steps of the tests that drive the real Nublaro.exe under Wine on a virtual display: the test
# machine's adapter and its registry values, and the window as a user sees it. Sourced, not run.
# Needs DISPLAY and a WINEPREFIX with the stand-in netsh installed, as scripts/test provides.
: "${WINEPREFIX:?a disposable Wine prefix is needed}" "${DISPLAY:?a display is needed}"

program=""
window=""
shot=$(mktemp --suffix=.png)
trap '[ -n "$program" ] && kill -9 "$program" 2>/dev/null; rm -f "$shot"; true' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The first operational adapter Wine presents, and its interface keys.
find_test_adapter() {
    local bin=$1
    mapfile -t adapters < <(wine "$bin/ListAdapters.exe" | tr -d '\r' | awk '{print $1}')
    [ ${#adapters[@]} -gt 0 ] || fail "Wine shows no operational adapter"
    adapter=${adapters[0]}
    key4="HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\$adapter"
    key6="HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\$adapter"
}

# reg.exe answers 0 with the value, 1 when there is none; anything else, seen now and then right after a
# process was killed, is asked again.
name_server() {
    local output status tries
    for tries in 1 2 3 4 5; do
        status=0
        output=$(wine reg query "$1" /v NameServer 2>/dev/null) || status=$?
        [ $status -le 1 ] && [ -n "$output" ] && break
        sleep 0.5
    done
    echo "$output" | tr -d '\r' | awk '$1 == "NameServer" { print $3 }'
}

seed_servers() {
    wine reg add "$key4" /v NameServer /t REG_SZ /d "192.0.2.53,192.0.2.54" /f >/dev/null
    wine reg add "$key6" /v NameServer /t REG_SZ /d "fd00::53" /f >/dev/null
}

remove_seeded_servers() {
    wine reg delete "$key4" /v NameServer /f >/dev/null 2>&1 || true
    wine reg delete "$key6" /v NameServer /f >/dev/null 2>&1 || true
}

expect_seeded_servers() {
    [ "$(name_server "$key4")" = "192.0.2.53,192.0.2.54" ] || fail "$1: IPv4 servers are '$(name_server "$key4")'"
    [ "$(name_server "$key6")" = "fd00::53" ] || fail "$1: IPv6 servers are '$(name_server "$key6")'"
}

expect_filter_servers() {
    [ "$(name_server "$key4")" = "94.140.14.14,94.140.15.15" ] || fail "$1: IPv4 servers are '$(name_server "$key4")'"
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

# Waits until the window shows the off or on look with no pass running; leaves the screenshot in $shot.
wait_for_look() {
    local wanted=$1 tries
    for tries in $(seq 1 160); do
        screenshot "$shot"
        if [ "$(look_of "$shot")" = "$wanted" ] && ! shows_waiting_line "$shot"; then return 0; fi
        sleep 0.25
    done
    fail "the window never showed the $wanted look (last: $(look_of "$shot"))"
}

current_look() {
    screenshot "$shot"
    if shows_waiting_line "$shot"; then echo waiting; else look_of "$shot"; fi
}

# start_nublaro <current folder> <Windows path of the executable> [VARIABLE=value ...]
start_nublaro() {
    local folder=$1 executable=$2
    shift 2
    (cd "$folder" && exec env "$@" wine "$executable") &
    program=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Nublaro$' | head -n 1) ||
        fail "the window did not appear"
}

kill_nublaro() {
    { kill -9 "$program"; wait "$program"; } 2>/dev/null || true
    program=""
    local tries
    for tries in $(seq 1 40); do
        xdotool search --name '^Nublaro$' >/dev/null || break
        sleep 0.25
    done
}

# A netsh started by a killed program goes on to its end; the test waits for it like a user would.
# Wine, unlike Windows, leaves a child hanging for ever when its parent is killed while starting it;
# such a netsh, still there long after the stand-in's own delay, never ran and is ended here.
wait_for_netsh_to_end() {
    local tries
    for tries in $(seq 1 20); do
        pgrep -if 'system32.netsh\.exe' >/dev/null || return 0
        sleep 0.25
    done
    pkill -9 -if 'system32.netsh\.exe' || true
    sleep 0.5
}

click_switch() {
    xdotool mousemove --window "$window" 200 134 click 1
}

close_with_alt_f4() {
    xdotool windowfocus --sync "$window" key --clearmodifiers alt+F4
    local exitCode=0
    wait "$program" || exitCode=$?
    program=""
    return $exitCode
}
