#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# WebEngine refuses to start as root without this; the tests never load remote content.
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
