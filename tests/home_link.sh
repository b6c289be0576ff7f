#!/bin/sh
# Runs a test program in a network namespace of its own whose loopback is set up the way a home
# link is: packets of 1500 bytes and send buffers of at most about 1 MB, where loopback's
# defaults are 64 KB packets and 4 MB buffers. Skipped (77) where no namespace can be made.
#   home_link.sh PROGRAM [ARGUMENT...]
set -eu
[ "$#" -ge 1 ] || { echo "usage: home_link.sh PROGRAM [ARGUMENT...]" >&2; exit 2; }
# Written to /proc directly: sysctl (procps) may be missing where iproute2 is not. tcp_wmem
# belongs to the namespace and caps the send buffer as it grows; wmem_max is not ours to set.
setup='ip link set lo up mtu 1500 &&
       echo "4096 16384 1048576" > /proc/sys/net/ipv4/tcp_wmem &&
       exec "$@"'
if [ "$(id -u)" -eq 0 ]; then
  unshare --net true 2>/dev/null || exit 77
  exec unshare --net -- sh -c "$setup" home_link "$@"
fi
unshare --user --map-root-user --net true 2>/dev/null || exit 77
exec unshare --user --map-root-user --net -- sh -c "$setup" home_link "$@"
