#!/usr/bin/env bash
# Runs in the test terminal, around one game: on_terminal.sh FOLDER COMMAND... Writes to FOLDER the
# terminal's settings before the game ("before") and once Wine's console has let go of the
# terminal ("after"), then the game's exit status ("status"), last, as the sign that all is done.
set -u
folder=$1
shift
# Ctrl+C at the terminal reaches this shell as well as the game: the shell must outlive it. A trap,
# unlike an ignored signal, is not passed on to the game.
trap : INT
stty -g >"$folder/before"
"$@"
status=$?
# Wine's console may still be giving the terminal back when the game has ended.
terminal=$(tty)
while pgrep -t "${terminal#/dev/}" conhost >/dev/null; do sleep 0.05; done
stty -g >"$folder/after"
echo "$status" >"$folder/status.part"
mv "$folder/status.part" "$folder/status"
