#!/usr/bin/env bash
# The main job end to end: install the dependencies, build, index a folder with the
# indexer's unattended mode, then search the index from the command line.
#
#   scripts/demo.sh [FOLDER [WORDS...]]
#
# FOLDER defaults to /usr/share/doc (the installed packages' documentation); WORDS
# default to "free software license". The profile "demo" is written to the user's profiles folder and
# its index to the user's data folder; a second run updates the same index.
set -euo pipefail
cd "$(dirname "$0")/.."
FOLDER=$(realpath "${1:-/usr/share/doc}")
shift || true
if [ $# -eq 0 ]; then set -- free software license; fi

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

DATA=${XDG_DATA_HOME:-$HOME/.local/share}/VexaDoc
mkdir -p "$DATA/Profiles"
INDEX=$DATA/demo.db
xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' -e "s/'/\&apos;/g"; }
# A profile file as the profile editor writes it: UTF-8 with a byte-order mark, CR LF.
{
  printf '\xEF\xBB\xBF<?xml version="1.0" encoding="UTF-8"?>\r\n'
  printf '<!--Vexa Search Engine index profile-->\r\n'
  printf '<Configuration>\r\n  <Index>\r\n    <tag>demo</tag>\r\n'
  printf '    <title>Demo: %s</title>\r\n' "$(printf '%s' "$FOLDER" | xml_escape)"
  printf '    <ifile>%s</ifile>\r\n' "$(printf '%s' "$INDEX" | xml_escape)"
  printf '    <items>\r\n      <Item0>\r\n'
  printf '        <path>%s</path>\r\n' "$(printf '%s' "$FOLDER" | xml_escape)"
  printf '        <incl>*.md *.html *.htm *.txt *.rtf *.pdf *.odt *.docx</incl>\r\n'
  printf '        <excl/>\r\n        <en>TRUE</en>\r\n      </Item0>\r\n'
  printf '      <Count>1</Count>\r\n    </items>\r\n'
  printf '    <clear_files>1</clear_files>\r\n    <flags/>\r\n  </Index>\r\n</Configuration>\r\n'
} > "$DATA/Profiles/demo.indp"

echo "== Indexing $FOLDER"
# No display for this step: the indexer then runs on the console and prints its log.
env -u DISPLAY -u WAYLAND_DISPLAY build/bin/xvexai -run demo
echo
echo "== Searching for: $*"
build/bin/vexaq -i "$INDEX" "$@"
