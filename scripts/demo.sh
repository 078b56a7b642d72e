#!/usr/bin/env bash
# The demo: releases a sample game's folder to two discs with `qpack
# release` (and disc images where xorriso is there), installs the game with
# the setup program's unattended front end as the launcher on the first disc
# would (the second disc goes into the drive when the run asks for it), shows
# what the installation left, and removes it again through the installed
# uninstaller -- all inside a sandbox (QINSTALL_ROOT).
set -euo pipefail
build=${1:-build/linux}
qpack=$PWD/$build/qpack
qinstall=$PWD/$build/qinstall
sandbox=$PWD/$build/demo
rm -rf "$sandbox"
export QINSTALL_ROOT=$sandbox/root
drive=$sandbox/drive
target=$sandbox/installed
game=$sandbox/project/game
mkdir -p "$game"/{scene,cg,bgm}

size() { stat -c %s "$1"; }

echo "== the game maker's folder and project file (samples/demo/release.toml)"
cp samples/demo/{release.toml,title.png,hello.txt,license.txt} "$sandbox/project/"
for scene in one two three; do
  for line in $(seq 1 2000); do echo "The stars fell on scene $scene, line $line."; done >"$game/scene/$scene.txt"
done
printf 'How to play.\n' >"$game/manual.txt"
head -c 4000000 /dev/urandom >"$game/cg/ending.bin"
head -c 2000000 /dev/urandom >"$game/bgm/theme.ogg"
head -c 600000 /dev/urandom >"$game/memoria.exe"
printf 'Read me first.\n' >"$game/readme.txt"
(cd "$sandbox/project" && find game -type f | sort | sed 's/^/   /')

# Two discs: each holds the setup program and about half the game.
media=$(( ($(size "$qinstall") + 7 * 1024 * 1024) / 1024 ))K
iso=(); command -v xorriso >/dev/null && iso=(--iso)
echo "== qpack release release.toml discs --media $media ${iso[*]}"
"$qpack" release "$sandbox/project/release.toml" "$sandbox/discs" --media "$media" "${iso[@]}" | sed 's/^/   /'
for disc in 1 2; do ln -s "discs/disc$disc" "$sandbox/disc$disc"; done
for disc in 1 2; do
  echo "   disc $disc:"
  (cd "$sandbox/disc$disc/" && find . -type f | sort | sed 's|^\./|     |')
done

# The drive: a folder whose contents are those of the disc inserted.
cat >"$sandbox/insert-disc" <<SH
#!/bin/sh
# insert-disc N: puts disc N (1 or 2) into the demo's drive.
[ "\$1" = 1 ] || [ "\$1" = 2 ] || { echo "usage: insert-disc 1|2" >&2; exit 2; }
rm -rf "$drive" && cp -rpL "$sandbox/disc\$1" "$drive" && echo "disc \$1 is in the drive"
SH
chmod +x "$sandbox/insert-disc"
"$sandbox/insert-disc" 1 >/dev/null

echo "== the launcher on disc 1 chooses \"install\"; the wizard runs unattended and asks for disc 2"
(
  for _ in $(seq 1 300); do
    grep -qF 'ディスク2' "$sandbox/install.log" 2>/dev/null && { "$sandbox/insert-disc" 2 >/dev/null; break; }
    sleep 0.1
  done
) &
changer=$!
"$drive/install.exe" --silent --accept-license --all-discs --disc-timeout=30 --dir="$target" \
    --log="$sandbox/install.log" 2>/dev/null
wait "$changer"
grep -F -e 'ディスク' -e '[' "$sandbox/install.log" | sed 's/^/   /'
tail -n 1 "$sandbox/install.log" | sed 's/^/   /'

echo "== the install folder"
(cd "$target" && find . -type f | sort | while read -r f; do echo "   $(size "$f") ${f#./}"; done)
echo "   game.dat, merged from both discs' archives:"
"$qpack" list "$target/game.dat" | sed 's/^/   /'
echo "== the registry store"
grep -F 'InstallPath' "$QINSTALL_ROOT/registry.txt" | sed 's/^/   /'
echo "== the uninstall shortcut starts the installed Linux program directly"
find "$QINSTALL_ROOT" -name '*.desktop' -path '*アンインストール*' -exec grep -h '^Exec=' {} + | sed 's/^/   /'

echo "== the player starts install.exe in the install folder; its temporary copy takes over and removes the game"
"$target/install.exe" --silent --log="$sandbox/uninstall.log" 2>/dev/null
grep -F -e '[' "$sandbox/uninstall.log" | sed 's/^/   /'
if [ -e "$target" ]; then echo "   the install folder is still there"; exit 1; fi
echo "   the install folder is gone; shortcuts left: $(find "$QINSTALL_ROOT" -name '*.desktop' | wc -l)"
grep -qF 'InstallPath' "$QINSTALL_ROOT/registry.txt" && { echo "   InstallPath still recorded"; exit 1; }
echo "   InstallPath removed from the registry store"

"$sandbox/insert-disc" 1 >/dev/null
# The windows front end saves a window as it shows it; the run is ended
# once the picture is there.
window_picture() {  # window_picture OPTION PICTURE [ARGUMENT]
  rm -f "$2"
  setsid xvfb-run -a -s "-screen 0 1024x768x24" "$drive/install.exe" "--$1=$2" ${3:+"$3"} >/dev/null 2>&1 &
  local run=$! size=0
  for _ in $(seq 1 200); do
    [ -s "$2" ] && [ "$(size "$2")" = "$size" ] && break
    [ -s "$2" ] && size=$(size "$2")
    sleep 0.1
  done
  kill -- "-$run" 2>/dev/null || true
  wait "$run" 2>/dev/null || true
  [ -s "$2" ] || { echo "   no picture $2"; exit 1; }
}
if command -v xvfb-run >/dev/null; then
  echo "== the launcher and the wizard's backdrop as windows on a virtual screen"
  window_picture save-launcher "$sandbox/launcher.png"
  window_picture save-backdrop "$sandbox/backdrop.png" "$drive/"
  echo "   $build/demo/launcher.png, $build/demo/backdrop.png"
fi

echo "== try it yourself, disc 1 is in the drive again: on a desktop in windows (add --terminal to answer on the terminal)"
echo "   QINSTALL_ROOT=$QINSTALL_ROOT $drive/install.exe"
echo "   (when the wizard asks for disc 2, run $sandbox/insert-disc 2, then answer OK)"
