# Sourced by run.sh and gui_run.sh: the benchmark pairs and their making.
# Pairs live in build/bench-data/ (never committed; about 500 MB with the
# 1M pairs) and are made again when the generator or its arguments change.

bench_data=build/bench-data

# name | generator arguments. Seeds differ per pair so no pair is a prefix
# of another.
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
)

# The generator arguments of a pair, by name.
pair_args() {
  local entry
  for entry in "${bench_pairs[@]}"; do
    if [ "${entry%%|*}" = "$1" ]; then
      echo "${entry#*|}"
      return 0
    fi
  done
  return 1
}

# generate_pair GEN_PAIRS NAME ARGS: makes $bench_data/NAME.left and .right
# unless they exist from the same generator and arguments.
generate_pair() {
  local gen=$1 name=$2 args=$3 stamp=$bench_data/$2.args
  mkdir -p "$bench_data"
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
