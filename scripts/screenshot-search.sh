#!/usr/bin/env bash
# Takes a picture of the search window showing page 2 of a small fixture index, on a
# virtual X display (package xvfb), through the window test that drives the real view.
# Usage: scripts/screenshot-search.sh [BUILD_DIR] [PICTURE.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
picture=$(realpath -m "${2:-search-window.png}")
cmake --build "$build" --target search_qt_tests -j2
VEXA_SCREENSHOT="$picture" QT_QPA_PLATFORM=xcb QTWEBENGINE_DISABLE_SANDBOX=1 \
  xvfb-run -a -s "-screen 0 1280x900x24" \
  "$build/bin/search_qt_tests" --gtest_filter='SearchForm.*'
echo "$picture"
