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
# its main window (WID).  The search's regular expressions mangle accented
# letters, so the window is found by the title's ASCII head.
start_program() {
  env "$@" "$BIN" &
  PID=$!
  trap 'kill "$PID" 2>/dev/null' EXIT
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

# Opens "Arquivo" with a real click on the menu bar and takes item $1 with
# the keyboard: 1 Abrir, 2 Salvar, 3 Exportar imagem, 4 Exportar campo,
# 5 Sair (separators are not items).
file_menu() {
  xdotool mousemove --window "$WID" 25 10 click 1
  xdotool key --delay 100 $(yes Down | head -n "$1") Return
}

# Arquivo -> Abrir..., then the name $1 typed into the dialog, which must
# close.
open_through_dialog() {
  file_menu 1
  DLG=$(timeout 20 xdotool search --sync --onlyvisible --name "^Abrir arquivo$" | head -n 1)
  [ -n "$DLG" ] || fail "Open dialog did not appear"
  xdotool type --window "$DLG" --delay 40 "$1" 2>/dev/null
  xdotool key Return 2>/dev/null
  wait_window_gone "^Abrir arquivo$"
}

# Sets CANVAS to the canvas's X window, CANVAS_GEOMETRY to its place in the
# main window (WxH+X+Y) and CW, CH, CX, CY to its size and place.  The
# canvas is the main window's only X child window; it may be mapped a
# moment after the main window.
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
  eval "$(echo "$CANVAS_GEOMETRY" | sed -E 's/([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)/CW=\1 CH=\2 CX=\3 CY=\4/')"
  [ "${CW:-0}" -gt 100 ] || fail "canvas $CANVAS_GEOMETRY is too small"
}

# World points of the first view, in canvas pixels: it shows 10 world units
# across the canvas's shorter side, centred on (5, 5).
px() { awk -v v="$1" -v w="$CW" -v h="$CH" 'BEGIN { s = (w < h ? w : h) / 10; printf "%d", w / 2 + (v - 5) * s }'; }
py() { awk -v v="$1" -v w="$CW" -v h="$CH" 'BEGIN { s = (w < h ? w : h) / 10; printf "%d", h / 2 - (v - 5) * s }'; }
at() { xdotool mousemove --window "$CANVAS" "$(px "$1")" "$(py "$2")"; }
click_at() { at "$1" "$2"; xdotool click 1; }

# The drawing tools head the tool column left of the canvas: Seleção, Linha,
# Teclado, Apagar, one 26-pixel button below the other.
SELECAO=0 LINHA=1 TECLADO=2 APAGAR=3
tool_y() { echo $((CY + 17 + 26 * $1)); }
tool() { xdotool mousemove --window "$WID" $((CX / 2 - 3)) "$(tool_y "$1")" click 1; }

# Pixels of exactly the colour $2 in the canvas part of the window picture $1.
canvas_pixels() {
  convert "$1" -crop "${CW}x${CH}+${CX}+${CY}" +repage -fill white +opaque "$2" \
    -fill black -opaque "$2" -format "%[fx:round(w*h*(1-mean))]" info:
}

# Waits until the canvas shows red (a selected wall) at the world point
# ($1, $2), or with $3 = "gone" until it shows none there.
wait_red_at() {
  tries=0
  while :; do
    settled_shot "$OUT/red_at.png"
    n=$(convert "$OUT/red_at.png" -crop "5x5+$((CX + $(px "$1") - 2))+$((CY + $(py "$2") - 2))" \
      +repage -fill white +opaque red -fill black -opaque red -format "%[fx:round(w*h*(1-mean))]" info:)
    if [ "${3:-}" = gone ]; then [ "$n" -eq 0 ] && return 0
    else [ "$n" -gt 5 ] && return 0; fi
    tries=$((tries + 1))
    [ $tries -lt 60 ] || fail "red at ($1, $2) did not ${3:-appear}"
    sleep 0.2
  done
}

# Waits until the canvas shows more than $3 pixels of colour $2; the last
# picture is kept as $1 and its count as PIXELS.  Answers 1 if it never does.
wait_canvas() {
  tries=0
  while :; do
    settled_shot "$1"
    PIXELS=$(canvas_pixels "$1" "$2")
    [ "$PIXELS" -gt "$3" ] && return 0
    tries=$((tries + 1))
    [ $tries -lt 60 ] || return 1
    sleep 0.2
  done
}

# Saves the prompt line above the canvas in the window picture $1 as $2.
prompt_of() { convert "$1" -crop "${CW}x24+${CX}+$((CY - 26))" +repage "$2"; }

# Runs the command given, then waits until the prompt line shows another
# prompt: the mode it starts is then on.
with_new_prompt() {
  settled_shot "$OUT/prompt.png"
  prompt_of "$OUT/prompt.png" "$OUT/prompt_was.png"
  "$@"
  tries=0
  while :; do
    settled_shot "$OUT/prompt.png"
    prompt_of "$OUT/prompt.png" "$OUT/prompt_is.png"
    cmp -s "$OUT/prompt_was.png" "$OUT/prompt_is.png" || return 0
    tries=$((tries + 1))
    [ $tries -lt 60 ] || fail "the prompt did not change after: $*"
    sleep 0.2
  done
}

# Waits for a visible window named $1 (an extended regular expression);
# its id goes to DLG.
dialog_named() {
  DLG=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1)
  [ -n "$DLG" ] || fail "no window '$1' appeared"
}

# Opens "Arquivo" -> "Salvar..." and waits for its dialog (DLG).
open_save_dialog() {
  file_menu 2
  dialog_named "^Salvar arquivo$"
}

