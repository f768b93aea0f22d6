# Driving the real Nublaro.exe under Wine as a user would, on the display in DISPLAY: start it, click its
# switch, tell its look from its pixels, close it, and read the test machine's DNS servers. Sourced, not
# run; the caller defines fail, which reports a step that did not happen and exits.

program=""
window=""
lastClick=0
shot="${TMPDIR:-/tmp}/nublaro-window-$$.png" # made by the first screenshot

# The colours of the window, as ImageMagick reports them.
KNOB_RGB="255,255,255"
TRACK_OFF_RGB="148,163,184"
TRACK_ON_RGB="22,163,74"
WAITING_INK="#475569"

# install_nublaro <folder of the built programs> <name>: the program in C:\<name>, as a user would put it
# there; sets $folder, $executable (its Windows path) and $saved (its saved settings).
install_nublaro() {
    folder="$WINEPREFIX/drive_c/$2"
    mkdir -p "$folder"
    cp "$1/Nublaro.exe" "$folder/"
    executable="C:\\$2\\Nublaro.exe"
    saved="$folder/nublaro.txt"
}

# start_nublaro <current folder> <Windows path of the executable> [VARIABLE=value ...]
# Its window is found by its process id, so another program's window of the same name is never taken.
start_nublaro() {
    local folder=$1 executable=$2
    shift 2
    (cd "$folder" && exec env "$@" wine "$executable" </dev/null >/dev/null 2>&1) &
    program=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$program" --name '^Nublaro$' | head -n 1) ||
        fail "the window did not appear"
    [ -n "$window" ] || fail "the window did not appear"
}

# Ends the program as a crash or a power cut would, and waits until its window is gone.
kill_nublaro() {
    [ -n "$program" ] || return 0
    { kill -9 "$program"; wait "$program"; } 2>/dev/null || true
    local tries
    for tries in $(seq 1 40); do
        xdotool search --pid "$program" --name '^Nublaro$' >/dev/null || break
        sleep 0.25
    done
    program=""
}

# Two clicks within the double-click time arrive as a double click, which the switch ignores on purpose.
click_switch() {
    local now since
    now=$(date +%s%3N)
    since=$((now - lastClick))
    [ "$since" -ge 700 ] || sleep "0.$(printf '%03d' $((700 - since)))"
    xdotool mousemove --window "$window" 200 134 click 1
    lastClick=$(date +%s%3N)
}

# Without a window manager, X hands keys to the window under the pointer, and Wine to the window that
# has its keyboard focus.
press_space() {
    xdotool mousemove --window "$window" 200 20 key space
}

# The class of the window in the foreground, as Wine sees it.
foreground_class() {
    wine "$1/ForegroundWindow.exe" </dev/null 2>/dev/null | tr -d '\r'
}

close_with_alt_f4() {
    xdotool windowfocus --sync "$window" key --clearmodifiers alt+F4
    local exitCode=0
    wait "$program" || exitCode=$?
    program=""
    return $exitCode
}

# The X window of a Wine window without a window manager is exactly the client area.
screenshot() {
    timeout 10 import -window "$window" "$1"
}

rgb_at() {
    convert "$1" -format "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" info:
}

# Left of the track's centre lies the knob when off and the track when on; right of it the reverse.
look_of() {
    local left right
    left=$(rgb_at "$1" 170 134)
    right=$(rgb_at "$1" 230 134)
    if [ "$left" = "$KNOB_RGB" ] && [ "$right" = "$TRACK_OFF_RGB" ]; then echo off
    elif [ "$left" = "$TRACK_ON_RGB" ] && [ "$right" = "$KNOB_RGB" ]; then echo on
    else echo "unknown ($left / $right)"
    fi
}

# Pixels of the waiting line's colour on the status line (counted whole: grep -q would cut the pipe).
shows_waiting_line() {
    [ "$(convert "$1" -crop 400x30+0+52 +repage txt:- | grep -ci "$WAITING_INK")" -gt 0 ]
}

current_look() {
    screenshot "$shot"
    if shows_waiting_line "$shot"; then echo waiting; else look_of "$shot"; fi
}

# Waits until the window shows the off or on look with no pass running; leaves the screenshot in $shot.
wait_for_look() {
    local wanted=$1 tries
    for tries in $(seq 1 160); do
        [ "$(current_look)" = "$wanted" ] && return 0
        sleep 0.25
    done
    fail "the window never showed the $wanted look (last: $(current_look))"
}

# The operational adapters Wine presents, as Nublaro's inventory sees them: "name IPv4-index IPv6-index".
list_adapters() {
    wine "$1/ListAdapters.exe" </dev/null 2>/dev/null | tr -d '\r'
}

interface_key() {
    local family=$1 adapter=$2
    echo "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$([ "$family" = 4 ] && echo Tcpip || echo Tcpip6)\\Parameters\\Interfaces\\$adapter"
}

# name_server <4 or 6> <adapter>: the NameServer value, empty when there is none. Right after a kill,
# reg.exe now and then answers without the value that is there; it is asked again, five times at most.
name_server() {
    local output tries
    for tries in 1 2 3 4 5; do
        output=$(wine reg query "$(interface_key "$1" "$2")" /v NameServer </dev/null 2>/dev/null | tr -d '\r' |
                     awk '$1 == "NameServer" { print $3; found = 1 } END { exit !found }') && break
        sleep 0.5
    done
    echo "$output"
}

set_name_server() {
    wine reg add "$(interface_key "$1" "$2")" /v NameServer /t REG_SZ /d "$3" /f </dev/null >/dev/null 2>&1
}
