#!/bin/sh
# Runs a command in a fresh IPC and network namespace with loopback up, so
# that tests can use the fixed device-manager segment key and the fixed command
# port without seeing or disturbing the machine's own. As root a plain
# unshare is enough; otherwise a user namespace maps us to root inside it.
if [ "$(id -u)" = 0 ]; then
  exec unshare -in sh -c 'ip link set lo up && exec "$@"' sh "$@"
else
  exec unshare -rin sh -c 'ip link set lo up && exec "$@"' sh "$@"
fi