# Waits until the file $1 exists and the Save dialog has closed.
wait_saved() {
  i=0
  until [ -f "$1" ] && ! xdotool search --onlyvisible --name "^Salvar arquivo$" >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -lt 100 ] || fail "nothing was saved as $1"
    sleep 0.1
  done
}

# Arquivo -> Salvar... typing the path $1; waits until it is saved.
save_as() {
  rm -f "$1"
  open_save_dialog
  xdotool type --window "$DLG" --delay 40 "$1" 2>/dev/null
  xdotool key Return 2>/dev/null
  wait_saved "$1"
}

# The drawing saved through Arquivo -> Salvar... as $OUT/$1 must hold the
# walls $2 ("x0 y0 x1 y1\n" ..., to one decimal, in any order).
expect_walls() {
  save_as "$OUT/$1"
  got=$(awk 'NR % 2 == 0 { printf "%.1f %.1f %.1f %.1f\n", $2, $3, $4, $5 }' "$OUT/$1" | sort)
  want=$(printf "$2" | sort)
  [ "$got" = "$want" ] || fail "$1 holds
$got
instead of
$want"
  echo "$1: $(echo "$got" | wc -l) walls as expected"
}

# Waits until the canvas differs from the last picture (LAST) and has
# settled, then keeps it as $OUT/view_N_NAME.png and sets BOX to the plan's
# bounding box in canvas pixels: "width height centre-x centre-y" (y
# downwards).
STEP=0
LAST=""
shot() {
  STEP=$((STEP + 1))
  name="$OUT/view_${STEP}_$1.png"
  tries=0
  while :; do
    settled_shot "$OUT/window.png"
    convert "$OUT/window.png" -crop "${CW}x${CH}+${CX}+${CY}" +repage "$name"
    [ -z "$LAST" ] || ! cmp -s "$name" "$LAST" && break
    tries=$((tries + 1))
    [ $tries -lt 25 ] || fail "$1: the canvas did not change"
    sleep 0.2
  done
  LAST=$name
  BOX=$(plan_box "$name")
  echo "$1: plan box $BOX"
}

# The bounding box of the black pixels of the canvas picture $1.
plan_box() {
  convert "$1" -fill white +opaque black -trim \
    -format "%w %h %[fx:page.x+w/2] %[fx:page.y+h/2]" info: 2>/dev/null
}

# box_matches FACTOR DX DY: "yes" when BOX is FACTOR times PREV and its
# centre moved from the canvas's centre by FACTOR times its previous offset
# plus (DX, DY); within 3 pixels (lines have a width; pixels round).
box_matches() {
  echo "$PREV $BOX" | awk -v f="$1" -v dx="$2" -v dy="$3" -v cw="$CW" -v ch="$CH" '
    function off(a, b) { d = a - b; return d < 0 ? -d : d }
    { ok = off($5, $1 * f) <= 3 && off($6, $2 * f) <= 3 &&
           off($7 - cw / 2, ($3 - cw / 2) * f + dx) <= 3 &&
           off($8 - ch / 2, ($4 - ch / 2) * f + dy) <= 3
      print ok ? "yes" : "no" }'
}

# check NAME FACTOR DX DY: the box must match (box_matches); it becomes
# the next PREV.
check() {
  [ "$(box_matches "$2" "$3" "$4")" = yes ] ||
    fail "$1: expected factor $2 and shift ($3, $4) from box $PREV, got $BOX"
  PREV=$BOX
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

# Sets CHECK_Y to the middle of the last row of the window picture $1, the
# analysis settings under the bar, and CHECKBOXES to the x places of its
# check boxes from left to right: "Ao vivo", then the "Malha" choices 60,
# 120, 240 and 400.  Their insides are the only white in that row.
find_checkboxes() {
  CHECK_Y=$(( $(identify -format '%h' "$1") - 12 ))
  CHECKBOXES=$(convert "$1" -crop "2000x1+0+$CHECK_Y" +repage txt:- | awk -F'[,: ]+' '
    /#FFFFFF/ { if ($1 > last + 8) { if (n) printf "%d ", (first + last) / 2; first = $1; n++ } last = $1 }
    END { if (n) printf "%d\n", (first + last) / 2 }')
  [ "$(echo $CHECKBOXES | wc -w)" -eq 5 ] || fail "the analysis settings were not found: $CHECKBOXES"
}

# Clicks check box number $1 (1 "Ao vivo", 2 to 5 the "Malha" choices) found
# by find_checkboxes.
click_checkbox() {
  xdotool mousemove --window "$WID" "$(echo $CHECKBOXES | cut -d' ' -f"$1")" "$CHECK_Y" click 1
}

# Arquivo -> Sair; the question about the unsaved drawing must come up: its
# id goes to QUESTION.
ask_to_exit() {
  file_menu 5
  QUESTION=$(timeout 20 xdotool search --sync --onlyvisible --name "^Desenho alterado$" | head -n 1)
  [ -n "$QUESTION" ] || fail "no question about the unsaved drawing"
}

# Presses answer $1 (0 Salvar, 1 Descartar, 2 Cancelar) of the question: its
# three buttons, 90 pixels wide with 8 between them, are centred 12 pixels
# above the box's bottom edge.
answer() {
  eval "$(xdotool getwindowgeometry --shell "$QUESTION")"
  x=$(( (WIDTH - 286) / 2 + $1 * 98 + 45 ))
  xdotool mousemove --window "$QUESTION" "$x" $((HEIGHT - 26)) click 1
}

# Arquivo -> Sair; the program must end with status 0.
quit_through_menu() {
  file_menu 5
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
