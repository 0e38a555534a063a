#!/usr/bin/env bash
# Test hosts: network namespaces joined by veth pairs through a bridge in a
# "hall" namespace, each program started with a host name of its own. Names
# start with ruvo<pid>- so parallel test runs never meet. Namespaces whose
# test process has died are swept away first, and a reaper removes a run's
# namespaces as soon as its test process ends, however it ends.
#   hosts.sh hall PREFIX              the hall with its bridge
#   hosts.sh host PREFIX NAME IP      a host namespace joined to the hall
#   hosts.sh join PREFIX IP           joins the caller's own namespace to the hall
#   hosts.sh bare PREFIX NAME         a host namespace with only its loopback
#   hosts.sh tap PREFIX NAME DEV IP   moves a tap device to host NAME
#   hosts.sh run PREFIX NAME CMD...   runs CMD on host NAME, host name NAME
#   hosts.sh down PREFIX              removes every namespace of PREFIX
#   hosts.sh sweep                    removes the namespaces of dead test runs
set -euo pipefail

namespaces() { # regex
    ip netns list | awk '{print $1}' | grep -E "$1" || true
}

sweep() {
    local ns pid
    for ns in $(namespaces '^ruvo[0-9]+-'); do
        pid=${ns#ruvo}
        pid=${pid%%-*}
        [ -d "/proc/$pid" ] || ip netns del "$ns" 2>/dev/null || true
    done
}

# One reaper per run, detached from the caller's output so nobody waits for it.
start_reaper() {
    local pid=${prefix#ruvo}
    local marker="${TMPDIR:-/tmp}/.$prefix-reaper"
    [ -e "$marker" ] && return 0
    touch "$marker"
    setsid bash -c '
        while kill -0 "$1" 2>/dev/null; do sleep 1; done
        for ns in $(ip netns list | awk "{print \$1}" | grep -E "^$2-" || true); do
            ip netns del "$ns" 2>/dev/null || true
        done
        rm -f "$3"' reaper "$pid" "$prefix" "$marker" </dev/null >/dev/null 2>&1 &
}

# Before a run's first namespace.
prepare() {
    sweep
    start_reaper
}

link_to_hall() { # hall-side name
    ip -n "$prefix-hall" link set "$1" master br0
    ip -n "$prefix-hall" link set "$1" up
}

cmd=$1
if [ "$cmd" = sweep ]; then
    sweep
    exit 0
fi
prefix=$2
shift 2
case $cmd in
hall)
    prepare
    ip netns add "$prefix-hall"
    ip -n "$prefix-hall" link set lo up
    ip -n "$prefix-hall" link add br0 type bridge mcast_snooping 0
    ip -n "$prefix-hall" link set br0 up
    ;;
host)
    name=$1 address=$2
    ns="$prefix-$name"
    ip netns add "$ns"
    ip -n "$ns" link set lo up
    ip -n "$ns" link add veth0 type veth peer name "v$name" netns "$prefix-hall"
    link_to_hall "v$name"
    ip -n "$ns" addr add "$address/24" dev veth0
    ip -n "$ns" link set veth0 up
    ;;
bare)
    prepare
    ip netns add "$prefix-$1"
    ip -n "$prefix-$1" link set lo up
    ;;
tap)
    name=$1 device=$2 address=$3
    ip link set "$device" netns "$prefix-$name"
    ip -n "$prefix-$name" addr add "$address/24" dev "$device"
    ip -n "$prefix-$name" link set "$device" up
    ;;
join)
    address=$1
    ip link add veth0 type veth peer name vself netns "$prefix-hall"
    link_to_hall vself
    ip addr add "$address/24" dev veth0
    ip link set veth0 up
    ;;
run)
    name=$1
    shift
    exec ip netns exec "$prefix-$name" unshare -u -- sh -c 'hostname "$0" && exec "$@"' "$name" "$@"
    ;;
down)
    for ns in $(namespaces "^$prefix-"); do
        ip netns del "$ns" 2>/dev/null || true
    done
    ;;
*)
    echo "unknown command $cmd" >&2
    exit 2
    ;;
esac
