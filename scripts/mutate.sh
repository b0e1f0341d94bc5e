#!/usr/bin/env bash
# Mutation check: puts the faults of scripts/mutations.txt into the sources one
# at a time, rebuilds, runs every test and reports whether a test noticed.
# Not part of CI: a full run takes long. See --help.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
me=mutate.sh

usage() {
  cat <<'EOF'
Usage: scripts/mutate.sh [--list FILE] [--only TEXT]... [--build DIR] [--jobs N]
                         [--timeout SECONDS] [--no-gui] [--check] [--help]

Puts each fault of the list into the sources in turn, rebuilds only what
changed, runs all tests (ctest -j2) and restores the file byte for byte.
One line per fault:
  caught   NAME  (TEST)           a test failed; TEST is the first that did
  caught   NAME  (timeout: TEST)  a test ran past the per-test time-out
  build    NAME  (ERROR)          the mutant does not compile (counted as caught;
                                  fix the entry so it compiles)
  missed   NAME                   every test passed: no test sees this fault
  stale    NAME  (WHY)            the original text is not in the file exactly
                                  once; not run (fix the entry)
  skipped  NAME  (WHY)            the file is not compiled in this build
                                  (Qt code with --no-gui)
then "N caught of M (P %)", where M counts caught, build and missed, and the
missed ones by name.

Options:
  --list FILE        the list (default scripts/mutations.txt; format at its top)
  --only TEXT        run only entries whose name contains TEXT; may be repeated
  --build DIR        build folder (default build-mutate/ in the repository,
                     build-mutate-nogui/ with --no-gui)
  --jobs N           parallel build jobs (default 1: the loop is long and the
                     machine shared); ctest always runs 2 tests at a time
  --timeout SECONDS  per-test time-out (default 5 times the slowest test of the
                     unmutated run, at least 30)
  --no-gui           build without the Qt window (-DZAPVANE_BUILD_GUI=OFF):
                     quicker, without the Qt tests
  --check            only check that every entry's original text occurs
                     exactly once in its file; builds nothing
  -h, --help         this text

It refuses to start when a file it would mutate has uncommitted changes, and
restores every file it changed, also on Ctrl-C or an error. Logs of the last
run of each entry: DIR/mutate-logs/.

Exit status: 0 the run finished, whatever the score; 1 it could not run (a
file to mutate has uncommitted changes, the unmutated tree does not build or
its tests fail) or --check found stale entries; 2 bad usage or a malformed
list; 130 interrupted.
EOF
}

die_usage() {
  echo "$me: $1" >&2
  echo "Try 'scripts/mutate.sh --help'." >&2
  exit 2
}

