#!/usr/bin/env bash
# Standard input under Wine, on a file: no input at all ends the game after the introduction, a word
# over 99 bytes is one token that matches nothing, carriage returns are dropped and a 0x1A byte ends
# the input. Each input is played against a plainer input that must read the same.
source "$(dirname "$0")/common.sh"

hundred_bytes=$(printf 'h%.0s' {1..100})
keyword_then_more=finish$(printf 'x%.0s' {1..200})
full_width_space_inside=$(printf 'はい　いいえ' | iconv -f UTF-8 -t CP932)
past_one_read=$(printf ' %.0s' {1..65534})

# check NAME INPUT READS_AS: INPUT and READS_AS are printf %b strings (\n, \r, \x1A).
check() {
  printf '%b' "$2" >"$work/input"
  windows_game "$work/input" "$work/windows"
  printf '%b' "$3" >"$work/plain"
  windows_game "$work/plain" "$work/windows.plain"
  same "$1: reads as the input '$3'" "$work/windows.plain" "$work/windows"
}

# With no input at all the game writes its introduction and first prompt, as every transcript
# begins, and ends.
: >"$work/nothing"
windows_game "$work/nothing" "$work/windows"
first_transcript=$(stopped_transcripts | sed -n 1p)
transcript_windows_output "$first_transcript" | perl -0777 -pe 's/>.*/>/s' >"$work/introduction"
same "no input at all" "$work/introduction" "$work/windows"

check "word over 99 bytes" "hard\n$hundred_bytes\nfinish\ny\n" 'hard\nH\nfinish\ny\n'
check "keyword heading a long word" "$keyword_then_more\nfinish\ny\n" 'X\nfinish\ny\n'
check "CR LF line ends" 'hard\r\nh\r\nfinish\r\ny\r\n' 'hard\nh\nfinish\ny\n'
check "CR inside a word" 'ha\rrd\nfinish\ny\n' 'hard\nfinish\ny\n'
check "Ctrl+Z between lines" 'hard\nh\n\x1Al\nfinish\ny\n' 'hard\nh\n'
check "Ctrl+Z inside a word" 'hard\nfin\x1Aish\ny\n' 'hard\nfin\n'
check "full-width space inside a word" "$full_width_space_inside\nfinish\ny\n" 'X\nfinish\ny\n'
check "word after a 64 KiB read" "${past_one_read}hard\nfinish\ny\n" 'hard\nfinish\ny\n'

end_test
