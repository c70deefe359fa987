# Shared by the end-to-end scripts, sourced before the program starts; the
# helpers use PID (the program's process) and WID (its main window) once
# they are set.

# Skips the test (exit status 77) without an X display or without one of
# the tools named.
require_display_and_tools() {
  [ -n "${DISPLAY:-}" ] || { echo "no X display: skipped"; exit 77; }
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool missing: skipped"; exit 77; }
  done
}

# Starts $BIN with the environment assignments given (NAME=value ...),
# sets PID, makes sure the program does not outlive the test, and waits for
# its main window (WID).
start_program() {
  env "$@" "$BIN" &
  PID=$!
  trap 'kill "$PID" 2>/dev/null' EXIT
  find_main_window
}

# Sets WID to the program's main window once it is shown.  The search's
# regular expressions mangle accented letters, so the window is found by
# the title's ASCII head.
find_main_window() {
  WID=$(timeout 20 xdotool search --sync --onlyvisible --name "^BRISEL - Programa" | head -n 1)
  [ -n "$WID" ] || fail "main window did not appear"
}

fail() {
  echo "FAIL: $*" >&2
  kill "$PID" 2>/dev/null
  exit 1
}

# Saves the main window as the PNG $1 once it has stopped changing: two
# equal pictures in a row.
settled_shot() {
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  prev="$1.settling.png"
  rm -f "$prev"
  n=0
  while :; do
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1" 2>/dev/null
    [ -f "$prev" ] && cmp -s "$1" "$prev" && break
    cp "$1" "$prev"
    n=$((n + 1))
    [ $n -lt 100 ] || fail "window kept changing"
    sleep 0.2
  done
  rm -f "$prev"
}

# Pixels of exactly the given colour in a picture.
count_pixels() {
  convert "$1" -fill white +opaque "$2" -fill black -opaque "$2" \
    -format "%[fx:round(w*h*(1-mean))]" info:
}

# Arquivo -> Abrir... with a real click and the keyboard, then the name $1
# typed into the dialog, which must close.
open_through_dialog() {
  xdotool mousemove --window "$WID" 25 10 click 1
  xdotool key --delay 100 Down Return
  DLG=$(timeout 20 xdotool search --sync --onlyvisible --name "^Abrir arquivo$" | head -n 1)
  [ -n "$DLG" ] || fail "Open dialog did not appear"
  xdotool type --window "$DLG" --delay 40 "$1" 2>/dev/null
  xdotool key Return 2>/dev/null
  wait_window_gone "^Abrir arquivo$"
}

# Sets CANVAS to the canvas's X window and CANVAS_GEOMETRY to its place in
# the main window (WxH+X+Y).  The canvas is the main window's only X child
# window; it may be mapped a moment after the main window.
find_canvas() {
  i=0
  while :; do
    set -- $(xwininfo -tree -id "$WID" 2>/dev/null | awk '/^ +0x[0-9a-f]+ / {print $1, $(NF-1); exit}')
    [ $# -eq 2 ] && break
    i=$((i + 1))
    [ $i -lt 100 ] || fail "canvas not found"
    sleep 0.1
  done
  CANVAS=$1
  CANVAS_GEOMETRY=$2
}

# Waits until no visible window has a name matching $1.
wait_window_gone() {
  i=0
  while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -lt 100 ] || fail "window '$1' did not close"
    sleep 0.1
  done
}

# Sets CALC_X and CALC_Y to the place of "Calcular" in the window picture $1.
# It is the lowest button of the tool column; its picture is the only one
# with the light grey 224 224 224 below the dial, so the lowest pixels of
# that colour in the column give the button's place.
find_calcular() {
  set -- $(convert "$1" -crop 60x2000+0+0 +repage \
    -fill black +opaque "rgb(224,224,224)" -trim -format "%w %h %X %Y" info:)
  CALC_X=$(( ${3#+} + $1 / 2 ))
  CALC_Y=$(( ${4#+} + $2 - 8 ))
}

# Arquivo -> Sair with a real click on the menu bar and the keyboard (Abrir,
# Salvar, Sair; the separator is not an item); the program must end with
# status 0.
quit_through_menu() {
  xdotool mousemove --window "$WID" 25 10 click 1
  xdotool key --delay 100 Down Down Down Return
  expect_clean_end
}

# The program must end soon, with status 0.
expect_clean_end() {
  n=0
  while kill -0 "$PID" 2>/dev/null; do
    n=$((n + 1))
    [ $n -lt 100 ] || fail "program still running after Sair"
    sleep 0.1
  done
  wait "$PID"
  status=$?
  [ "$status" -eq 0 ] || { echo "FAIL: exit status $status" >&2; exit 1; }
  echo "exited with status 0"
}
