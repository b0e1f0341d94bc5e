#!/bin/sh
# SPDX-License-Identifier: MIT
# A manual page that roff reads without a warning and that describes every
# option the program's --help names.
#   manual_test.sh <program> <manual>
warnings=$(groff -man -Tutf8 -ww -z "$2" 2>&1)
[ -z "$warnings" ] || { echo "$2: $warnings"; exit 1; }
options=$("$1" --help | grep -o -- '--[a-z-]*' | sort -u)
[ -n "$options" ] || { echo "$1 --help names no option"; exit 1; }
for option in $options; do
  # roff writes each minus sign as \-
  grep -qF -- "$(printf '%s' "$option" | sed 's/-/\\-/g')" "$2" || { echo "$2 lacks $option"; exit 1; }
done
