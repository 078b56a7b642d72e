#!/usr/bin/env bash
# Drives the qpack archive commands as a user would:
# qpack_archive.sh SOURCE_DIR QPACK_COMMAND...
set -u
source "$(dirname "$0")/lib.sh"
qpack=("${cmd[@]}")


# A small tree: text, an incompressible media file, an empty file, a
# double-byte folder name and a file in a sub-folder.
mkdir -p src/script src/ソフト
seq 1 4000 >src/script/main.txt
head -c 70000 /dev/urandom >src/ソフト/bgm.ogg
: >src/empty.txt
echo "read me" >src/readme.txt
touch -d '2024-05-06 07:08:10' src/script/main.txt

"${qpack[@]}" create game.dat src --loose 'README.*' --loose 'script/*' >out.txt 2>err.txt; check "create" 0 $?
contains "create ends with one summary line" out.txt "game.dat: $(find src -type f | wc -l) entries, "
"${qpack[@]}" list src >out.txt 2>err.txt; check "a folder given as an archive" 1 $?
contains "says it is a folder, naming it once" err.txt "qpack: src: is a folder, not an archive file"
"${qpack[@]}" create x.dat src/readme.txt 2>err.txt; check "a file given as a folder" 1 $?
contains "says it is a file" err.txt "qpack: src/readme.txt: is a file, not a folder"
"${qpack[@]}" create game1.dat src --loose 'README.*' --loose 'script/*' --jobs 1 2>err.txt; check "create --jobs 1" 0 $?
cmp -s game.dat game1.dat && echo "ok: one job writes the same archive" || fail "--jobs changes the archive"
"${qpack[@]}" list game.dat >list.txt 2>err.txt; check "list" 0 $?
contains "list names sub-folder entries" list.txt 'script\main.txt'
"${qpack[@]}" list --json game.dat >list.json 2>err.txt; check "list --json" 0 $?
contains "json version" list.json '"version": 102'
contains "json name in UTF-8" list.json '"name": "ソフト\\bgm.ogg"'
contains "json loose flag" list.json '"loose": true'

"${qpack[@]}" extract game.dat out 2>err.txt; check "extract" 0 $?
same_tree "create -> extract reproduces the tree" src out
if [ "$(stat -c %Y out/script/main.txt)" = "$(stat -c %Y src/script/main.txt)" ]; then echo "ok: file time kept"
else fail "file time not kept"; fi
"${qpack[@]}" extract game.dat one 'script\main.txt' 2>err.txt; check "extract one entry" 0 $?
[ -f one/script/main.txt ] && [ ! -e one/readme.txt ] || fail "extract NAME"
"${qpack[@]}" cat game.dat 'script\main.txt' >cat.txt 2>err.txt; check "cat" 0 $?
if cmp -s cat.txt src/script/main.txt; then echo "ok: cat gives the content"
else fail "cat content"; fi
"${qpack[@]}" cat game.dat 'ソフト\bgm.ogg' >cat.txt 2>err.txt; check "cat of a Japanese entry name" 0 $?
cmp -s cat.txt src/ソフト/bgm.ogg && echo "ok: its content" || fail "cat of a Japanese entry name: content"
"${qpack[@]}" cat game.dat missing.txt >/dev/null 2>err.txt; check "cat missing entry" 1 $?
contains "missing entry named" err.txt 'missing.txt'

"${qpack[@]}" verify game.dat 2>err.txt; check "verify intact" 0 $?
cp game.dat bad.dat
size=$(stat -c %s bad.dat)
printf 'X' | dd of=bad.dat bs=1 seek=$((size - 100)) conv=notrunc 2>/dev/null
"${qpack[@]}" verify bad.dat 2>err.txt; check "verify damaged" 1 $?
contains "damaged entry named" err.txt 'bgm.ogg'
"${qpack[@]}" extract bad.dat badout 2>err.txt; check "extract damaged" 1 $?
contains "damaged entry named by extract" err.txt 'bgm.ogg'
[ -z "$(find badout -name '*bgm*')" ] && echo "ok: no damaged file left" || fail "damaged file left"
"${qpack[@]}" cat bad.dat 'ソフト\bgm.ogg' >cat.txt 2>err.txt; check "cat damaged" 1 $?
[ ! -s cat.txt ] && echo "ok: cat writes nothing damaged" || fail "cat wrote damaged bytes"

