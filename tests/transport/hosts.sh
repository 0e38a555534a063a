#!/usr/bin/env bash
# Test hosts for the transport tests: network namespaces joined by veth pairs
# through a bridge in a "hall" namespace, each program started with a host
# name of its own. Names start with ruvo<pid>- so parallel test runs never
# meet; namespaces whose test process has died are swept away first.
#   hosts.sh hall PREFIX              the hall with its bridge
#   hosts.sh host PREFIX NAME IP      a host namespace joined to the hall
#   hosts.sh join PREFIX IP           joins the caller's own namespace to the hall
#   hosts.sh bare PREFIX NAME         a host namespace with only its loopback
#   hosts.sh tap PREFIX NAME DEV IP   moves a tap device to host NAME
#   hosts.sh run PREFIX NAME CMD...   runs CMD on host NAME, host name NAME
#   hosts.sh down PREFIX              removes every namespace of PREFIX
#   hosts.sh sweep                    removes the namespaces of dead test runs
set -euo pipefail

sweep() {
    local ns pid
    for ns in $(ip netns list | awk '{print $1}' | grep -E '^ruvo[0-9]+-' || true); do
        pid=${ns#ruvo}
        pid=${pid%%-*}
        [ -d "/proc/$pid" ] || ip netns del "$ns" 2>/dev/null || true
    done
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
    sweep
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
    sweep
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
    for ns in $(ip netns list | awk '{print $1}' | grep -E "^$prefix-" || true); do
        ip netns del "$ns" 2>/dev/null || true
    done
    ;;
*)
    echo "unknown command $cmd" >&2
    exit 2
    ;;
esac
