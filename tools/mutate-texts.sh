#!/usr/bin/env bash
# Shows that the hand-written transcripts pin every text and every accepted word of the game: for
# each text constant in game/texts.h, and for each keyword and display name of the difficulty
# table in rules/scoring.h, it adds one byte to that string, rebuilds, and expects the whole ctest
# suite to fail; it prints the time each mutant took, rebuild included, and the slowest. The
# sources are restored however the script ends. Not part of CI: it rebuilds once per string.
#   BUILD_DIR  the configured build to use (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build/default}
files=(game/texts.h rules/scoring.h)
saved=$(mktemp -d)
restore() {
  for file in "${files[@]}"; do cp "$saved/$(basename "$file")" "$file"; done
  rm -rf "$saved"
  cmake -DHILO_CHECK_TEMPLATE=ON "$build" >/dev/null || true
}
for file in "${files[@]}"; do cp -p "$file" "$saved/$(basename "$file")"; done
trap restore EXIT

[[ -f $build/build.ninja || -f $build/Makefile ]] || cmake --preset default >/dev/null
# A changed Japanese text is not yet in the catalogs' template: that check is not the one measured.
cmake -DHILO_CHECK_TEMPLATE=OFF "$build" >/dev/null
cmake --build "$build" >/dev/null

# Adds "#" at the end of the first string literal after "<name> =" in a text constant, marked for
# translation or not.
mutate_text() {
  NAME=$1 perl -0pi -e 's/(string_view \Q$ENV{NAME}\E =\s*(?:Japanese\(\s*)?"(?:[^"\\]|\\.)*)"/$1#"/' game/texts.h
}

# Adds "#" at the end of one string of the difficulty table, given as its row and its column
# (1 the keyword, 2 the display name).
mutate_table() {
  ROW=$1 COLUMN=$2 perl -0pi -e '
    s{(\{Difficulty::k\Q$ENV{ROW}\E,\s*)"([^"]*)",\s*"([^"]*)"}{
      $ENV{COLUMN} == 1 ? qq{$1"$2#", "$3"} : qq{$1"$2", "$3#"}
    }e' rules/scoring.h
}

caught=0
total=0
slowest=0
slowest_label=none
# Rebuilds with the mutated source and reports whether the suite saw the change, and how soon.
try() {
  local label=$1 started=$SECONDS verdict
  total=$((total + 1))
  if cmp -s game/texts.h "$saved/texts.h" && cmp -s rules/scoring.h "$saved/scoring.h"; then
    verdict="NOT MUTATED (the script does not know this string's shape)"
  elif ! cmake --build "$build" >/dev/null 2>&1; then
    verdict="does not build"
  elif ctest --test-dir "$build" --timeout 120 --no-tests=error >/dev/null 2>&1; then
    verdict="NOT caught"
  else
    verdict=caught
    caught=$((caught + 1))
  fi
  local took=$((SECONDS - started))
  echo "$label: $verdict in $took s"
  if ((took > slowest)); then slowest=$took slowest_label=$label; fi
  # Only the changed file goes back, so that the next build redoes no more than it must.
  cmp -s "$saved/texts.h" game/texts.h || cp "$saved/texts.h" game/texts.h
  cmp -s "$saved/scoring.h" rules/scoring.h || cp "$saved/scoring.h" rules/scoring.h
}

mapfile -t names < <(grep -oP 'inline constexpr std::string_view \Kk\w+' game/texts.h)
for name in "${names[@]}"; do
  mutate_text "$name"
  try "$name"
done
for row in Hard Normal Easy Beginner; do
  mutate_table "$row" 1
  try "$row keyword"
  mutate_table "$row" 2
  try "$row display name"
done

# Leave the build matching the restored sources.
restore
trap - EXIT
cmake --build "$build" >/dev/null
echo "$caught of $total caught; the slowest, $slowest_label, in $slowest s"
[[ $caught -eq $total ]]
