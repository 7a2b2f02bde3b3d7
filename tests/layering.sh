#!/usr/bin/env bash
# Each folder includes only from itself and from the folders below it; the window (app/) sits on
# top, the tools beside it. A folder that needs something from above gets it through an interface
# it defines itself (RecordingView, PortMenu, ToneOutput, DrawingSurface, ...).
set -euo pipefail
cd "$(dirname "$0")/.."

# folder: the folders it may include from, besides itself
declare -A allowed=(
  [lang]=""
  [core]="lang"
  [serial]=""
  [settings]="lang serial"
  [recording]="lang core"
  [report]="lang core recording"
  [app]="lang core serial settings recording report"
  [tools]="lang core recording report"
)

status=0
for folder in "${!allowed[@]}"; do
  while IFS= read -r line; do
    file=${line%%:*}
    included=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$line")
    [[ "$line" =~ \#include\ \"[^/\"]+/ ]] || continue
    [ "$included" = "$folder" ] && continue
    [[ " ${allowed[$folder]} " == *" $included "* ]] && continue
    echo "$file includes from $included/, which $folder/ may not use: $line"
    status=1
  done < <(grep -rn '#include "' "$folder" --include='*.h' --include='*.cpp' --include='*.in' || true)
done
[ "$status" -eq 0 ] && echo "every folder includes only from itself and the folders below it"
exit "$status"
