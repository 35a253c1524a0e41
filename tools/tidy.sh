#!/usr/bin/env bash
# Runs clang-tidy, with the checked-in .clang-tidy, over every source of the game, its tests, its fuzz
# targets and the benchmark's C tools, through the compile databases of the default, fuzz and bench
# builds, and over the Windows sources through the mingw-w64 build's when that compiler is
# installed. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
# The fuzz targets only exist in the fuzz build; configuring it is enough to list their flags.
cmake --preset fuzz >/dev/null

jobs=$(nproc)
run-clang-tidy -j "$jobs" -quiet -p build/default '/(rules|console|game|app|testing)/([^/]+/)?[^/]+\.cpp$'
run-clang-tidy -j "$jobs" -quiet -p build/fuzz '/(rules|console|game|app)/([^/]+/)?[^/]+_fuzz\.cpp$'
# The benchmark's C tools are only built by the bench preset.
cmake --preset bench >/dev/null
run-clang-tidy -j "$jobs" -quiet -p build/bench '/bench/[^/]+\.c$'

# The Windows port only compiles for Windows. clang reads the mingw-w64 commands for that target;
# it takes the C++ library and Windows headers from mingw-w64 but keeps its own compiler headers,
# since gcc's intrinsics headers are not clang's.
mingw=x86_64-w64-mingw32-g++
if command -v "$mingw" >/dev/null; then
  cmake --preset windows >/dev/null
  windows_headers=()
  while read -r directory; do
    case $directory in
      */include | */include-fixed) [[ $directory == *mingw32/include ]] || continue ;;
    esac
    windows_headers+=(-extra-arg=-isystem"$directory")
  done < <(echo | "$mingw" -std=c++20 -E -x c++ - -v 2>&1 |
    sed -n '/#include <...> search starts here:/,/End of search list./{//!s/^ //p}')
  # gcc turns the texts into code page 932 as it compiles; clang only knows UTF-8, which is what the
  # sources hold, so that option is left out of the commands clang-tidy reads.
  windows_database=$(mktemp -d)
  trap 'rm -rf "$windows_database"' EXIT
  sed 's/ -fexec-charset=[^ "]*//g' build/windows/compile_commands.json \
    >"$windows_database/compile_commands.json"
  run-clang-tidy -j "$jobs" -quiet -p "$windows_database" "${windows_headers[@]}" \
    '/(rules|console|game|app)/([^/]+/)?[^/]+\.cpp$'
else
  echo "clang-tidy: $mingw not installed, the Windows sources are left out"
fi
echo "clang-tidy: clean"
