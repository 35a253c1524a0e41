#!/usr/bin/env bash
# A whole scripted game writes, under Wine, exactly the bytes of the Linux build converted to CP932
# with CR LF line ends; and a few of those bytes, checked by hand, are the right ones.
source "$(dirname "$0")/common.sh"

# Wrong words at every question, every difficulty, changing and quitting: with the clock stopped
# every answer meets an equal card.
printf '%s\n' Hard finish yes n hard H h l change maybe n change y nomal finish n change y \
  easy h change y beginner l finish Y y >"$work/game"
windows_game "$work/game" "$work/windows"
posix_game "$work/game" "$work/posix"
same "whole game as the Linux build writes it" "$work/posix" "$work/windows"

# The introduction alone, then quitting: its only 0x5C bytes are the second bytes of 予 and 表.
printf 'finish\ny\n' >"$work/quit"
windows_game "$work/quit" "$work/short"
bytes=$(hex "$work/short")
while read -r what sequence; do
  if [[ $bytes == *" $sequence "* ]]; then echo "ok: $what"; else fail "$what: no $sequence"; fi
done <<'HAND_CHECKED'
このゲームは 82 b1 82 cc 83 51 81 5b 83 80 82 cd
予測 97 5c 91 aa
表示 95 5c 8e a6
A　の 41 81 40 82 cc
なります\n\n表示 82 c8 82 e8 82 dc 82 b7 0d 0a 0d 0a 95 5c 8e a6
HAND_CHECKED
backslashes=$(tr -cd '\134' <"$work/short" | wc -c)  # octal 134: the byte 0x5C
if ((backslashes == 2)); then echo "ok: two 0x5C bytes"; else fail "$backslashes bytes 0x5C"; fi
bare_line_feeds=$(perl -0777 -ne 'print scalar(() = /(?<!\r)\n/g)' "$work/short")
if ((bare_line_feeds == 0)); then echo "ok: CR LF"; else fail "$bare_line_feeds bare line feeds"; fi

end_test
