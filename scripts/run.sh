#!/usr/bin/env bash
# Installs what is missing, builds, and starts the Zapvane window on the
# simulated transmitter (the default COM1), so no IR hardware is needed.
# Arguments go to zapvane (--data-dir DIR, --help). Without a display it says
# so and shows the command line tool instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j2 --target zapvane zapvane-cli
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display; here is the command line tool instead (build/src/zapvane-cli --help):" >&2
  "$root/build/src/zapvane-cli" send "SONY - TV" 1
  exec "$root/build/src/zapvane-cli" monitor
fi
exec "$root/build/src/zapvane" "$@"
