#!/usr/bin/env bash
# Times whole-file comparisons: rowdump --summary against diff --minimal and
# git diff --no-index --minimal on generated pairs, and cross-checks
# rowdump's edit count against diff's. Then runs the LocalRecompare
# benchmark. Prints Markdown tables.
#
#   bench/run.sh [--quick] [--runs N] [--slow S] [--only REGEX] [--no-git] [--no-recompare]
#
#   --quick         skip the pairs of millions of lines, the 50 MB line and the Python
#                   libraries (and the 1M LocalRecompare case)
#   --runs N        timed runs per tool and pair, alternating tools (default 5)
#   --slow S        a pair whose first round takes over S seconds gets only that
#                   round, marked in the table (default 120; diff --minimal
#                   alone needs minutes on the 1M pair with 10 % changes)
#   --only REGEX    only the pairs whose name matches REGEX
#   --no-git        do not time git diff
#   --no-recompare  do not run the LocalRecompare benchmark
#   --limit S       stop a run after S seconds and show the tool as "> S" (default none)
#
# The pairs are made once into build/bench-data/ (see pairs.sh).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. bench/edit_counts.sh
. bench/pairs.sh

quick=0
runs=5
slow=120
only=
git_too=1
recompare=1
limit=0
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=1 ;;
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --slow) slow=${2:?--slow needs a number of seconds}; shift ;;
    --only) only=${2:?--only needs a pattern}; shift ;;
    --no-git) git_too=0 ;;
    --no-recompare) recompare=0 ;;
    --limit) limit=${2:?--limit needs a number of seconds}; shift ;;
    -h|--help) sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
case $runs in ''|*[!0-9]*|0) echo "run.sh: --runs needs a positive number" >&2; exit 2 ;; esac

[ -x /usr/bin/time ] || { echo "run.sh: /usr/bin/time missing (run scripts/setup.sh)" >&2; exit 1; }

build_targets=(gen_pairs)
cmake --preset native >/dev/null
targets=$(cmake --build --preset native --target help 2>/dev/null || true)
have_target() { grep -qx "\.\.\. $1" <<<"$targets"; }
have_rowdump=0
have_recompare=0
if have_target rowdump; then have_rowdump=1; build_targets+=(rowdump); fi
if [ "$recompare" = 1 ] && have_target recompare_bench; then
  have_recompare=1
  build_targets+=(recompare_bench)
fi
cmake --build --preset native -j 2 --target "${build_targets[@]}" >/dev/null
bin=build/native/bin
[ "$have_rowdump" = 1 ] || echo "run.sh: no rowdump target in this tree; timing diff and git only" >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One timed run: prints "wall-µs cpu-µs peak-KB" and leaves the output in
# $work/stdout. Exit status 1 of diff and git means "files differ".
# With --limit, a run cut off prints "timeout" instead.
measure() {
  local start end rc=0 cut=()
  [ "$limit" != 0 ] && cut=(timeout "$limit")
  start=$(date +%s%N)
  "${cut[@]}" /usr/bin/time -f '%e %M %U %S' -o "$work/time" "$@" >"$work/stdout" 2>"$work/stderr" || rc=$?
  end=$(date +%s%N)
  if [ "$rc" = 124 ] && [ "$limit" != 0 ]; then
    echo timeout
    return 0
  fi
  if [ "$rc" -gt 1 ]; then
    echo "run.sh: $* failed ($rc):" >&2
    cat "$work/stderr" >&2
    return 1
  fi
  tail -n 1 "$work/time" |
    awk -v wall=$(((end - start) / 1000)) '{ printf "%d %d %d\n", wall, ($3 + $4) * 1e6, $2 }'
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2];
                                      else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Median of one column of a tool's runs.
column_median() { cut -d' ' -f"$2" "$work/$1.runs" | median; }
seconds() { awk -v us="$1" 'BEGIN { printf "%.3f", us / 1e6 }'; }

tools=(rowdump diff git plain)
command_of() {
  local tool=$1 left=$2 right=$3 option=$4 diff_option=
  [ "$option" = --ignore-case ] && diff_option=-i
  case $tool in
    rowdump) echo "$bin/rowdump --summary $option $left $right" ;;
    diff) echo "diff --minimal $diff_option $left $right" ;;
    git) echo "git --no-pager diff --no-index --no-color --minimal $left $right" ;;
    plain) echo "diff $diff_option $left $right" ;;
  esac
}

