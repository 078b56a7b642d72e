#!/usr/bin/env bash
# Links planted where the setup program and qpack write or delete lead
# nowhere: a folder that is a link is neither written through nor entered,
# a link at a file's name is replaced, not written through, and a decoy
# folder the links point to comes out unchanged, its read-only file
# included. Under Wine a link to a folder is what Windows calls a junction,
# but a link to a file looks like the file itself: those cases run on Linux.
# qinstall_links.sh SOURCE_DIR SETUP_PROGRAM WINE_RUN|- QPACK_COMMAND...
source_dir=$1 setup_program=$2 wine_run=$3
[ "$wine_run" = - ] && wine_run=
shift 3
source "$(dirname "$0")/lib.sh" "$source_dir" "$@"
export QINSTALL_ROOT=$work/root
setup_name=qinstall exe=
[ -n "$wine_run" ] && setup_name=qinstall.exe exe=.exe
cp "$setup_program" "$setup_name"
run() { if [ -n "$wine_run" ]; then "$wine_run" "$@"; else "$@"; fi; }
target() { if [ -n "$wine_run" ]; then echo "Z:${work//\//\\}\\$1"; else echo "$work/$1"; fi; }
install_into() {  # install_into PROGRAM FOLDER
  run "$1" --silent --accept-license "--dir=$(target "$2")" >err.txt 2>&1
}
uninstall() {  # uninstall FOLDER: under Wine the uninstaller's temporary copy does the work
  run "$1/install.exe" --silent >err.txt 2>&1 || return
  for _ in $(seq 1 300); do [ -e "$1/hoshi.exe" ] || return 0; sleep 0.1; done
}

mkdir -p game/bgm game/script decoy/inner
printf 'exe' >game/hoshi.exe
printf 'theme' >game/bgm/theme.ogg
printf 'scene' >game/script/s.txt
printf 'keep' >decoy/victim.txt
printf 'keep' >decoy/inner/deep.txt
chmod 444 decoy/victim.txt
cat >game.toml <<TOML
title = "Links"
game = "game"
exe = "hoshi.exe"
setup = "$setup_name"
media = "download"
TOML
"${cmd[@]}" release game.toml out >/dev/null 2>err.txt; check "a download to install" 0 $?
"${cmd[@]}" create game.dat game >/dev/null 2>err.txt; check "an archive to extract" 0 $?
sed 's/"download"/"cd700"/' game.toml >discs.toml
"${cmd[@]}" release discs.toml discs >/dev/null 2>err.txt; check "a disc to install" 0 $?
file_link() {  # file_link NAME...: links to the decoy's read-only file (Linux only)
  if [ -z "$wine_run" ]; then for name in "$@"; do ln -s "$work/decoy/victim.txt" "$name"; done; fi
}
sums() { (cd decoy && find . -printf '%y %m %p\n' | sort && find . -type f -exec md5sum {} + | sort); }
sums >before.txt
decoy_unchanged() {  # decoy_unchanged NAME
  sums >after.txt
  cmp -s before.txt after.txt; check "$1: the decoy is unchanged" 0 $?
}

mkdir -p t1 && ln -s ../decoy t1/bgm
install_into "out/setup$exe" t1
[ $? -ne 0 ]; check "a loose file below a linked folder stops the installation" 0 $?
contains "naming the file" err.txt "ファイルが作成できません"
decoy_unchanged "a linked folder"

mkdir -p t2
file_link t2/hoshi.exe t2/hoshi.exe.~qpart t2/install.dat.tmp t2/install.exe
install_into "out/setup$exe" t2; check "links at file names" 0 $?
[ ! -L t2/hoshi.exe ] && [ ! -L t2/hoshi.exe.~qpart ] && [ ! -L t2/install.dat.tmp ] && [ ! -L t2/install.exe ] &&
  [ "$(cat t2/hoshi.exe)" = exe ]
check "are replaced, not written through" 0 $?
decoy_unchanged "links at file names"

ln -s ../decoy t2/sub && ln -s ../decoy t2/kept && file_link t2/own.txt
"${cmd[@]}" settings show t2/install.dat |
  sed 's/"InstalledFiles": \[/"InstalledFiles": ["sub\\\\victim.txt", "own.txt", /' >record.json
"${cmd[@]}" settings write record.json t2/install.dat >/dev/null 2>err.txt; check "a record naming links" 0 $?
uninstall t2; check "the uninstallation" 0 $?
[ ! -e t2/hoshi.exe ] && [ ! -L t2/own.txt ] && [ -L t2/kept ] && [ -L t2/sub ]
check "removes the game and the recorded link alone, and enters no link" 0 $?
decoy_unchanged "the uninstallation"

mkdir -p extracted && ln -s ../decoy extracted/script
"${cmd[@]}" extract game.dat extracted >/dev/null 2>err.txt; check "extracting below a linked folder is refused" 1 $?
decoy_unchanged "extraction"

mkdir -p t3 && ln -s ../decoy t3/bgm
install_into "discs/disc1/install.exe" t3
[ $? -ne 0 ]; check "a plain file below a linked folder stops the installation" 0 $?
contains "naming the file" err.txt "ファイルをコピーできませんでした"
decoy_unchanged "a linked folder on the disc's way"

# A disc whose links loop back to it: the walk over its files ends.
ln -s . discs/disc1/a && ln -s . discs/disc1/b
mkdir -p t4 && file_link t4/hoshi.exe
timeout 120 $wine_run "discs/disc1/install.exe" --silent --accept-license "--dir=$(target t4)" >err.txt 2>&1
check "a disc with looping links" 0 $?
[ ! -L t4/hoshi.exe ] && [ "$(cat t4/hoshi.exe)" = exe ]; check "a plain file replaces a link at its name" 0 $?
decoy_unchanged "everything"

finish qinstall_links
