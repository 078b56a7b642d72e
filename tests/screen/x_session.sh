# An X server of the test's own, with or without a window manager, and the
# ways the screen test looks at it. Sourced by screen_test.sh.
x_pids=()
start_x_session() {  # start_x_session openbox|none
  local number
  exec 3>display.txt
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  x_pids=($!)
  exec 3>&-
  for _ in $(seq 50); do [ -s display.txt ] && break; sleep 0.1; done
  number=$(head -1 display.txt)
  [ -n "$number" ] || return 1
  export DISPLAY=:$number QI_WINE_DISPLAY=:$number
  if [ "$1" = openbox ]; then
    openbox >/dev/null 2>&1 &
    x_pids+=($!)
    for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  fi
  new_wine_session
}
stop_x_session() {
  new_wine_session
  kill "${x_pids[@]}" 2>/dev/null
  wait "${x_pids[@]}" 2>/dev/null
  pkill -f "^$work/" 2>/dev/null  # programs of this test still running
  x_pids=()
}
# A Wine session belongs to the display it started on.
new_wine_session() {
  [ -n "$wine_run" ] || return 0
  WINEPREFIX=$QI_WINEPREFIX wineserver -k 2>/dev/null
  WINEPREFIX=$QI_WINEPREFIX wineserver -w
}

visible_windows() { xdotool search --onlyvisible --name '.' 2>/dev/null; }
await_window() {  # await_window NAME_REGEX: prints the window's id
  for _ in $(seq 200); do
    local id
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { sleep 0.5; echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# The wizard: a shown window that is neither the launcher nor the backdrop.
await_wizard() {  # await_wizard TITLE
  for _ in $(seq 100); do
    local id name
    for id in $(visible_windows); do
      name=$(xdotool getwindowname "$id" 2>/dev/null)
      case "$name" in "" | "$1" | "$1のセットアップ" | Openbox* | Default\ IME | Wine*) continue ;; esac
      eval "$(xdotool getwindowgeometry --shell "$id")"
      [ "$WIDTH" -ge 497 ] && [ "$WIDTH" -lt 560 ] && { sleep 0.5; echo "$id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
await_page_turn() {  # await_page_turn WINDOW PAGE: until the caption changes or the window goes
  for _ in $(seq 300); do
    [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ] || return 0
    sleep 0.1
  done
}
focus() {  # focuses and raises the window
  xdotool windowraise "$1" 2>/dev/null
  if [ -n "$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | grep -v 'not found')" ]; then
    xdotool windowactivate --sync "$1" 2>/dev/null
  else
    xdotool windowfocus --sync "$1" 2>/dev/null
  fi
  sleep 0.2
}
shoot() { import -window root "$1"; }

# Dark pixels (text) in an area of a picture: dark PICTURE WIDTH HEIGHT X Y
dark() {
  convert "$1" -crop "$2x$3+$4+$5" +repage -colorspace gray -threshold 35% -format '%[fx:round((1-mean)*w*h)]' info:
}
# The page's texts and the abort button's caption, found in the client
# area: the window without the frame a window manager or Wine draws.
check_button_texts() {  # check_button_texts NAME WINDOW PICTURE PAGE_NAME
  local x y width height
  read -r x y width height < <(xwininfo -id "$2" | awk '/Absolute upper-left X/ { x = $NF }
    /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }')
  local border=$(((width - 497) / 2))
  local left=$((x + border)) top=$((y + height - 336 - border))
  local page abort
  page=$(dark "$3" 481 280 $((left + 8)) $((top + 8)))
  abort=$(dark "$3" 63 13 $((left + 416)) $((top + 308)))
  # The copy page changes while it works (a folder window may open over
  # it): there the abort button's caption is enough.
  [ "$4" = copy ] && page=31
  if [ "$page" -gt 30 ] && [ "$abort" -gt 10 ]; then echo "ok: $1 shows its texts"; else
    fail "$1: texts not on the screen (page $page, abort button $abort dark pixels) in $3"; fi
}
# A dialog frame: no minimise or maximise decorations asked for, a fixed
# size, and a window manager that allows neither resizing nor maximising.
check_dialog_frame() {  # check_dialog_frame NAME WINDOW
  local props decorations
  props=$(xprop -id "$2" _MOTIF_WM_HINTS WM_NORMAL_HINTS _NET_WM_ALLOWED_ACTIONS)
  decorations=$(echo "$props" | sed -n 's/^_MOTIF_WM_HINTS.* = \(0x[0-9a-f]*\), \(0x[0-9a-f]*\), \(0x[0-9a-f]*\).*/\3/p')
  if [ -n "$decorations" ] && [ $((decorations & 0x61)) = 0 ] &&
     [ "$(echo "$props" | grep -c 'minimum size')" = 1 ] &&
     [ "$(echo "$props" | sed -n 's/.*minimum size: //p')" = "$(echo "$props" | sed -n 's/.*maximum size: //p')" ] &&
     ! echo "$props" | grep -q '_NET_WM_ACTION_MAXIMIZE\|_NET_WM_ACTION_RESIZE'; then
    echo "ok: $1 is a fixed-size dialog with a close box"
  else
    fail "$1: not a fixed-size dialog:"; echo "$props" | sed 's/^/  /'
  fi
}
