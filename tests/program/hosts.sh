#!/usr/bin/env bash
# Other hosts for the program tests: one network namespace per host, joined
# to the caller's namespace by a veth pair of its own (a /30 per host), each
# program started there under a host name of its own. Names start with
# ruvoprog<pid>- so parallel runs never meet; namespaces whose test process
# has died are swept away first, and a reaper removes a run's namespaces as
# soon as its test process ends, however it ends.
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

remove_all() {
    local ns
    for ns in $(ip netns list | awk '{print $1}' | grep -E "^$1-" || true); do
        ip netns del "$ns" 2>/dev/null || true
    done
}

# One reaper per run, detached from the caller's output so nobody waits for it.
start_reaper() {
    local pid=${prefix#ruvoprog}
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

cmd=$1
prefix=$2
shift 2
case $cmd in
add)
    sweep
    start_reaper
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
    remove_all "$prefix"
    ;;
*)
    echo "unknown command $cmd" >&2
    exit 2
    ;;
esac
