#!/usr/bin/env bash
# A fresh installation that stops half way leaves nothing of its own behind:
# one that ends in an error takes back what it wrote (exit code 1, and it
# says so); one killed outright is finished by the next run, and the next
# uninstallation removes what both runs wrote; a file killed half written
# is never seen at its name. A file that was in the folder
# before stays in every case.
# qinstall_interrupted.sh SOURCE_DIR SETUP_PROGRAM QPACK_COMMAND...
source_dir=$1 setup_program=$2
shift 2
source "$(dirname "$0")/lib.sh" "$source_dir" "$@"
export QINSTALL_ROOT=$work/root
cp "$setup_program" qinstall

mkdir -p game/bgm game/script game/movie
printf 'exe' >game/hoshi.exe
printf 'theme' >game/bgm/theme.ogg
printf 'scene' >game/script/s.txt
head -c 48M /dev/urandom >game/movie/op.mpg  # long enough to be caught while it is written
cat >game.toml <<TOML
title = "Interrupted"
game = "game"
exe = "hoshi.exe"
setup = "qinstall"
media = "download"
TOML
"${cmd[@]}" release game.toml out >/dev/null 2>err.txt; check "a download to install" 0 $?
install_into() {  # install_into FOLDER
  out/setup --silent --accept-license "--dir=$work/$1" >err.txt 2>&1
}
only_mine() {  # only_mine NAME FOLDER: the folder holds the file that was there before, alone
  [ "$(cd "$2" && find . | sort | tr '\n' ' ')" = ". ./mine.txt " ] && [ "$(cat "$2/mine.txt")" = mine ]
  check "$1" 0 $?
}

mkdir -p failed decoy && printf 'mine' >failed/mine.txt && ln -s ../decoy failed/movie
install_into failed; check "an installation that meets an error ends with exit code 1" 1 $?
contains "and says what it took back" err.txt "このインストールでコピーしたファイルを削除しました"
rm failed/movie
only_mine "what the failed run wrote is gone" failed

mkdir -p killed && printf 'mine' >killed/mine.txt
out/setup --silent --accept-license "--dir=$work/killed" >err.txt 2>&1 &
setup=$!
# The file is written within a second, without a name until it is whole:
# the run is caught while it holds the file open in the movie folder. Once
# the folder is there it runs only in short slices between two looks, so a
# busy machine cannot let it finish unseen.
for ((i = 0; i < 2000000; i++)); do [ -d killed/movie ] && break; done
kill -STOP $setup
for ((i = 0; i < 20000; i++)); do
  [[ $(ls -l /proc/$setup/fd 2>/dev/null) == *killed/movie/* ]] && break
  kill -CONT $setup
  kill -STOP $setup
done
kill -9 $setup
wait $setup 2>/dev/null
[ "$i" -lt 20000 ]; check "the run is killed while it writes" 0 $?
[ -z "$(ls -A killed/movie)" ]; check "leaving nothing of the file" 0 $?
install_into killed; check "the next run finishes" 0 $?
cmp -s game/movie/op.mpg killed/movie/op.mpg; check "with the whole file" 0 $?
killed/install.exe --silent >err.txt 2>&1; check "the uninstallation" 0 $?
only_mine "removes what both runs wrote" killed

finish qinstall_interrupted
