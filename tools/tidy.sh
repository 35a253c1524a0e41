#!/usr/bin/env bash
# Runs clang-tidy, with the checked-in .clang-tidy, over every source of the game, its tests and its
# fuzz targets, through the compile databases of the default and fuzz builds. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
# The fuzz targets only exist in the fuzz build; configuring it is enough to list their flags.
cmake --preset fuzz >/dev/null

jobs=$(nproc)
run-clang-tidy -j "$jobs" -quiet -p build/default '/(rules|console|game|app)/[^/]+\.cpp$'
run-clang-tidy -j "$jobs" -quiet -p build/fuzz '/(rules|console|game|app)/[^/]+_fuzz\.cpp$'
echo "clang-tidy: clean"
