#!/usr/bin/env bash
# Runs a test in a network of its own: loopback and one network card whose far end nobody listens
# on, with 127.0.0.1 as the name server, so that the test sees every packet and every name lookup
# that reaches a listener of its own. Needs user namespaces (or root); where there are none, the
# test runs in the machine's network and says that it can't watch name lookups.
set -euo pipefail
resolv=$(mktemp)
trap 'rm -f "$resolv"' EXIT
echo "nameserver 127.0.0.1" > "$resolv"
namespace=(unshare --user --map-root-user --mount --net)
if "${namespace[@]}" true 2>/dev/null; then
    "${namespace[@]}" sh -c '
        ip link set lo up &&
        ip link add tavlo0 type veth peer name tavlo1 &&
        ip addr add 10.9.9.9/24 dev tavlo0 && ip link set tavlo0 up && ip link set tavlo1 up &&
        ip route add default dev tavlo0 &&
        mount --bind "$0" /etc/resolv.conf &&
        TAVLO_TEST_RESOLVER=127.0.0.1 exec "$@"
    ' "$resolv" "$@"
    exit
fi
echo "no network namespace: name lookups are not watched" >&2
exec "$@"
