#!/usr/bin/env bash
# The Windows setup program as a player runs it, under Wine: the launcher
# on a disc folder installs a small game unattended, with the Windows
# "install.exe" the disc carries; then that uninstaller in the install
# folder removes the game through its temporary copy. The game's folder,
# one of its files and its registry key have Japanese names, which must come
# out right whatever the locale's code page (QI_WINE_LANG).
# qinstall_wine.sh SOURCE_DIR WINE_RUN QPACK.EXE QINSTALL.EXE
source "$(dirname "$0")/lib.sh" "$1" "$2" "$3"
wine_run=$2
qinstall=$4
winpath() { echo "Z:${1//\//\\}"; }
started=$work/started
touch "$started"

mkdir -p disc src
cat >game.json <<'JSON'
{
  "Title": "ワインのゲーム",
  "DefaultFolder": "\\Games\\WineGame",
  "ExeFile": "game.exe",
  "MediumWord": "CD-ROM",
  "RegistryKey": "QiWine\\ワイン",
  "DiscCount": 1,
  "ProgramSizes": [100], "DataSizes": [100], "SoundSizes": [0], "MovieSizes": [0],
  "ProgramTotal": 100, "DataTotal": 100, "SoundTotal": 0, "MovieTotal": 0,
  "SourceFiles": ["game.exe", "install.exe", "表紙.txt"],
  "HelloText": "ようこそ"
}
JSON
"${cmd[@]}" settings write game.json disc/install.dat >err.txt 2>&1; check "the disc's settings" 0 $?
echo "scene" >src/scene.txt
echo "cover" >disc/表紙.txt
"${cmd[@]}" create disc/game.dat src >/dev/null 2>err.txt; check "the disc's archive" 0 $?
echo "exe" >disc/game.exe
cp "$qinstall" disc/setup.exe
cp "$qinstall" disc/install.exe

pe=$(od -An -tu4 -j60 -N4 "$qinstall" | tr -d ' ')
[ "$(od -An -tu2 -j$((pe + 92)) -N2 "$qinstall" | tr -d ' ')" = 2 ]; check "a GUI program" 0 $?
grep -q 'requestedExecutionLevel level="requireAdministrator"' "$qinstall"; check "its manifest asks for administrator rights" 0 $?

"$wine_run" disc/setup.exe --help >help.txt 2>&1; check "--help" 0 $?
contains "--help names the pictures" help.txt "--save-backdrop"
"$wine_run" disc/setup.exe --silent "--dir=$(winpath "$work/café")" >err.txt 2>&1
check "a folder that code page 932 cannot write" 2 $?
contains "is refused, naming it" err.txt "code page 932 cannot write: "

"$wine_run" disc/setup.exe --silent "--dir=$(winpath "$work/インストール")" --save-launcher=launcher.png >err.txt 2>&1
check "the launcher on the disc installs" 0 $?
for f in game.exe install.exe install.dat game.dat 表紙.txt; do
  [ -f "インストール/$f" ]; check "installed $f" 0 $?
done
contains "the progress is shown in UTF-8" err.txt "インストール先: "
WINEPREFIX=$QI_WINEPREFIX wineserver -w  # the registry is saved when the session ends
# Wine keeps characters beyond ASCII as \xXXXX (UTF-16) in its registry file.
contains "the Japanese key and folder in the registry" "$QI_WINEPREFIX/user.reg" \
  "\"InstallPath\"=\"$(winpath "$work" | sed 's/\\/\\\\/g')\\\\\\x30a4\x30f3\x30b9\x30c8\x30fc\x30eb\\\\\""

cmp -s disc/install.exe インストール/install.exe; check "the uninstaller is the disc's install.exe" 0 $?
[ "$(od -An -tx1 -j16 -N8 launcher.png | tr -d ' \n')" = "000001090000009e" ]
check "the launcher saved as a 265 x 158 PNG" 0 $?

"$wine_run" インストール/install.exe --silent >err.txt 2>&1; check "the uninstaller's first run" 0 $?
contains "starts its temporary copy" err.txt "~qinstall"
for _ in $(seq 1 300); do [ -e インストール ] || break; sleep 0.1; done
[ ! -e インストール ]; check "the copy removed the install folder" 0 $?
written=$(find "$HOME/.local/share/applications/wine" "$HOME/.config/menus" -newer "$started" 2>/dev/null)
[ -z "$written" ]; check "nothing written into the user's own menus" 0 $?
finish qinstall_wine
