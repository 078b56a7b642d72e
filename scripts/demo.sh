#!/usr/bin/env bash
# The demo: builds a sample game's disc with qpack, installs it with the
# setup program's unattended front end as the launcher on the disc would,
# shows what the installation left, and removes it again through the
# installed uninstaller -- all inside a sandbox (QINSTALL_ROOT).
set -euo pipefail
build=${1:-build/linux}
qpack=$PWD/$build/qpack
qinstall=$PWD/$build/qinstall
sandbox=$PWD/$build/demo
rm -rf "$sandbox"
mkdir -p "$sandbox/disc" "$sandbox/content/scene" "$sandbox/content/bgm"
export QINSTALL_ROOT=$sandbox/root
disc=$sandbox/disc
target=$sandbox/installed

echo "== the disc: settings, plain files, the data archive and the setup program"
"$qpack" settings write samples/demo/install.json "$disc/install.dat"
"$qpack" image create samples/demo/title.png "$sandbox/content/title.vxa" --storage jpeg --scramble 20261208
for scene in one two; do
    for _ in $(seq 1 40); do echo "The stars fell on scene $scene."; done >"$sandbox/content/scene/$scene.txt"
done
head -c 20000 /dev/urandom >"$sandbox/content/bgm/theme.ogg"
printf 'How to play.\n' >"$sandbox/content/manual.txt"
"$qpack" create "$disc/game.dat" "$sandbox/content" --loose manual.txt >/dev/null
"$qpack" list "$disc/game.dat" | sed 's/^/   /'
printf 'the game program\n' >"$disc/memoria.exe"
printf 'Read me first.\n' >"$disc/readme.txt"
cp "$qinstall" "$disc/setup"
(cd "$disc" && ls)

echo "== the launcher on the disc chooses \"install\"; the wizard runs unattended"
"$disc/setup" --silent --accept-license --dir="$target" --log="$sandbox/install.log" \
    --save-launcher="$sandbox/launcher.png" --save-backdrop="$sandbox/backdrop.png" 2>/dev/null
tail -n 4 "$sandbox/install.log" | sed 's/^/   /'
for picture in launcher backdrop; do
    [ -s "$sandbox/$picture.png" ] || { echo "   no $picture picture"; exit 1; }
done
echo "   the windows as pictures: $build/demo/launcher.png, $build/demo/backdrop.png"

echo "== the install folder"
(cd "$target" && ls -l | tail -n +2 | awk '{print "   " $1, $5, $9}')
echo "   game.dat, merged from the disc's archive (its loose entry is left out of merges):"
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

echo "== the sample disc in windows: on a desktop, run (add --terminal to answer on the terminal instead)"
echo "   QINSTALL_ROOT=$sandbox/root $sandbox/disc/setup"
