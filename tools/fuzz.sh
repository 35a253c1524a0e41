#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a bounded time, starting from its checked-in
# seeds. Any crash, sanitizer report, leak, timeout or broken invariant fails the run.
#   FUZZ_SECONDS  time given to each target (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# Each target sits beside its code, with its seeds in <target>_seeds/ and maybe words in <target>.dict.
targets=(console/token_reader_fuzz game/game_flow_fuzz)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  binary=build/fuzz/$target
  seeds=${target}_seeds
  name=$(basename "$target")
  options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1)
  [[ -f $target.dict ]] && options+=(-dict="$target.dict")
  # New inputs go to a scratch corpus, never into the checked-in seeds; findings are kept for a look.
  mkdir -p "$work/$name" build/fuzz/findings
  echo "== $name: ${seconds}s"
  "$binary" "${options[@]}" -artifact_prefix=build/fuzz/findings/"$name"- "$work/$name" "$seeds" \
    2>"$work/$name.log" || {
    tail -n 60 "$work/$name.log"
    echo "$name: FINDING (input saved under build/fuzz/findings/)"
    exit 1
  }
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$work/$name.log" || true
done
