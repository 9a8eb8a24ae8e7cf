# Sourced by run.sh and gui_run.sh: the benchmark pairs and their making.
# Pairs live in build/bench-data/ (never committed; about 500 MB with the
# 1M pairs) and are made again when the generator or its arguments change.

bench_data=build/bench-data

# name | generator arguments [| comparison option]. Seeds differ per pair so
# no pair is a prefix of another. The one comparison option is
# --ignore-case (diff -i; git diff has none, so git is not timed there).
bench_pairs=(
  "code-10k-0.1%|--lines 10000 --change 0.1 --seed 101"
  "code-10k-1%|--lines 10000 --change 1 --seed 102"
  "code-10k-10%|--lines 10000 --change 10 --seed 103"
  "code-100k-0.1%|--lines 100000 --change 0.1 --seed 201"
  "code-100k-1%|--lines 100000 --change 1 --seed 202"
  "code-100k-10%|--lines 100000 --change 10 --seed 203"
  "code-1M-0.1%|--lines 1000000 --change 0.1 --seed 301"
  "code-1M-1%|--lines 1000000 --change 1 --seed 302"
  "code-1M-10%|--lines 1000000 --change 10 --seed 303"
  "long-lines-5k-1%|--long-lines --lines 5000 --change 1 --seed 401"
  "crlf-100k-1%|--crlf --lines 100000 --change 1 --seed 402"
  "no-final-lf-100k-1%|--right-no-final-lf --lines 100000 --change 1 --seed 403"
  "unrelated-10k|--unrelated --lines 10000 --seed 404"
  "unrelated-60k|--unrelated --lines 60000 --seed 405"
  "every-other-100k|--shape every-other --lines 100000 --seed 406"
  "reversed-100k|--shape reversed --lines 100000 --seed 407"
  "ten-lines-100k|--shape ten-lines --lines 100000 --seed 408"
  "swap-case-200k|--shape swap-case --lines 200000 --seed 409|--ignore-case"
  "one-line-50KB-unrelated|--shape one-line --unrelated --lines 50000 --seed 410"
  "one-line-200KB-unrelated|--shape one-line --unrelated --lines 200000 --seed 411"
  "one-line-50MB-1%|--shape one-line --lines 50000000 --change 1 --seed 412"
  "code-4M-1%|--lines 4000000 --change 1 --seed 413"
  "code-4M-10%|--lines 4000000 --change 10 --seed 414"
  # Not generated: every .py file of two Python standard libraries with
  # their test suites, concatenated in path order (see python_stdlib_pair).
  "python-stdlib|@python"
)

# Pairs only the window benchmark takes (run.sh would spend minutes on each
# tool): the largest files a 32-bit window is to open.
window_pairs=(
  "code-10M-1%|--lines 10000000 --change 1 --seed 415"
)

# The generator arguments of a pair, by name.
pair_args() {
  local entry
  for entry in "${bench_pairs[@]}" "${window_pairs[@]}"; do
    if [ "${entry%%|*}" = "$1" ]; then
      pair_generator_args "$entry"
      return 0
    fi
  done
  return 1
}

# The generator arguments and the comparison option of an entry.
pair_generator_args() {
  local rest=${1#*|}
  echo "${rest%%|*}"
}
pair_option() {
  local rest=${1#*|}
  case $rest in *'|'*) echo "${rest#*|}" ;; *) echo "" ;; esac
}

# python_stdlib_pair LEFT RIGHT: the nearest two releases of the Python
# standard library that Debian 12 carries, as one file each: the 3.9
# library that pypy3 ships against CPython 3.11, test suites included
# (about 860,000 and 660,000 lines). Needs apt-get download; fails without.
python_stdlib_pair() {
  local tmp deb
  tmp=$(mktemp -d)
  if ! (cd "$tmp" && apt-get download pypy3-lib pypy3-lib-testsuite libpython3.11-stdlib \
          libpython3.11-testsuite >/dev/null 2>&1); then
    rm -rf "$tmp"
    return 1
  fi
  for deb in "$tmp"/*.deb; do dpkg-deb -x "$deb" "$tmp/root"; done
  (cd "$tmp/root/usr/lib/pypy3.9" && find . -name '*.py' -type f | LC_ALL=C sort |
     xargs -d '\n' cat) >"$1"
  (cd "$tmp/root/usr/lib/python3.11" && find . -name '*.py' -type f | LC_ALL=C sort |
     xargs -d '\n' cat) >"$2"
  rm -rf "$tmp"
}

# generate_pair GEN_PAIRS NAME ARGS: makes $bench_data/NAME.left and .right
# unless they exist from the same generator and arguments. Fails when a
# pair that is not generated cannot be had.
generate_pair() {
  local gen=$1 name=$2 args=$3 stamp=$bench_data/$2.args
  mkdir -p "$bench_data"
  if [ "$args" = @python ]; then
    [ -f "$bench_data/$name.left" ] && [ -f "$bench_data/$name.right" ] && return 0
    echo "fetching $name" >&2
    python_stdlib_pair "$bench_data/$name.left" "$bench_data/$name.right" || {
      rm -f "$bench_data/$name.left" "$bench_data/$name.right"
      return 1
    }
    return 0
  fi
  if [ -f "$bench_data/$name.left" ] && [ -f "$bench_data/$name.right" ] && [ -f "$stamp" ] &&
     [ "$(cat "$stamp")" = "$args" ] && [ "$stamp" -nt "$gen" ]; then
    return 0
  fi
  echo "generating $name" >&2
  rm -f "$stamp"
  # shellcheck disable=SC2086  # the arguments are words by design
  "$gen" $args "$bench_data/$name.left" "$bench_data/$name.right"
  echo "$args" >"$stamp"
}
