#!/usr/bin/env bash
# Builds the text extraction fuzz target with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in its own build folder and runs it for a while.
# Usage: tests/intake/fuzz/run_fuzz.sh [seconds, default 60]
# Needs the Debian package clang. Crashing inputs are left in the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${VEXA_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-60}
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVEXA_SUBSYSTEMS="config;intake" \
  -DVEXA_BUILD_TESTS=OFF -DVEXA_BUILD_BENCH=OFF -DVEXA_BUILD_GUI=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags -fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" -j2 --target vexa_intake vexa_config >/dev/null

# shellcheck disable=SC2046
clang++ -std=c++20 $flags -fsanitize=fuzzer -g -O1 -I"$root" -I"$root/tests/intake" \
  "$root/tests/intake/fuzz/extract_fuzz.cpp" "$root/tests/intake/document_builders.cpp" \
  "$build/intake/libvexa_intake.a" "$build/config/libvexa_config.a" \
  $(pkg-config --libs libxml-2.0 libzip poppler-cpp) -lcrypto -o "$build/extract_fuzz"

# Seeds: one small valid input per mode (the first byte picks the mode).
corpus="$build/corpus"
mkdir -p "$corpus"
seed() { printf '%b' "$2" > "$corpus/seed-$1"; }
seed rtf-parser '\x00\x03{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f1\\fcharset204 A;}}\\f1\\'"'"'cf \\u233?\\uc2\\u8364xx{\\*\\x y}\\bin2 ab\\par}'
seed rtf '\x01\x00\\ansi{\\pict 0a0b}text\\tab more\\line}'
seed html '\x02\x00<html><head><meta charset="windows-1251"><title>T</title><script>x</script></head><body><p>a&amp;b</p></body></html>'
seed txt '\x03\x00\xff\xfeA\x00B\x00'
seed docx '\x04\x00<w:document xmlns:w="w"><w:body><w:p><w:r><w:t>x</w:t><w:tab/></w:r></w:p></w:body></w:document>'
seed xlsx '\x05\x00<row><c t="s"><v>1</v></c><c t="inlineStr"><is><t>i</t></is></c><c><v>2</v></c></row>'
seed odt '\x06\x00<office:text><text:p>a<text:s/>b</text:p></office:text>'
seed pptx '\x07\x00slide'

ASAN_OPTIONS=detect_leaks=1 "$build/extract_fuzz" -max_total_time="$seconds" -max_len=8192 \
  -timeout=20 -rss_limit_mb=2048 -artifact_prefix="$build/" "$corpus"
