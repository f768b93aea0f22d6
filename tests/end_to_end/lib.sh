# Shared steps of the tests that drive the real Nublaro.exe under Wine on the display scripts/test
# provides. Each test runs on a machine of its own: a network namespace holding only the adapters the
# test makes, which Wine presents as the machine's adapters, and a fresh Wine prefix whose registry
# holds their DNS settings. Both end with the test, and with them every process it started. Sourced, not
# run; the test calls enter_own_machine first, with its own arguments.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/window.sh"

SKIPPED=77 # ctest shows the test as skipped

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

skip() {
    echo "SKIPPED: $*"
    exit $SKIPPED
}

# Runs the calling script again inside a network namespace of its own (as root; otherwise inside a user
# namespace of its own too), where only loopback exists until the script makes its adapters.
enter_own_machine() {
    [ -n "${DISPLAY:-}" ] || skip "no display; scripts/test starts a virtual one"
    if [ -z "${NUBLARO_OWN_NETWORK:-}" ]; then
        local unshare=(unshare --net)
        [ "$(id -u)" -eq 0 ] || unshare=(unshare --map-root-user --net)
        "${unshare[@]}" true 2>/dev/null || skip "no network namespace can be made here (${unshare[*]})"
        NUBLARO_OWN_NETWORK=1 exec "${unshare[@]}" bash "$0" "$@"
    fi
    ip link set lo up
}

# An adapter that is up: one end of a veth pair whose other end stays down (Wine reports it as up).
add_operational_adapter() {
    ip link add "$1" type veth peer name "$1-peer"
    ip link set "$1" up
}

# start_own_prefix <folder of the built programs>: a fresh prefix with the stand-in netsh, whose log is
# C:\netsh-standin.log; it is ended with everything in it when the script exits.
start_own_prefix() {
    NUBLARO_BUILD=$(cd "$1/.." && pwd)
    trap 'kill_nublaro; stop_disposable_prefix; rm -f "$shot"' EXIT
    start_disposable_prefix
    install_netsh_standin
    export NETSH_STANDIN_LOG='C:\netsh-standin.log'
    netshLog="$WINEPREFIX/drive_c/netsh-standin.log"
}

# A machine whose one adapter is up; its name goes into $adapter.
start_machine_with_one_adapter() {
    add_operational_adapter wifi0
    start_own_prefix "$1"
    adapter=$(list_adapters "$1" | awk '{ print $1 }')
    [ "$(echo "$adapter" | wc -w)" -eq 1 ] || fail "Wine shows the operational adapters '$adapter', not one"
}

# The scripts the program left in the Windows temporary folder that no netsh named in its log: each was
# handed to a netsh that logs its run once it runs, or to none, and is given five seconds to show there.
scripts_no_netsh_ran() {
    local script tries
    for script in "$WINEPREFIX"/drive_c/windows/temp/dns*.tmp; do
        for tries in $(seq 1 50); do
            [ -e "$script" ] || continue 2
            grep -qiF "$(basename "$script")" "$netshLog" 2>/dev/null && continue 2
            sleep 0.1
        done
        echo "$script"
    done
}

# A netsh started by a killed program goes on to its end; the test waits for it, as a user would, and
# then removes the scripts left behind.
wait_for_netsh_to_end() {
    local tries runs ends
    scripts_no_netsh_ran >/dev/null
    for tries in $(seq 1 100); do
        runs=$(grep -c '^run ' "$netshLog" 2>/dev/null || true)
        ends=$(grep -c '^done' "$netshLog" 2>/dev/null || true)
        if [ "${runs:-0}" -eq "${ends:-0}" ]; then
            rm -f "$WINEPREFIX"/drive_c/windows/temp/dns*.tmp
            return 0
        fi
        sleep 0.1
    done
    fail "netsh did not end: $runs started, $ends ended"
}

# Wine, unlike Windows, now and then leaves a process it is starting hanging before its first line of
# code; for a netsh, the program then waits in CreateProcess for ever, or for netsh until its time-out.
# Called once the program is gone: returns whether a script it wrote was never run, after cleaning up as
# wait_for_netsh_to_end does. Such a netsh is left alone: it never runs.
netsh_left_unstarted() {
    local unstarted
    unstarted=$(scripts_no_netsh_ran)
    (wait_for_netsh_to_end) >/dev/null 2>&1 || return 1
    [ -n "$unstarted" ]
}

# Filtering has a family when its servers name the filter; under Wine only IPv4 is ever bound.
is_filtered() {
    case ",$(name_server 4 "$1")," in
    *,94.140.14.14,* | *,94.140.15.15,*) return 0 ;;
    *) return 1 ;;
    esac
}

expect_servers() {
    local what=$1 adapter=$2 ipv4=$3 ipv6=$4
    [ "$(name_server 4 "$adapter")" = "$ipv4" ] || fail "$what: IPv4 servers are '$(name_server 4 "$adapter")', not '$ipv4'"
    [ "$(name_server 6 "$adapter")" = "$ipv6" ] || fail "$what: IPv6 servers are '$(name_server 6 "$adapter")', not '$ipv6'"
}
