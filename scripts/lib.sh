# Shared steps of the scripts: packages, the cross build, a disposable Wine prefix and a virtual display.
# Sourced, not run.

# A script that set -e stops says where: the file, the line, the status and the command, also from
# within a function or a subshell. Without it, a step whose output goes to /dev/null stops it silently.
set -o errtrace
trap 'echo "FAIL: status $? at ${BASH_SOURCE[0]}:${LINENO}: ${BASH_COMMAND}" >&2' ERR

NUBLARO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NUBLARO_BUILD=${NUBLARO_BUILD:-$NUBLARO_ROOT/build}
NUBLARO_PACKAGES=(cmake make mingw-w64 wine wine64 xvfb xdotool imagemagick googletest iproute2 zip unzip
                  osslsigncode openssl)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs, with apt-get, whichever of the given Debian packages are missing.
install_missing_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_nublaro() {
    cmake -S "$NUBLARO_ROOT" -B "$NUBLARO_BUILD" \
        -DCMAKE_TOOLCHAIN_FILE="$NUBLARO_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel "$@" >/dev/null
    cmake --build "$NUBLARO_BUILD" -j "$(nproc)"
}

# A fresh prefix stands in for a Windows machine: its adapters' DNS settings live in its own registry.
# Wine's services are started here, outside any test runner, so that none of them inherits a pipe
# that a runner waits on.
start_disposable_prefix() {
    WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/nublaro-wine.XXXXXX")
    export WINEPREFIX
    export WINEDEBUG=-all
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot -i </dev/null >/dev/null 2>&1
    # A program that crashes ends at once, instead of waiting in Wine's crash dialog for ever.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    # Keyboard cues (focus rectangles) only once the keyboard is used, as Windows has it by default;
    # Wine shows them always.
    wine reg add 'HKCU\Control Panel\Desktop' /v UserPreferencesMask /t REG_BINARY /d 1000028012000000 /f \
        </dev/null >/dev/null 2>&1
    if [ -n "${DISPLAY:-}" ]; then start_wine_desktop; fi
}

# Wine's desktop process must run before any window can be made, and Wine ends it some seconds after
# the last program that uses it; starting it again costs the next window ten seconds. A program of the
# tests keeps it running until the prefix is ended, and tells when its own window exists. The desktop's
# first start in a new prefix now and then fails, and the keeper with it: it is then started again.
start_wine_desktop() {
    local ready keeper attempt tries
    ready=$(mktemp)
    for attempt in 1 2 3 4 5; do
        wine "$NUBLARO_BUILD/bin/DesktopKeeper.exe" </dev/null >"$ready" 2>/dev/null &
        keeper=$!
        for tries in $(seq 1 300); do
            grep -q ready "$ready" && { rm -f "$ready"; return 0; }
            kill -0 "$keeper" 2>/dev/null || break
            sleep 0.1
        done
        kill "$keeper" 2>/dev/null || true
    done
    rm -f "$ready"
    echo "Wine's desktop did not start on $DISPLAY" >&2
    return 1
}

# Wine's own netsh ignores its input; the stand-in built with the tests does what Windows' netsh does
# with Nublaro's script, on the prefix's registry.
install_netsh_standin() {
    cp "$NUBLARO_BUILD/bin/NetshStandIn.exe" "$WINEPREFIX/drive_c/windows/system32/netsh.exe"
    export WINEDLLOVERRIDES="netsh.exe=n${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
}

# Ends every process of the prefix, and only those, and removes it with the folder of its server's
# socket, which Wine names after the prefix's device and inode.
stop_disposable_prefix() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    local server socketFolder
    server=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    for socketFolder in /tmp/wine-*/"$server" /tmp/.wine-"$(id -u)"/"$server"; do
        [ -d "$socketFolder" ] || continue
        rm -rf "$socketFolder"
        rmdir "$(dirname "$socketFolder")" 2>/dev/null || true
    done
}

# Starts Xvfb on a free display number and exports DISPLAY for it.
start_virtual_display() {
    local numberFile
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    NUBLARO_XVFB_PID=$!
    local tries=0
    while [ ! -s "$numberFile" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
    export DISPLAY=":$(cat "$numberFile")"
    rm -f "$numberFile"
}

stop_virtual_display() {
    [ -n "${NUBLARO_XVFB_PID:-}" ] && kill "$NUBLARO_XVFB_PID" 2>/dev/null
    return 0
}
