#!/usr/bin/env bash
# Other hosts for the program tests: one network namespace per host, joined
# to the caller's namespace by a veth pair of its own (a /30 per host), each
# program started there under a host name of its own. Names start with
# ruvoprog<pid>- so parallel runs never meet; namespaces whose test process
# has died are swept away first.
#   hosts.sh add PREFIX NAME OWN_IP HOST_IP   a host namespace linked to the caller
#   hosts.sh run PREFIX NAME CMD...           runs CMD on host NAME, host name NAME
#   hosts.sh down PREFIX                      removes every namespace of PREFIX
set -euo pipefail

sweep() {
    local ns pid
    for ns in $(ip netns list | awk '{print $1}' | grep -E '^ruvoprog[0-9]+-' || true); do
        pid=${ns#ruvoprog}
        pid=${pid%%-*}
        [ -d "/proc/$pid" ] || ip netns del "$ns" 2>/dev/null || true
    done
}

cmd=$1
prefix=$2
shift 2
case $cmd in
add)
    sweep
    name=$1 own=$2 host=$3
    ns="$prefix-$name"
    ip netns add "$ns"
    ip -n "$ns" link set lo up
    ip link add "veth$name" type veth peer name eth0 netns "$ns"
    ip addr add "$own/30" dev "veth$name"
    ip link set "veth$name" up
    ip -n "$ns" addr add "$host/30" dev eth0
    ip -n "$ns" link set eth0 up
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
