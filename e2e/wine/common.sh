# Sourced by each Wine test. From ctest's environment: HILO_EXE (the Windows game), HILO_POSIX_GAME
# (the Linux game it must match), HILO_WINE and HILO_WINE_PREFIX_FILE (written by wine_prefix.sh).
set -euo pipefail
export WINEDEBUG=-all
WINEPREFIX=$(<"$HILO_WINE_PREFIX_FILE")
export WINEPREFIX

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A stopped clock on a second ending in 01, whose card is a 10: every draw gives the same card.
readonly stopped_clock='2026-01-01 00:00:01'

# Each game runs with no terminal at all (setsid), so its key wait returns at once, and stops after
# a minute at most should it ever wait for ever.
# The exit status means nothing to the game; only a run that had to be stopped fails.
play() {
  local clock=$1 input=$2 output=$3 status=0
  shift 3
  setsid -w timeout 60 faketime -f "$clock" "$@" <"$input" >"$output" 2>>"$work/stderr" ||
    status=$?
  if ((status == 124)); then fail "$* did not end on input $(head -c 80 "$input" | od -An -c)"; fi
}

# windows_game INPUT OUTPUT [CLOCK]: plays hilo.exe under Wine, standard input and output on files.
windows_game() { play "${3:-$stopped_clock}" "$1" "$2" "$HILO_WINE" "$HILO_EXE"; }

# posix_game INPUT OUTPUT [CLOCK]: plays the Linux build the same way, converting its UTF-8 texts
# to the bytes Windows must write: CP932 with CR LF line ends.
posix_game() {
  if [[ ! -x $HILO_POSIX_GAME ]]; then
    echo "missing $HILO_POSIX_GAME: build the default preset first (make test)" >&2
    exit 1
  fi
  LC_ALL=C.UTF-8 play "${3:-$stopped_clock}" "$1" "$work/posix.utf8" "$HILO_POSIX_GAME"
  iconv -f UTF-8 -t CP932 "$work/posix.utf8" | perl -pe 's/\n/\r\n/g' >"$2"
}

# hex FILE: the file's bytes as " 97 5c 91 aa ...", to look for byte sequences in.
hex() { printf ' %s ' "$(od -An -v -tx1 "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')"; }

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# same NAME EXPECTED ACTUAL: the two files hold the same bytes.
same() {
  if cmp -s "$2" "$3"; then
    echo "ok: $1"
  else
    fail "$1: $(cmp "$2" "$3" 2>&1 | head -1)"
    diff <(od -An -c -v "$2") <(od -An -c -v "$3") | head -20 >&2 || true
  fi
}

# Ends the test: fails if any check failed, or if a game wrote to standard error.
end_test() {
  if [[ -s $work/stderr ]]; then
    fail "standard error: $(head -c 500 "$work/stderr")"
  fi
  ((failures == 0))
}