absolute() { case $1 in /*) printf '%s\n' "$1" ;; *) printf '%s\n' "$PWD/$1" ;; esac; }

# --- options -----------------------------------------------------------------

list_file=$root/scripts/mutations.txt
build_dir=
jobs=1
timeout=
gui=ON
check_only=0
only=()
while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    --list | --only | --build | --jobs | --timeout)
      [ $# -ge 2 ] || die_usage "$1 needs a value"
      case $1 in
        --list) list_file=$(absolute "$2") ;;
        --only) only+=("$2") ;;
        --build) build_dir=$(absolute "$2") ;;
        --jobs) jobs=$2 ;;
        --timeout) timeout=$2 ;;
      esac
      shift 2 ;;
    --list=* | --only=* | --build=* | --jobs=* | --timeout=*)
      set -- "${1%%=*}" "${1#*=}" "${@:2}" ;;
    --no-gui) gui=OFF; shift ;;
    --check) check_only=1; shift ;;
    *) die_usage "unknown argument '$1'" ;;
  esac
done
[[ $jobs =~ ^[1-9][0-9]*$ ]] || die_usage "--jobs needs a whole number from 1, got '$jobs'"
[ -z "$timeout" ] || [[ $timeout =~ ^[1-9][0-9]*$ ]] || die_usage "--timeout needs whole seconds from 1, got '$timeout'"
[ -f "$list_file" ] || die_usage "no list file $list_file"
if [ -z "$build_dir" ]; then
  build_dir=$root/build-mutate
  [ "$gui" = ON ] || build_dir=$root/build-mutate-nogui
fi

# --- the list ------------------------------------------------------------------

names=() files=() origs=() repls=() where=()

list_error() {
  echo "$me: ${list_file#"$PWD"/}:$1: $2" >&2
  exit 2
}

# Sets $trimmed to $1 without leading and trailing blanks.
trim() {
  trimmed=${1#"${1%%[![:space:]]*}"}
  trimmed=${trimmed%"${trimmed##*[![:space:]]}"}
}

read_list() {
  local line n=0 state=0 name='' path='' orig='' at=0
  declare -A seen=()
  while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    line=${line%$'\r'}
    case $state in
      0)
        [[ $line =~ ^[[:space:]]*(#.*)?$ ]] && continue
        [[ $line =~ ^==[[:space:]]+([A-Za-z0-9][A-Za-z0-9-]*)[[:space:]]+([^[:space:]]+)[[:space:]]*$ ]] ||
          list_error $n "expected '== NAME FILE'"
        name=${BASH_REMATCH[1]} path=${BASH_REMATCH[2]} at=$n
        [ -z "${seen[$name]:-}" ] || list_error $n "name '$name' is already used on line ${seen[$name]}"
        seen[$name]=$n
        state=1 ;;
      1)
        [[ $line =~ ^-[[:space:]](.*)$ ]] || list_error $n "expected '- ORIGINAL' after the entry's '==' line"
        trim "${BASH_REMATCH[1]}"
        [ -n "$trimmed" ] || list_error $n "the original text is empty"
        orig=$trimmed
        state=2 ;;
      2)
        [[ $line =~ ^\+([[:space:]](.*))?$ ]] || list_error $n "expected '+ REPLACEMENT' (or a bare '+')"
        trim "${BASH_REMATCH[2]}"
        [ "$trimmed" != "$orig" ] || list_error $n "the replacement equals the original"
        names+=("$name") files+=("$path") origs+=("$orig") repls+=("$trimmed") where+=("$at")
        state=0 ;;
    esac
  done <"$list_file"
  [ $state -eq 0 ] || list_error $at "the entry '$name' is incomplete"
}

# Occurrences (overlapping ones too) of MUT_FROM in a file, or "missing";
# with "apply", replaces the only occurrence by MUT_TO in place (exit 3 when
# it is not the only one). Raw bytes throughout, so nothing else changes.
text_tool() {
  perl -e '
    my ($mode, $path) = @ARGV;
    open(my $in, "<:raw", $path) or do { print "missing\n"; exit 4 };
    local $/;
    my $s = <$in>;
    close $in;
    my $from = $ENV{MUT_FROM};
    my ($n, $pos, $at) = (0, 0, -1);
    while ((my $i = index($s, $from, $pos)) >= 0) { $at = $i if $n++ == 0; $pos = $i + 1; }
    if ($mode eq "count") { print "$n\n"; exit 0 }
    exit 3 if $n != 1;
    substr($s, $at, length $from) = $ENV{MUT_TO};
    open(my $out, ">:raw", $path) or die "cannot write $path: $!\n";
    print $out $s or die "cannot write $path: $!\n";
    close $out or die "cannot write $path: $!\n";
  ' "$@"
}

# Sets $stale_why to why entry $1 cannot run, or to nothing.
check_entry() {
  local i=$1 file=${files[$1]} count hint
  stale_why=
  if [ ! -f "$root/$file" ]; then
    hint=$(git -C "$root" ls-files -- "*/$(basename "$file")" 2>/dev/null | paste -sd ' ' -)
    stale_why="no file $file${hint:+; a file of that name: $hint}"
    return
  fi
  count=$(MUT_FROM=${origs[$i]} text_tool count "$root/$file")
  [ "$count" = 1 ] || stale_why="original text found $count times in $file, not once"
}

