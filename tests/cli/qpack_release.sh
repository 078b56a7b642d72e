#!/usr/bin/env bash
# qpack release as a game maker uses it: a generated game of a few hundred
# files released to several small discs and to one download, each installed
# unattended by the setup program (under Wine for the Windows one), must give
# the game folder back file by file; two releases of the same input are the
# same bytes; each refused project names its fault and leaves no output.
# qpack_release.sh SOURCE_DIR SETUP_PROGRAM WINE_RUN|- QPACK_COMMAND...
source_dir=$1 setup_program=$2 wine_run=$3
[ "$wine_run" = - ] && wine_run=
shift 3
source "$(dirname "$0")/lib.sh" "$source_dir" "$@"
export QINSTALL_ROOT=$work/root
setup_name=qinstall; [ -n "$wine_run" ] && setup_name=qinstall.exe
cp "$setup_program" "$setup_name"
target_dir() { if [ -n "$wine_run" ]; then echo "Z:${1//\//\\}"; else echo "$1"; fi; }
run_setup() { if [ -n "$wine_run" ]; then "$wine_run" "$@"; else "$@"; fi; }

mkdir -p game/script game/cg game/voice/第一章 game/bgm game/movie
for i in $(seq 1 200); do seq 1 $((i * 7)) >"game/script/s$i.txt"; done
for i in $(seq 1 12); do head -c 300000 /dev/urandom >"game/cg/c$i.bin"; done
for i in $(seq 1 60); do head -c 20000 /dev/urandom >"game/voice/第一章/v$i.ogg"; done
head -c 700000 /dev/urandom >game/bgm/theme.ogg
head -c 500000 /dev/urandom >game/movie/op.mpg
head -c 4000 /dev/urandom >game/hoshi.exe
head -c 3000 /dev/urandom >game/unused.dll
printf 'Read me\r\n' >game/readme.txt
printf 'ようこそ\n' >hello.txt
# Build pipelines often give every file one time.
same_time() { find game -type f -exec touch -d '2026-01-01 00:00:00' {} +; }
same_time
setup_size=$(stat -c %s "$setup_program")
write_project() {  # write_project FILE MEDIA [EXTRA LINE]
  cat >"$1" <<TOML
title = "星の丘"
game = "game"
exe = "hoshi.exe"
readme = "readme.txt"
default_folder = "\\\\Maker\\\\Hoshi"
registry_key = "QiRelease\\\\Hoshi"
hello = "hello.txt"
title_image = "title.png"
setup = "$setup_name"
media = "$2"
loose = ["script/s1.txt"]
$3
TOML
}
cp "$root/samples/demo/title.png" title.png
python3 - <<'PY2'
import struct, zlib
rows = b''.join(b'\0' + b''.join(bytes((x * 8, y * 8, 128, 255)) for x in range(32)) for y in range(32))
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 32, 32, 8, 6, 0, 0, 0))
png += chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b'')
open('icon.png', 'wb').write(png)
PY2
write_project discs.toml "$(((setup_size + 3 * 1024 * 1024) / 1024))K" 'icon = "icon.png"'
write_project download.toml download

# The installed folder holds the game's plain files and, in game.dat, the
# rest; unpacked, it must equal the game folder.
same_as_game() {  # same_as_game NAME FOLDER
  rm -rf unpacked && "${cmd[@]}" extract "$2/game.dat" unpacked >/dev/null 2>err.txt
  rm -f unpacked/title.vxa
  (cd "$2" && find . -type f ! -name 'game.*' ! -name 'install.*' -exec cp --parents {} ../unpacked/ \;)
  same_tree "$1" game unpacked
}
# What the settings promise equals what the installation wrote.
required_is_written() {  # required_is_written NAME SETTINGS FOLDER
  "${cmd[@]}" settings show "$2" | tr -d '\r' >shown.txt
  local promised written
  promised=$(grep -E '"(Program|Data|Sound|Movie)Total"' shown.txt | tr -dc '0-9\n' | awk '{s += $1} END {print s}')
  written=$(find "$3" -type f ! -name install.dat -printf '%s\n' | awk '{s += $1} END {print s}')
  [ "$promised" = "$written" ]; check "$1 ($promised promised, $written written)" 0 $?
}

"${cmd[@]}" release discs.toml discs --dry-run >plan.txt 2>err.txt; check "a dry run" 0 $?
[ ! -e discs ]; check "a dry run writes nothing" 0 $?
"${cmd[@]}" release discs.toml discs >summary.txt 2>err.txt; check "a release to small discs" 0 $?
discs=$(find discs -mindepth 1 -maxdepth 1 -name 'disc*' | wc -l)
[ "$discs" -ge 3 ]; check "the game needs several discs ($discs)" 0 $?
[ "$(grep -c '^disc' plan.txt)" = "$discs" ]; check "the plan has as many discs" 0 $?
[ -f discs/disc1/autorun.inf ] && [ -f "discs/disc$discs/install.exe" ]; check "autorun.inf and install.exe" 0 $?
contains "the disc's icon from a picture" discs/disc1/autorun.inf "icon=autorun.ico"
too_big=0
for d in discs/disc*; do
  [ "$(du -sb "$d" | cut -f1)" -le $(((setup_size + 3 * 1024 * 1024))) ] || too_big=1
done
check "no disc holds more than the medium" 0 $too_big

# The drive holds one disc at a time; the changer puts in the one asked for.
cp -rp discs/disc1 drive
(
  for n in $(seq 2 "$discs"); do
    for _ in $(seq 1 600); do grep -qF "ディスク${n}を" install.log 2>/dev/null && break; sleep 0.1; done
    rm -rf drive && cp -rp "discs/disc$n" drive
  done
) &
run_setup drive/install.exe --silent --accept-license --all-discs --disc-timeout=60 \
  "--dir=$(target_dir "$work/installed")" --log=install.log >err.txt 2>&1