echo "Seconds are wall-clock (CPU user + system), medians over alternating runs; MB is peak"
echo "resident memory. Load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)."
echo
echo "| pair | lines L/R | rowdump s | rowdump MB | diff --minimal s | MB | git diff --minimal s | MB | diff s | rowdump/diff | edits agree |"
echo "|---|---|---|---|---|---|---|---|---|---|---|"
for entry in "${bench_pairs[@]}"; do
  name=${entry%%|*}
  args=$(pair_generator_args "$entry")
  option=$(pair_option "$entry")
  if [ "$quick" = 1 ] && [[ $name == *-[14]M-* || $name == *50MB* || $name == python-* ]]; then continue; fi
  if [ -n "$only" ] && ! [[ $name =~ $only ]]; then continue; fi
  if ! generate_pair "$bin/gen_pairs" "$name" "$args"; then
    echo "| $name | skipped: its files could not be had |  |  |  |  |  |  |  |  |  |"
    continue
  fi
  left=$bench_data/$name.left
  right=$bench_data/$name.right

  for tool in "${tools[@]}"; do : >"$work/$tool.runs"; done
  pair_runs=$runs
  for ((r = 0; r < pair_runs; r++)); do
    round_start=$(date +%s)
    for tool in "${tools[@]}"; do
      [ "$tool" = rowdump ] && [ "$have_rowdump" = 0 ] && continue
      [ "$tool" = git ] && { [ "$git_too" = 0 ] || [ -n "$option" ]; } && continue
      # shellcheck disable=SC2046  # paths under build/ have no blanks
      measure $(command_of "$tool" "$left" "$right" "$option") >>"$work/$tool.runs"
      mv "$work/stdout" "$work/$tool.out"
    done
    if [ "$r" = 0 ] && [ $(($(date +%s) - round_start)) -gt "$slow" ]; then
      pair_runs=1
    fi
  done

  declare -A wall=() cpu=() s=() mb=()
  for tool in "${tools[@]}"; do
    s[$tool]=-
    mb[$tool]=-
    if grep -q timeout "$work/$tool.runs" 2>/dev/null; then
      s[$tool]="> $limit"
      wall[$tool]=0
      cpu[$tool]=0
    elif [ -s "$work/$tool.runs" ]; then
      wall[$tool]=$(column_median "$tool" 1)
      cpu[$tool]=$(column_median "$tool" 2)
      s[$tool]="$(seconds "${wall[$tool]}") ($(seconds "${cpu[$tool]}"))"
      mb[$tool]=$(awk -v kb="$(column_median "$tool" 3)" 'BEGIN { printf "%.1f", kb / 1024 }')
    fi
  done

  ratio=-
  agree=-
  if [ "$have_rowdump" = 1 ] && [ "${wall[diff]}" = 0 ]; then
    agree="- (diff --minimal cut off)"
  elif [ "$have_rowdump" = 1 ] && [ "${wall[rowdump]}" = 0 ]; then
    agree="**no** (rowdump cut off)"
  elif [ "$have_rowdump" = 1 ]; then
    ratio=$(awk -v a="${wall[rowdump]}" -v b="${wall[diff]}" -v c="${cpu[rowdump]}" \
                -v d="${cpu[diff]}" 'BEGIN { printf "%.2f (%s)", a / b, (d > 0 ? sprintf("%.2f", c / d) : "-") }')
    # From the last timed runs: the slowest pairs take minutes per run.
    want=$(edits_of_diff "$left" "$right" <"$work/diff.out")
    if got=$(edits_of_summary <"$work/rowdump.out"); then
      if [ "$got" = "$want" ]; then agree="yes ($got)"; else agree="**no** ($got vs $want)"; fi
    else
      agree="**no** (no count from rowdump)"
    fi
  fi
  lines="$(wc -l <"$left")/$(wc -l <"$right")"
  [ "$pair_runs" = "$runs" ] || name="$name (1 run)"
  echo "| $name | $lines | ${s[rowdump]} | ${mb[rowdump]} | ${s[diff]} | ${mb[diff]} | ${s[git]} | ${mb[git]} | ${s[plain]} | $ratio | $agree |"
done

if [ "$have_recompare" = 1 ]; then
  echo
  filter=.
  [ "$quick" = 1 ] && filter='/100000/'
  echo '```'
  "$bin/recompare_bench" --benchmark_filter="$filter" --benchmark_min_time=0.5 2>&1
  echo '```'
fi
