#!/usr/bin/env bash
# Links planted where the setup program and qpack write or delete lead
# nowhere: a folder that is a link is neither written through nor entered,
# a link at a temporary file's name is replaced, not written through, and a
# decoy folder the links point to comes out unchanged.
# qinstall_links.sh SOURCE_DIR QPACK QINSTALL
source "$(dirname "$0")/lib.sh" "$1" "$2"
qinstall=$3
export QINSTALL_ROOT=$work/root

mkdir -p game/bgm game/script decoy/inner
printf 'exe' >game/hoshi.exe
printf 'theme' >game/bgm/theme.ogg
printf 'scene' >game/script/s.txt
printf 'keep' >decoy/victim.txt
printf 'keep' >decoy/inner/deep.txt
cat >game.toml <<TOML
title = "Links"
game = "game"
exe = "hoshi.exe"
setup = "$qinstall"
media = "download"
TOML
"${cmd[@]}" release game.toml out >/dev/null 2>err.txt; check "a download to install" 0 $?
"${cmd[@]}" create game.dat game >/dev/null 2>err.txt; check "an archive to extract" 0 $?
sums() { (cd decoy && find . -type f -exec md5sum {} + | sort); }
sums >before.txt
decoy_unchanged() {  # decoy_unchanged NAME
  sums >after.txt
  cmp -s before.txt after.txt; check "$1: the decoy is unchanged" 0 $?
}

mkdir -p t1 && ln -s ../decoy t1/bgm
out/setup --silent --accept-license "--dir=$work/t1" >err.txt 2>&1
[ $? -ne 0 ]; check "a loose file below a linked folder stops the installation" 0 $?
contains "naming the file" err.txt "ファイルが作成できません"
decoy_unchanged "a linked folder"

mkdir -p t2 && ln -s ../decoy/victim.txt t2/hoshi.exe.~qpart && ln -s ../decoy/victim.txt t2/install.dat.tmp
out/setup --silent --accept-license "--dir=$work/t2" >err.txt 2>&1; check "links at temporary names" 0 $?
[ ! -L t2/hoshi.exe.~qpart ] && [ ! -L t2/install.dat.tmp ] && [ "$(cat t2/hoshi.exe)" = exe ]
check "are replaced, not written through" 0 $?
decoy_unchanged "links at temporary names"

ln -s ../decoy t2/sub
"${cmd[@]}" settings show t2/install.dat | sed 's/"InstalledFiles": \[/"InstalledFiles": ["sub\\\\victim.txt", /' >record.json
"${cmd[@]}" settings write record.json t2/install.dat >/dev/null 2>err.txt; check "a record naming a file below a link" 0 $?
t2/install.exe --silent >err.txt 2>&1; check "the uninstallation" 0 $?
[ ! -e t2/hoshi.exe ]; check "removes the game" 0 $?
decoy_unchanged "the uninstallation"

mkdir -p extracted && ln -s ../decoy extracted/script
"${cmd[@]}" extract game.dat extracted >/dev/null 2>err.txt; check "extracting below a linked folder is refused" 1 $?
decoy_unchanged "extraction"

# A disc whose links loop back to it: the walk over its files ends.
sed 's/"download"/"cd700"/' game.toml >discs.toml
"${cmd[@]}" release discs.toml discs >/dev/null 2>err.txt; check "a disc to install" 0 $?
ln -s . discs/disc1/a && ln -s . discs/disc1/b
timeout 60 discs/disc1/install.exe --silent --accept-license "--dir=$work/t3" >err.txt 2>&1; check "a disc with looping links" 0 $?
decoy_unchanged "everything"

finish qinstall_links
