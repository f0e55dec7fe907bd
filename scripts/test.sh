#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# WebEngine refuses to start as root without this; the tests never load remote content.
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen
# Index files are created with a commit per schema statement; on a memory file system
# that costs nothing, on a disk every commit waits for the disk.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=$(mktemp -d /dev/shm/vexa-tests.XXXXXX)
  trap 'rm -rf "$TMPDIR"' EXIT
fi
ctest --test-dir build --output-on-failure -j"$(nproc)"
