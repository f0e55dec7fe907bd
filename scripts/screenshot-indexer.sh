#!/usr/bin/env bash
# Takes pictures of the indexer's windows (profile manager, profile editor, run window,
# about box) on Qt's offscreen platform, so no display is needed, and writes them as PNG
# files for a look by eye.
# Usage: scripts/screenshot-indexer.sh [BUILD_FOLDER] [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/screenshots}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DVEXA_SUBSYSTEMS="config;intake;index;indexer;resources"
fi
cmake --build "$build" --target indexer_screenshots vexa_manual -j2
QT_QPA_PLATFORM=offscreen "$build/bin/indexer_screenshots" "$out"
