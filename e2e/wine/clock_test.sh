#!/usr/bin/env bash
# libfaketime's stopped clock reaches the game through Wine: at each fixed second the first card
# shown is the one the card rules give for that second.
source "$(dirname "$0")/common.sh"

printf 'hard\nfinish\ny\n' >"$work/input"
# 2026-01-01 00:00:00 is second 1767225600, a multiple of 100: the offset from it is the seed.
while read -r time card; do
  windows_game "$work/input" "$work/output" "2026-01-01 $time"
  shown=$(grep -ao 'Number is [^,]*' "$work/output" || true)
  if [[ $shown == "Number is $card" ]]; then
    echo "ok: card $card at $time"
  else
    fail "at $time expected card $card, the game showed '$shown'"
  fi
done <<'SECONDS_AND_CARDS'
00:00:01 10
00:00:02 Q
00:00:03 7
00:00:07 A
00:00:25 2
00:01:39 3
SECONDS_AND_CARDS

end_test