check "the discs install" 0 $?
wait
same_as_game "the installation from discs is the game" installed
required_is_written "the discs' required size is what they write" discs/disc1/install.dat installed

"${cmd[@]}" release download.toml download >/dev/null 2>err.txt; check "a download release" 0 $?
download=download/setup; [ -n "$wine_run" ] && download=download/setup.exe
run_setup "$download" --silent --accept-license "--dir=$(target_dir "$work/from-download")" >err.txt 2>&1
check "the download installs" 0 $?
same_as_game "the installation from the download is the game" from-download
[ -f from-download/script/s1.txt ]; check "a loose pattern's file is a file of its own" 0 $?
"${cmd[@]}" list "$download" >list.txt 2>err.txt; check "qpack lists what a download carries" 0 $?
contains "the download carries its settings" list.txt "loose install.dat"

# A signed download, with a certificate made here, verifies and installs:
# the setup program finds its archive before the certificate table. (qpack
# signs with the host's osslsigncode, which a Windows qpack under Wine cannot
# run, so the test signs the way qpack does; a Linux setup program cannot be
# signed at all.)
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Test Maker" 2>/dev/null
if [ -n "$wine_run" ] && command -v osslsigncode >/dev/null; then
  mkdir -p signed
  osslsigncode sign -h sha256 -certs cert.pem -key key.pem -in download/setup.exe -out signed/setup.exe >/dev/null 2>err.txt
  check "a signed download" 0 $?
  osslsigncode verify -CAfile cert.pem -in signed/setup.exe >verify.txt 2>&1; check "its signature verifies" 0 $?
  run_setup signed/setup.exe --silent --accept-license "--dir=$(target_dir "$work/from-signed")" >err.txt 2>&1
  check "the signed download installs" 0 $?
  same_as_game "the installation from the signed download is the game" from-signed
elif [ -z "$wine_run" ]; then
  "${cmd[@]}" release download.toml signed --sign-cert cert.pem --sign-key key.pem >/dev/null 2>err.txt
  check "signing a Linux setup program is refused" 1 $?
  contains "saying why" err.txt "the setup program is not a Windows program"
fi

# The next version: changed files with the old time, a new one, a deleted one.
seq 1 999 >game/script/s5.txt
head -c 20000 /dev/urandom >"game/voice/第一章/v7.ogg"
head -c 5000 /dev/urandom >game/hoshi.exe
echo new >game/script/new.txt
rm game/unused.dll
same_time
# Disc images where the Linux tool can make them.
iso=(); [ -z "$wine_run" ] && command -v xorriso >/dev/null && iso=(--iso)
export SOURCE_DATE_EPOCH=1767225600
"${cmd[@]}" release discs.toml v2 --update-from discs "${iso[@]}" >update.txt 2>err.txt; check "an update release" 0 $?
contains "the update counts what changed" update.txt "update: 3 changed"
contains "the update lists what was deleted" update.txt "  unused.dll"
update=v2/update; [ -n "$wine_run" ] && update=v2/update.exe
[ "$(stat -c %s "$update")" -lt $((setup_size + 50000 + 20000 + 5000 + 100)) ]
check "the update carries only what changed" 0 $?
run_setup "$update" --silent "--dir=$(target_dir "$work/installed")" >err.txt 2>&1; check "the update installs" 0 $?
rm installed/unused.dll
same_as_game "the updated installation is the new game" installed

if ((${#iso[@]})); then
  for image in v2/disc*.iso; do xorriso -indev "$image" -find / 2>/dev/null; done >iso.txt
  contains "a disc image keeps the Japanese names" iso.txt "/voice/第一章/v1.ogg"
fi
"${cmd[@]}" release discs.toml again "${iso[@]}" >/dev/null 2>err.txt && diff -r -x 'update*' v2 again >/dev/null
check "the same input gives the same bytes" 0 $?

refused() {  # refused NAME EXPECTED_TEXT PROJECT_EXTRA [MEDIA]
  write_project bad.toml "${4:-download}" "$3"
  "${cmd[@]}" release bad.toml bad-out >/dev/null 2>err.txt; check "$1 is refused" 1 $?
  contains "$1 names its fault" err.txt "$2"
  [ ! -e bad-out ] && [ ! -e bad-out.~qpart ]; check "$1 leaves no output" 0 $?
}
refused "an unknown key" 'bad.toml:12: "colour" is not a known key' 'colour = "red"'
refused "text code page 932 cannot hold" '"footer" holds text that code page 932 cannot hold' 'footer = "😀"'
refused "an archive pattern that matches nothing" "the pattern 'nothing\\*' matches no file" 'archive = ["nothing/*"]'
refused "a medium smaller than a file" "'cg\\c1.bin' (300000 bytes) is larger than one disc holds" '' \
  "$(((setup_size + 1024 * 1024 + 300000) / 1024))K"
refused "a setting the release computes" '"DiscCount" is set by the release itself' $'[settings]\nDiscCount = 3'
mv game/hoshi.exe hoshi.exe
refused "a missing exe" "\"exe\": 'hoshi.exe' is not in the game folder"
mv hoshi.exe game/
echo twin >game/Readme.TXT
refused "names that differ only in case" "differ only in case"
rm game/Readme.TXT
touch game/café.txt
refused "a name code page 932 cannot hold" "'café.txt' has a name code page 932 cannot hold"
rm game/café.txt
printf 'not a picture' >title.png
refused "a title image that does not decode" '"title_image" does not decode'

finish qpack_release
