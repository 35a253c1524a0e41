# shellcheck shell=bash
# Sourced by each Wine test. From ctest's environment: HILO_EXE (the Windows game), HILO_TRANSCRIPTS
# (the hand-written games it must play), HILO_WINE, HILO_WINE_PREFIX_FILE (written by
# wine_prefix.sh) and HILO_FAKETIME_LIBRARY.
set -euo pipefail
export WINEDEBUG=-all
WINEPREFIX=$(<"$HILO_WINE_PREFIX_FILE")
export WINEPREFIX

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A stopped clock on a second ending in 01, whose card is a 10: every draw gives the same card.
readonly stopped_clock='2026-01-01 00:00:01'

# libfaketime's files in /dev/shm, one name a line, sorted.
faketime_files() { find /dev/shm -maxdepth 1 -name '*faketime_s[eh]m_*' -printf '%f\n' | sort; }

# remove_faketime_files_left BEFORE: libfaketime keeps two files in /dev/shm for each process it
# runs in, named after its process id, and removes them as the process ends by itself; Wine ends
# some of its processes otherwise. Removes those that appeared since the list BEFORE and whose
# process has gone.
remove_faketime_files_left() {
  local name
  comm -13 "$1" <(faketime_files) | while read -r name; do
    [[ -d /proc/${name##*_} ]] || rm -f "/dev/shm/$name"
  done
}

# Each game runs with no terminal at all (setsid), so its key wait returns at once, and stops after
# a minute at most should it ever wait for ever. libfaketime is preloaded into Wine directly: the
# faketime program refuses to start when a file left in /dev/shm bears its own process id.
# The exit status means nothing to the game; only a run that had to be stopped fails.
play() {
  local clock=$1 input=$2 output=$3 status=0
  shift 3
  faketime_files >"$work/faketime_files"
  setsid -w timeout 60 env LD_PRELOAD="$HILO_FAKETIME_LIBRARY" FAKETIME="$clock" \
    FAKETIME_DISABLE_SHM=1 "$@" <"$input" >"$output" 2>>"$work/stderr" || status=$?
  remove_faketime_files_left "$work/faketime_files"
  if ((status == 124)); then fail "$* did not end on input $(head -c 80 "$input" | od -An -c)"; fi
}

# windows_game INPUT OUTPUT [CLOCK]: plays hilo.exe under Wine, standard input and output on files.
windows_game() { play "${3:-$stopped_clock}" "$1" "$2" "$HILO_WINE" "$HILO_EXE"; }

# stopped_transcripts: the transcripts whose clock is stopped (a single second), one path a line.
stopped_transcripts() { grep -l -x 'clock: *[0-9]* *' "$HILO_TRANSCRIPTS"/*.transcript; }

# transcript_clock TRANSCRIPT: the stopped clock of the transcript, as libfaketime's time.
# 2026-01-01 00:00:00 is second 1767225600, a multiple of 100: the offset from it is the seed.
transcript_clock() {
  local second
  second=$(sed -n 's/^clock: *\([0-9]*\) *$/\1/p' "$1")
  printf '2026-01-01 00:%02d:%02d' $((10#$second / 60)) $((10#$second % 60))
}

# transcript_input TRANSCRIPT: the lines it types, each with its line feed.
transcript_input() { perl -0777 -ne 'print $1 if /^input:\n(.*?)^output:\n/ms' "$1"; }

# transcript_windows_output TRANSCRIPT: its expected output as Windows writes it, CP932 with CR LF.
transcript_windows_output() {
  perl -0777 -ne 'print $1 if /^output:\n(.*)\n\z/ms' "$1" | iconv -f UTF-8 -t CP932 |
    perl -pe 's/\n/\r\n/g'
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
