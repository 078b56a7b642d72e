#!/usr/bin/env bash
# The setup program's windows on a real X server, as a player sees them:
# Xvfb at 1024 x 768, once with the openbox window manager and once without
# one. The launcher on a small disc installs the game, driven by keys
# through xdotool; after each page turn the screen is read with
# `import -window root` into OUT_DIR, and the wizard's button row must show
# its texts. With openbox the launcher and the wizard must offer a close box
# only (neither minimise nor maximise) and keep their size.
# screen_test.sh SOURCE_DIR OUT_DIR QPACK QINSTALL [WINE_RUN]
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../cli/lib.sh" "$1"
out=$2
qpack=$3
qinstall=$4
wine_run=${5:-}
for tool in Xvfb xdotool import convert openbox; do
  if ! command -v "$tool" >/dev/null; then echo "SKIP: $tool is not installed"; exit 0; fi
done
rm -rf "$out"
mkdir -p "$out" src
source "$here/x_session.sh"

run() {  # run PROGRAM ARGUMENTS...: natively, or under Wine
  if [ -n "$wine_run" ]; then "$wine_run" "$@"; else "$@"; fi
}
# A disc of its own for each run: the game installs into a new folder
# under a new registry key, whatever earlier runs left in a Wine prefix.
make_disc() {  # make_disc NAME: the disc folder disc-NAME
  local id=$1-$(basename "$work")
  mkdir -p "disc-$1"
  cat >game.json <<JSON
{
  "Title": "画面のゲーム",
  "DefaultFolder": "\\\\Games\\\\Screen-$id",
  "ExeFile": "game.exe",
  "MediumWord": "CD-ROM",
  "RegistryKey": "QiScreen\\\\$id",
  "DiscCount": 1,
  "ProgramSizes": [100], "DataSizes": [100], "SoundSizes": [0], "MovieSizes": [0],
  "ProgramTotal": 100, "DataTotal": 100, "SoundTotal": 0, "MovieTotal": 0,
  "SourceFiles": ["game.exe"],
  "HelloText": "ようこそ"
}
JSON
  run "$qpack" settings write game.json "disc-$1/install.dat" >err.txt 2>&1; check "$1: the disc's settings" 0 $?
  run "$qpack" create "disc-$1/game.dat" src >/dev/null 2>err.txt; check "$1: the disc's archive" 0 $?
  echo exe >"disc-$1/game.exe"
  setup=disc-$1/setup
  [ -n "$wine_run" ] && setup=disc-$1/setup.exe
  cp "$qinstall" "$setup"
  installed=${QI_WINEPREFIX:-$work/root-$1}/drive_c/Games/Screen-$id/game.exe
}
echo scene >src/scene.txt

title=画面のゲーム
page_name() {  # the wizard's name of the page with that caption
  case "$1" in
    ようこそ) echo hello ;; インストールするファイル) echo file ;; インストール先の選択) echo seldir ;;
    インストール準備完了) echo confirm ;; ファイルコピー) echo copy ;; 完了) echo exit ;; *) echo page ;;
  esac
}
for manager in openbox none; do
  start_x_session "$manager" || { fail "$manager: the X server did not start"; continue; }
  export QINSTALL_ROOT=$work/root-$manager
  make_disc "$manager"
  QT_QPA_PLATFORM=xcb run "$setup" >"setup-$manager.txt" 2>&1 &
  launcher=$(await_window "^$title\$") || { fail "$manager: no launcher"; stop_x_session; continue; }
  shoot "$out/$manager-0-launcher.png"
  [ "$manager" = openbox ] && check_dialog_frame "the launcher" "$launcher"
  focus "$launcher"
  xdotool key Return
  # The wizard shows a page at a time; Enter presses its default button.
  pages=0
  while wizard=$(await_wizard "$title"); do
    page=$(xdotool getwindowname "$wizard")
    pages=$((pages + 1))
    picture=$out/$manager-$pages-$(page_name "$page").png
    focus "$wizard"  # raised over a folder window the installation opened
    shoot "$picture"
    check_button_texts "$manager: page $pages ($page)" "$wizard" "$picture" "$(page_name "$page")"
    [ "$manager" = openbox ] && [ $pages = 1 ] && check_dialog_frame "the wizard" "$wizard"
    # The copy page turns by itself; a key there would press its abort
    # button.
    if [ "$page" != ファイルコピー ]; then
      focus "$wizard"
      xdotool key Return
    fi
    await_page_turn "$wizard" "$page"
    [ $pages -ge 10 ] && break
  done
  [ "$page" = 完了 ]; check "$manager: the wizard ended on its exit page after $pages pages" 0 $?
  [ -f "$installed" ]
  check "$manager: the game is installed" 0 $?
  stop_x_session
done
echo "pictures: $out"
finish screen_test
