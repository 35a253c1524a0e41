#!/usr/bin/env bash
# Standard input under Wine follows the rules it follows on Linux: the end of input ends the game,
# a word over 99 bytes is one token that matches nothing, carriage returns are dropped and a 0x1A
# byte ends the input. Each input is played by both builds and compared; where given, it is also
# played against a plainer input that must read the same.
source "$(dirname "$0")/common.sh"

hundred_bytes=$(printf 'h%.0s' {1..100})
keyword_then_more=finish$(printf 'x%.0s' {1..200})
full_width_space_inside=$(printf 'はい　いいえ' | iconv -f UTF-8 -t CP932)
past_one_read=$(printf ' %.0s' {1..65534})

# check NAME INPUT [READS_AS]: INPUT and READS_AS are printf %b strings (\n, \r, \x1A).
check() {
  local name=$1
  printf '%b' "$2" >"$work/input"
  windows_game "$work/input" "$work/windows"
  posix_game "$work/input" "$work/posix"
  same "$name: as on Linux" "$work/posix" "$work/windows"
  if (($# == 3)); then
    printf '%b' "$3" >"$work/plain"
    windows_game "$work/plain" "$work/windows.plain"
    same "$name: reads as the input '$3'" "$work/windows.plain" "$work/windows"
  fi
}

check "no input at all" ''
check "input ends during play" 'hard\nh\n'
check "input ends at a question" 'hard\nfinish\n'
check "word over 99 bytes" "hard\n$hundred_bytes\nfinish\ny\n" 'hard\nH\nfinish\ny\n'
check "keyword heading a long word" "$keyword_then_more\nfinish\ny\n" 'X\nfinish\ny\n'
check "CR LF line ends" 'hard\r\nh\r\nfinish\r\ny\r\n' 'hard\nh\nfinish\ny\n'
check "CR inside a word" 'ha\rrd\nfinish\ny\n' 'hard\nfinish\ny\n'
check "Ctrl+Z between lines" 'hard\nh\n\x1Al\nfinish\ny\n' 'hard\nh\n'
check "Ctrl+Z inside a word" 'hard\nfin\x1Aish\ny\n' 'hard\nfin\n'
check "full-width space inside a word" "$full_width_space_inside\nfinish\ny\n" 'X\nfinish\ny\n'
check "word after a 64 KiB read" "${past_one_read}hard\nfinish\ny\n" 'hard\nfinish\ny\n'

end_test
