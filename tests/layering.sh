#!/usr/bin/env bash
# Each folder includes only from itself and from the folders below it; the window (app/) sits on
# top, the tools beside it. A folder that needs something from above gets it through an interface
# it defines itself (RecordingView, PortMenu, ToneOutput, DrawingSurface, ...). The rooms of report/
# and app/ are folders in their own right: a room includes only from itself, the rooms below it and
# the folders below its own.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder or room: the folders and rooms it may include from, besides itself
declare -A allowed=(
  [lang]=""
  [core]="lang"
  [serial]=""
  [settings]="lang serial"
  [recording]="lang core"
  [report/files]=""
  [report/night]="lang core recording"
  [report/analysis]="lang report/night"
  [report/words]="lang report/files report/night report/analysis"
  [report/library]="recording report/files report/night report/analysis"
  [report/render]="lang core report/files report/night report/analysis report/words"
  [report/formats]="lang recording report/files report/night report/analysis report/words report/library report/render"
  [app/platform]="lang core serial settings recording"
  [app/widgets]="lang core report/night report/analysis report/words report/render"
  [app/nights]="lang report/files report/night report/analysis report/words report/library report/render report/formats app/platform app/widgets"
  [app]="lang core serial settings recording report/files report/night report/analysis report/words report/library report/render report/formats app/platform app/widgets app/nights"
  [tools]="lang core recording report/files report/night report/analysis report/words report/library report/render report/formats"
)

# The folder or room an include names: report/<room>/x.h → report/<room>, app/<room>/x.h →
# app/<room>, app/x.h → app, core/x.h → core.
room_of() {
  local path=$1
  case "$path" in
    report/*/* | app/*/*) echo "${path%/*}" | cut -d/ -f1-2 ;;
    *) echo "${path%%/*}" ;;
  esac
}

status=0
for folder in "${!allowed[@]}"; do
  # A folder's own files, not those of its rooms (they are checked as rooms).
  depth=(-maxdepth 1)
  [[ "$folder" == tools ]] && depth=()
  while IFS= read -r line; do
    file=${line%%:*}
    [[ "$line" =~ \#include\ \"([^\"]+/[^\"]+)\" ]] || continue
    included=$(room_of "${BASH_REMATCH[1]}")
    [ "$included" = "$folder" ] && continue
    [[ " ${allowed[$folder]} " == *" $included "* ]] && continue
    echo "$file includes from $included/, which $folder/ may not use: $line"
    status=1
  done < <(find "$folder" "${depth[@]}" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) \
             -exec grep -Hn '#include "' {} + || true)
done
# Every source of report/ and app/ lies in a folder the map names.
while IFS= read -r file; do
  room=$(room_of "$file")
  if [ -z "${allowed[$room]+x}" ]; then
    echo "$file lies in $room/, which the map of folders does not name"
    status=1
  fi
done < <(find report app -type f \( -name '*.h' -o -name '*.cpp' \))
[ "$status" -eq 0 ] && echo "every folder and room includes only from itself and those below it"
exit "$status"