# Lookup ignores case: names that differ only in case are refused.
mkdir -p twins && echo a >twins/Index.html && echo b >twins/index.html
"${qpack[@]}" create twins.dat twins 2>err.txt; check "names differing in case" 1 $?
contains "both names" err.txt "'Index.html' and 'index.html'"
# A name that code page 932 cannot write is refused, not left out unseen.
mkdir -p accents/ソフト && echo a >accents/ソフト/café.txt
"${qpack[@]}" create accents.dat accents 2>err.txt; check "a name without a code page 932 form" 1 $?
contains "that name" err.txt "'ソフト\café.txt' has a name that cannot be written in code page 932"

# An update with one newer and one new file, merged into the data file.
cp -r src upd
echo "newer" >upd/readme.txt
touch -d '2030-01-01 00:00:00' upd/readme.txt
echo "added" >upd/added.txt
touch -d '2030-01-01 00:00:00' upd/added.txt
touch -d '2000-01-01 00:00:00' upd/script/main.txt upd/empty.txt upd/ソフト/bgm.ogg
touch -d '2024-05-06 07:08:10' src/empty.txt src/ソフト/bgm.ogg src/readme.txt
"${qpack[@]}" create base.dat src 2>err.txt; check "create base" 0 $?
"${qpack[@]}" create update.dat upd --loose 'added.txt' 2>err.txt; check "create update" 0 $?
"${qpack[@]}" merge base.dat update.dat >merge.txt 2>err.txt; check "merge" 0 $?
contains "merge counts the newer entry only (loose entries never merge)" merge.txt 'added 1 entry'
[ -f base.ext ] && echo "ok: side-car written" || fail "no side-car"
"${qpack[@]}" list base.dat >merged.txt 2>err.txt; check "list merged" 0 $?
contains "replaced entry listed" merged.txt '/readme.txt'
"${qpack[@]}" verify base.dat 2>err.txt; check "verify merged" 0 $?
"${qpack[@]}" extract base.dat merged 2>err.txt; check "extract merged" 0 $?
rm upd/added.txt
same_tree "merged archive holds the update" upd merged
"${qpack[@]}" merge fresh.dat update.dat >merge.txt 2>err.txt; check "merge into a new data file" 0 $?
contains "all but the loose entry" merge.txt 'added 4 entries'

# An executable carrying the archive.
printf 'MZ stands for a program image' >setup.exe
"${qpack[@]}" attach setup.exe game.dat 2>err.txt; check "attach" 0 $?
"${qpack[@]}" cat setup.exe readme.txt >cat.txt 2>err.txt; check "cat from executable" 0 $?
contains "entry of the appended archive" cat.txt 'read me'
printf 'MZ bare' >bare.exe
"${qpack[@]}" list bare.exe >/dev/null 2>err.txt; check "executable without archive" 1 $?
contains "names the program" err.txt 'bare.exe'

# A hostile directory (version 99, plain names) whose entry climbs out.
printf 'vf\x63\x00\x00\x00\x01\x00\x00\x00\x0b\x00\x00\x00..\\evil.txt\x21\x00\x00\x00\x23\x00\x00\x00xx' >evil.dat
mkdir -p jail
"${qpack[@]}" extract evil.dat jail 2>err.txt; check "entry leaving the folder" 1 $?
contains "refused name" err.txt 'evil.txt'
[ ! -e evil.txt ] && echo "ok: nothing written outside" || fail "wrote outside"

"${qpack[@]}" list >/dev/null 2>&1; check "list without ARCHIVE" 2 $?
"${qpack[@]}" list nothing.dat >/dev/null 2>err.txt; check "missing archive" 1 $?

finish "qpack archive"
