#!/usr/bin/env bash
# Installs what is missing, builds, and runs Zapvane on the simulated
# transmitter (the default COM1), so no IR hardware is needed. Arguments go to
# zapvane-cli; without any, it lists the devices and sends "SONY - TV" power.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j2 --target zapvane-cli
cli="$root/build/src/zapvane-cli"
if [ $# -eq 0 ]; then
  "$cli" devices
  echo "--- SONY - TV, command 0, as light on the simulated port:"
  exec "$cli" pulses "SONY - TV" 0
fi
exec "$cli" "$@"
