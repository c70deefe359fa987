#!/bin/sh
# Starts the program, checks its window title, saves a picture of the main
# window, then opens "Arquivo" with a real click and chooses "Sair": the
# program must end with status 0.
#   usage: menu_exit.sh path/to/brisel output-folder
set -u
BIN=$1
OUT=$2
TITLE="BRISEL - Programa para Análise de Ventilação em Ambientes Construídos"

[ -n "${DISPLAY:-}" ] || { echo "no X display: skipped"; exit 77; }
for tool in xdotool import convert cmp; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool missing: skipped"; exit 77; }
done
mkdir -p "$OUT"

"$BIN" &
PID=$!
fail() {
  echo "FAIL: $*" >&2
  kill "$PID" 2>/dev/null
  exit 1
}

# The search's regular expressions mangle accented letters, so find the
# window by the title's ASCII head and compare the whole title afterwards.
WID=$(timeout 20 xdotool search --sync --onlyvisible --name "^BRISEL - Programa" | head -n 1)
[ -n "$WID" ] || fail "main window did not appear"
NAME=$(xdotool getwindowname "$WID")
[ "$NAME" = "$TITLE" ] || fail "title is '$NAME'"

# Wait for the window to finish painting: two equal pictures in a row.
eval "$(xdotool getwindowgeometry --shell "$WID")"
SHOT="$OUT/main_window.png"
PREV="$OUT/main_window.prev.png"
i=0
while :; do
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$SHOT" 2>/dev/null
  [ -f "$PREV" ] && cmp -s "$SHOT" "$PREV" && break
  cp "$SHOT" "$PREV"
  i=$((i + 1))
  [ $i -lt 50 ] || fail "window kept changing"
  sleep 0.2
done
rm -f "$PREV"
echo "screenshot: $SHOT"

# Open "Arquivo", the first entry of the menu bar, with a real click, then
# walk down to "Sair" (Abrir, Salvar, Sair; the separator is not an item).
xdotool mousemove --window "$WID" 25 10 click 1
xdotool key --delay 100 Down Down Down Return

i=0
while kill -0 "$PID" 2>/dev/null; do
  i=$((i + 1))
  [ $i -lt 100 ] || fail "program still running after Sair"
  sleep 0.1
done
wait "$PID"
STATUS=$?
[ "$STATUS" -eq 0 ] || { echo "FAIL: exit status $STATUS" >&2; exit 1; }
echo "exited with status 0"
