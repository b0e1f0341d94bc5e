#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion of zapvane-cli, driven as bash drives it: COMP_WORDS
# set, the function called, COMPREPLY compared. The real zapvane-cli answers,
# except 'commands <device>', which a stand-in answers in its documented
# form (<index>\t<name>\t<main|shift>).
#   completion_test.sh <completion file> <zapvane-cli>
set -u
completion=$1 real=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli=$work/zapvane-cli
cat >"$cli" <<EOF
#!/bin/sh
for arg; do
  [ "\$arg" = commands ] && exec printf '0\tPower\tmain\n1\t1\tmain\n2\t2\tmain\n17\tPower-on\tshift\n'
done
exec "$real" "\$@"
EOF
chmod +x "$cli"
"$real" --data-dir "$work/data" new-device "My Hifi" --skin vcr >/dev/null || exit 1
source "$completion"

failed=0
# expect <candidates, sorted, |-joined> <words of the line, the last one being completed>...
expect() {
  local want=$1 got
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _zapvane_cli 2>"$work/stderr"
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd '|')
  if [[ $got != "$want" || -s $work/stderr ]]; then
    echo "FAIL: ${COMP_WORDS[*]}: got '$got', want '$want' $(cat "$work/stderr")"
    failed=1
  fi
}

expect pulses "$cli" pul
expect --data-dir "$cli" --da
expect 'SONY - TUNER|SONY - TV' "$cli" send 'SONY\ -\ T'
expect 'My Hifi' "$cli" --data-dir "$work/data" label '"My'
expect '' "$cli" label '"My'                      # not in the default folder
expect '--help|--hold' "$cli" send 'SONY - TV' 1 --h
expect 'tv|vcr' "$cli" new-device Hi --skin ''
expect '0|1|17|2' "$cli" send --hold 5 "'SONY - TV'" ''
expect 'Power|Power-on' "$cli" frame 0 Po         # names, whatever their case
expect Power-on "$cli" frame 0 power-
expect '' "$cli" label 0 ''                        # a slot: nothing to offer
expect '' /bin/false pul                           # a failing program: quiet
exit $failed
