#!/bin/sh
# Starts the program, checks its window title, saves a picture of the main
# window, then opens "Arquivo" with a real click and chooses "Sair": the
# program must end with status 0.
#   usage: menu_exit.sh path/to/brisel output-folder
set -u
BIN=$1
OUT=$2
TITLE="BRISEL - Programa para Análise de Ventilação em Ambientes Construídos"

. "$(dirname "$0")/common.sh"
require_display_and_tools xdotool import convert cmp
mkdir -p "$OUT"

start_program
NAME=$(xdotool getwindowname "$WID")
[ "$NAME" = "$TITLE" ] || fail "title is '$NAME'"

SHOT="$OUT/main_window.png"
settled_shot "$SHOT"
echo "screenshot: $SHOT"

quit_through_menu
