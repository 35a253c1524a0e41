#!/usr/bin/env bash
# Every stopped-clock transcript, its input on a file, writes under Wine exactly the transcript's
# text in CP932 with CR LF line ends; and a few of those bytes, checked by hand, are the right ones.
source "$(dirname "$0")/common.sh"

played=0
while read -r transcript; do
  transcript_input "$transcript" >"$work/input"
  transcript_windows_output "$transcript" >"$work/expected"
  windows_game "$work/input" "$work/windows" "$(transcript_clock "$transcript")"
  same "$(basename "$transcript")" "$work/expected" "$work/windows"
  played=$((played + 1))
done < <(stopped_transcripts)
if ((played == 0)); then fail "no stopped-clock transcript in $HILO_TRANSCRIPTS"; fi

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
