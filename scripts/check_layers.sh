#!/usr/bin/env bash
# Checks the #include lines of the program's folders: each folder includes
# only its own layer and those below it (text/, then the platform seam in ui/, then
# ledger/, then lists/, then entry/, reports/ and import/, then app/), nothing but the entry point
# includes the main window, and no module includes one that includes it back
# (a module is a .h and its .cpp). The main list's state and the main
# window's handles belong to app/: nothing below it includes the one or
# names the other, and ui/ keeps no window of the program's own. Prints
# each fault and fails on any.
set -euo pipefail
cd "$(dirname "$0")/.."

# The folders each folder may include from.
declare -A allowed=(
  [text]="text"
  [ui]="ui text"
  [ledger]="ledger text ui"
  [lists]="lists ledger text ui"
  [entry]="entry lists ledger text ui"
  [reports]="reports lists ledger text ui"
  [import]="import lists ledger text ui"
  [app]="app import entry reports lists ledger text ui"
)

# "file included" for every quoted include of the program's own sources.
includes=$(grep -H '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' \
             {ui,text,ledger,lists,entry,reports,import,app}/*.{h,cpp} 2>/dev/null |
           sed -E 's/^([^:]+):[^"]*"([^"]+)".*/\1 \2/')

faults=0
fault() { echo "check_layers: $*" >&2; faults=$((faults + 1)); }

while read -r file included; do
  [ -n "$file" ] || continue
  from=${file%%/*} to=${included%%/*}
  [[ " ${allowed[$from]} " == *" $to "* ]] || fault "$file includes $included (${from}/ may include only: ${allowed[$from]})"
  if [ "$included" = app/main_window.h ] && [ "$file" != app/main_window.cpp ] && [ "$file" != app/winmain.cpp ]; then
    fault "$file includes $included (only the entry point may)"
  fi
done <<< "$includes"

# The list's state and the main window's handles, below app/.
while read -r file included; do
  [ -n "$file" ] || continue
  case "$file" in app/*) continue ;; esac
  case "$included" in
    app/list_state.h) fault "$file includes $included (the main list's state is app/'s own; pass its values down)" ;;
    app/main_state.h) fault "$file includes $included (the main window's handles are app/'s own)" ;;
  esac
done <<< "$includes"
# Names of the main window's globals only: a member or a parameter of the
# same name (a dialog's own selected row) is its own business.
handles='(?<![.>A-Za-z0-9_])(mainWindow|mainState|statusBar|currentPage|currentList|listState|currentTab|focusTransaction|rowMap|displayOrder)\b'
while IFS= read -r hit; do
  [ -n "$hit" ] && fault "${hit%%:*} names the main window's state below app/: ${hit#*:}"
done < <(grep -HnP "$handles" {ui,text,ledger,lists,entry,reports,import}/*.{h,cpp} 2>/dev/null | grep -vE ':[0-9]+:[[:space:]]*//' | cut -d: -f1,3-)
# A window handle kept at file scope in ui/ would be a window of the program's own.
while IFS= read -r hit; do
  [ -n "$hit" ] && fault "${hit%%:*} keeps a window of its own in ui/: ${hit#*:}"
done < <(grep -HnE '^(extern[[:space:]]+|static[[:space:]]+)?HWND[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*(=[^=]|;)' ui/*.{h,cpp} 2>/dev/null | cut -d: -f1,3-)

# Module to module, each edge once; tsort reports any cycle.
edges=$(echo "$includes" | sed -E 's/\.(h|cpp) / /; s/\.h$//' | awk 'NF == 2 && $1 != $2' | sort -u)
pairs=$(comm -12 <(echo "$edges") <(echo "$edges" | awk '{print $2, $1}' | sort) | awk '$1 < $2')
[ -z "$pairs" ] || while read -r a b; do fault "$a and $b include each other"; done <<< "$pairs"
if ! loops=$(echo "$edges" | tsort 2>&1 >/dev/null) || [ -n "$loops" ]; then
  fault "modules that include each other around a loop, for one:"$'\n'"$(echo "$loops" | awk '/loop/ && n++ { exit } { print }')"
fi

[ "$faults" -eq 0 ] || { echo "check_layers: $faults fault(s)" >&2; exit 1; }
echo "check_layers: ok"