read_list
selected=()
for i in "${!names[@]}"; do
  if [ ${#only[@]} -eq 0 ]; then
    selected+=("$i")
    continue
  fi
  for o in "${only[@]}"; do
    if [[ ${names[$i]} == *"$o"* ]]; then selected+=("$i"); break; fi
  done
done
[ ${#selected[@]} -gt 0 ] || die_usage "no entry of ${list_file#"$PWD"/} matches --only ${only[*]}"

report() {  # STATUS NAME [DETAIL]
  if [ -n "${3:-}" ]; then printf '%-8s %s  (%s)\n' "$1" "$2" "$3"; else printf '%-8s %s\n' "$1" "$2"; fi
}

runnable=()
stale_count=0
for i in "${selected[@]}"; do
  check_entry "$i"
  if [ -n "$stale_why" ]; then
    report stale "${names[$i]}" "line ${where[$i]}: $stale_why"
    stale_count=$((stale_count + 1))
  else
    runnable+=("$i")
  fi
done

if [ $check_only -eq 1 ]; then
  if [ $stale_count -eq 0 ]; then
    echo "${#selected[@]} entries checked: every original text occurs exactly once"
    exit 0
  fi
  echo "$stale_count of ${#selected[@]} entries are stale"
  exit 1
fi
[ ${#runnable[@]} -gt 0 ] || { echo "0 caught of 0 (no runnable entry)"; exit 0; }

# --- safety: never touch someone's work ----------------------------------------

backup_dir=$build_dir/mutate-backup
log_dir=$build_dir/mutate-logs
command -v git >/dev/null || { echo "$me: needs git to see uncommitted changes" >&2; exit 1; }

targets=()
declare -A target_seen=()
for i in "${runnable[@]}"; do
  f=${files[$i]}
  [ -n "${target_seen[$f]:-}" ] || { target_seen[$f]=1; targets+=("$f"); }
done

# A run killed outright (no trap runs on SIGKILL) leaves its backup behind.
if [ -d "$backup_dir" ]; then
  find "$backup_dir" -type f -name '*.partial' -delete
  while IFS= read -r -d '' leftover; do
    rel=${leftover#"$backup_dir"/}
    if [ -f "$root/$rel" ] && cmp -s -- "$leftover" "$root/$rel"; then
      rm -f -- "$leftover"
    else
      echo "$me: an interrupted run left the original of $rel at $leftover;" >&2
      echo "  restore it with: cp '$leftover' '$root/$rel'   (or delete the backup if $rel holds newer work)" >&2
      exit 1
    fi
  done < <(find "$backup_dir" -type f -print0)
fi

dirty=()
for f in "${targets[@]}"; do
  if ! git -C "$root" ls-files --error-unmatch -- "$f" >/dev/null 2>&1 ||
     [ -n "$(git -C "$root" status --porcelain -- "$f")" ]; then
    dirty+=("$f")
  fi
done
if [ ${#dirty[@]} -gt 0 ]; then
  echo "$me: refusing to start: these files to mutate are untracked or have uncommitted changes:" >&2
  printf '  %s\n' "${dirty[@]}" >&2
  echo "  commit or stash them first (or leave their entries out with --only)." >&2
  exit 1
fi

# --- restoring, also on Ctrl-C and errors ------------------------------------------

cur_file=''     # the file that holds a mutant now, relative to $root
cur_backup=''   # its original
cur_sum=''      # checksum of the mutant once written, to notice edits made during the run
child=''        # process group of the build or test run in progress

# The functions below also run from the traps.
# shellcheck disable=SC2317
restore_current() {
  [ -n "$cur_file" ] || return 0
  local target=$root/$cur_file
  if [ -n "$cur_sum" ] && [ "$(md5sum <"$target")" != "$cur_sum" ]; then
    echo "$me: $cur_file changed while it held a mutant; left as it is, its original is $cur_backup" >&2
    cur_file=''
    return 1
  fi
  cur_sum=''  # from here on the file is ours to overwrite, even if a copy is cut short
  if cp -- "$cur_backup" "$target" && cmp -s -- "$cur_backup" "$target"; then
    rm -f -- "$cur_backup"
    cur_file=''
    return 0
  fi
  echo "$me: could not restore $cur_file; its original is $cur_backup" >&2
  return 1
}

# shellcheck disable=SC2317
stop_child() {
  [ -n "$child" ] || return 0
  kill -TERM -- "-$child" 2>/dev/null || kill -TERM "$child" 2>/dev/null
  local n
  for n in $(seq 50); do
    kill -0 -- "-$child" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL -- "-$child" 2>/dev/null
  wait "$child" 2>/dev/null
  child=''
}

# shellcheck disable=SC2317
on_signal() {
  trap - INT TERM HUP
  stop_child
  [ -t 2 ] && printf '\r\033[K' >&2
  restore_current && echo "$me: interrupted; every file is restored" >&2
  exit 130
}
trap on_signal INT TERM HUP
trap 'stop_child; restore_current' EXIT

# Runs a command in its own process group (so an interruption can stop all of
# it), output to a log; returns its exit status.
if command -v setsid >/dev/null; then own_group=(setsid); else own_group=(); fi
run_logged() {
  local log=$1
  shift
  "${own_group[@]}" "$@" >"$log" 2>&1 </dev/null &
  child=$!
  wait "$child"
  local rc=$?
  child=''
  return $rc
}

progress() { [ -t 2 ] && printf '\r\033[K%s' "$1" >&2; return 0; }
progress_done() { [ -t 2 ] && printf '\r\033[K' >&2; return 0; }

# --- the unmutated build and tests ----------------------------------------------

mkdir -p "$backup_dir" "$log_dir" || exit 1

cached() { sed -n "s/^$1:[A-Z]*=//p" "$build_dir/CMakeCache.txt" 2>/dev/null; }
if [ ! -f "$build_dir/build.ninja" ] || [ "$(cached ZAPVANE_BUILD_GUI)" != "$gui" ] ||
   [ "$(cached ZAPVANE_WERROR)" != ON ] || [ "$(cached ZAPVANE_BUILD_TESTS)" != ON ]; then
  progress "configuring $build_dir"
  if ! run_logged "$log_dir/configure.log" cmake -S "$root" -B "$build_dir" -G Ninja -DZAPVANE_WERROR=ON \
       -DZAPVANE_BUILD_TESTS=ON -DZAPVANE_BUILD_BENCH=OFF -DZAPVANE_BUILD_GUI="$gui"; then
    progress_done
    echo "$me: configuring $build_dir failed; see $log_dir/configure.log" >&2
    exit 1
  fi
fi

progress "building the unmutated tree"
if ! run_logged "$log_dir/baseline.build.log" cmake --build "$build_dir" -j "$jobs"; then
  progress_done
  echo "$me: the unmutated tree does not build; see $log_dir/baseline.build.log" >&2
  exit 1
fi
progress "testing the unmutated tree"
if ! run_logged "$log_dir/baseline.ctest.log" ctest --test-dir "$build_dir" -j2 --no-tests=error \
     --timeout "${timeout:-600}"; then
  progress_done
  echo "$me: tests fail without any mutation, so no result would mean anything; see $log_dir/baseline.ctest.log" >&2
  exit 1
fi
progress_done
if [ -z "$timeout" ]; then
  slowest=$(sed -nE 's/.*Passed +([0-9.]+) sec.*/\1/p' "$log_dir/baseline.ctest.log" | sort -g | tail -n 1)
  timeout=$(awk -v s="${slowest:-0}" 'BEGIN { t = int(5 * s + 0.999); print (t < 30 ? 30 : t) }')
fi
echo "${#runnable[@]} mutants, build $build_dir, per-test time-out $timeout s"

# --- one mutant --------------------------------------------------------------------

# Sets $result and $detail for entry $1.
run_mutant() {
  local i=$1 name=${names[$1]} file=${files[$1]} target
  target=$root/$file
  result='' detail=''

  # A source file this build does not compile cannot be caught by it.
  if [[ $file =~ \.(cpp|cc|cxx)$ ]] && [ -f "$build_dir/compile_commands.json" ] &&
     ! grep -qF "\"$target\"" "$build_dir/compile_commands.json"; then
    result=skipped detail="$file is not compiled in this build"
    return
  fi

  # The backup is complete before it has its name, and before the file changes.
  cur_backup=$backup_dir/$file
  if ! { mkdir -p "$(dirname "$cur_backup")" && cp -- "$target" "$cur_backup.partial" &&
         mv -f -- "$cur_backup.partial" "$cur_backup"; }; then
    echo "$me: cannot back up $file to $cur_backup" >&2
    exit 1
  fi
  cur_file=$file
  cur_sum=''
  MUT_FROM=${origs[$i]} MUT_TO=${repls[$i]} text_tool apply "$target"
  local rc=$?
  if [ $rc -ne 0 ]; then
    restore_current || exit 1
    result=stale detail="line ${where[$i]}: the original text is no longer in $file exactly once"
    [ $rc -eq 3 ] || detail="line ${where[$i]}: cannot rewrite $file"
    return
  fi
  cur_sum=$(md5sum <"$target")

  local build_log=$log_dir/$name.build.log test_log=$log_dir/$name.ctest.log
  rm -f -- "$test_log"
  progress "[$2] building $name"
  if ! run_logged "$build_log" cmake --build "$build_dir" -j "$jobs"; then
    result=build
    detail=$(grep -m1 -E 'error:' "$build_log" || grep -m1 -E 'FAILED:' "$build_log")
    detail=$(sed -E "s#^$root/##" <<<"$detail" | cut -c1-160)
  else
    progress "[$2] testing $name"
    if run_logged "$test_log" ctest --test-dir "$build_dir" -j2 --timeout "$timeout" --stop-on-failure; then
      result=missed
    else
      result=caught
      local failed timed_out
      # Progress lines: " 5/175 Test  #5: Suite.Name .....***Failed  0.02 sec"
      failed=$(grep -E 'Test +#[0-9]+: ' "$test_log" | grep -E '\*\*\*|Exception' |
               sed -E 's/^.*Test +#[0-9]+: ([^ ]+) .*$/\1/')
      timed_out=$(grep -E 'Test +#[0-9]+: .*\*\*\*Timeout' "$test_log" | head -n 1 |
                  sed -E 's/^.*Test +#[0-9]+: ([^ ]+) .*$/\1/')
      if [ -n "$timed_out" ]; then
        detail="timeout: $timed_out"
      elif [ -n "$failed" ]; then
        detail=$(head -n 1 <<<"$failed")
      else
        detail="ctest failed, see ${test_log#"$PWD"/}"
      fi
    fi
  fi
  progress_done
  restore_current || exit 1
}

caught=0 built=0 missed=0 skipped=0 missed_names=()
n=0
for i in "${runnable[@]}"; do
  n=$((n + 1))
  run_mutant "$i" "$n/${#runnable[@]}"
  report "$result" "${names[$i]}" "$detail"
  case $result in
    caught) caught=$((caught + 1)) ;;
    build) built=$((built + 1)) ;;
    missed) missed=$((missed + 1)) missed_names+=("${names[$i]}") ;;
    skipped) skipped=$((skipped + 1)) ;;
    stale) stale_count=$((stale_count + 1)) ;;
  esac
done

# Leave the build folder as the sources are, so nothing run from it later is a mutant.
progress "rebuilding the unmutated tree"
run_logged "$log_dir/final.build.log" cmake --build "$build_dir" -j "$jobs" ||
  echo "$me: the final rebuild failed; see $log_dir/final.build.log" >&2
progress_done

find "$backup_dir" -mindepth 1 -type d -empty -delete 2>/dev/null
for f in "${targets[@]}"; do
  [ -z "$(git -C "$root" status --porcelain -- "$f")" ] || echo "$me: $f is not as committed after the run" >&2
done

total=$((caught + built + missed))
echo
echo "$((caught + built)) caught of $total ($(awk -v c=$((caught + built)) -v t=$total \
  'BEGIN { printf "%.0f", t ? 100 * c / t : 0 }') %)"
[ $built -eq 0 ] || echo "  of which did not compile: $built (see the 'build' lines; fix those entries)"
[ $stale_count -eq 0 ] || echo "stale, not run: $stale_count (see the 'stale' lines; fix those entries)"
[ $skipped -eq 0 ] || echo "skipped, not compiled in this build: $skipped"
if [ $missed -gt 0 ]; then
  echo "missed:"
  printf '  %s\n' "${missed_names[@]}"
fi
exit 0
