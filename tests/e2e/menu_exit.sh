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
. "$(dirname "$0")/common.sh"

# The search's regular expressions mangle accented letters, so find the
# window by the title's ASCII head and compare the whole title afterwards.
WID=$(timeout 20 xdotool search --sync --onlyvisible --name "^BRISEL - Programa" | head -n 1)
[ -n "$WID" ] || fail "main window did not appear"
NAME=$(xdotool getwindowname "$WID")
[ "$NAME" = "$TITLE" ] || fail "title is '$NAME'"

SHOT="$OUT/main_window.png"
settled_shot "$SHOT"
echo "screenshot: $SHOT"

quit_through_menu
