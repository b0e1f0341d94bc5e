#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and starts the Zapvane window on the
# simulated transmitter (the default COM1), so no IR hardware is needed.
# Arguments go to zapvane (--data-dir DIR, --help, Qt's -platform ...).
# Without a display it shows the command line tool instead: its help, then
# one command sent and what the simulated port's log shows of it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j2 --target zapvane zapvane-cli
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/src/zapvane" "$@"
fi

# The data folder the window would have used.
cli=("$root/build/src/zapvane-cli")
while [ $# -gt 0 ]; do
  case $1 in
    --data-dir) [ $# -ge 2 ] || { echo "run.sh: --data-dir needs a directory" >&2; exit 2; }
                cli+=(--data-dir "$2"); shift 2 ;;
    --data-dir=*) cli+=("$1"); shift ;;
    *) shift ;;
  esac
done
echo "run.sh: no display; here is the command line tool instead (build/src/zapvane-cli --help):" >&2
"${cli[@]}" --help
device="SONY - TV" command=1  # the button named 2
echo
echo "\$ zapvane-cli send \"$device\" $command && zapvane-cli monitor --since-last"
"${cli[@]}" monitor --since-last >/dev/null 2>&1 || true  # only what this send adds
"${cli[@]}" send "$device" "$command"
name=$("${cli[@]}" commands "$device" | awk -F'\t' -v index_="$command" '$1 == index_ { print $2; exit }')
# Each line as monitor prints it, with the name of the command sent after it.
"${cli[@]}" monitor --since-last | sed -e "s/\(command $command\)\(,\|\$\)/\1 (\"$name\")\2/"
