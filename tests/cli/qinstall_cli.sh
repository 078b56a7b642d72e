#!/usr/bin/env bash
# Installs and uninstalls a small game with qinstall --silent in a sandbox of
# its own, as a player would: qinstall_cli.sh SOURCE_DIR QPACK QINSTALL
set -u
root=$1
qpack=$2
qinstall=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QINSTALL_ROOT=$work/root
# No desktop: without --silent the program answers on the terminal.
unset DISPLAY WAYLAND_DISPLAY
cd "$work" || exit 1

failures=0
check() {  # check NAME EXPECTED_STATUS ACTUAL_STATUS
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: exit status $3, expected $2"
    failures=$((failures + 1))
  else
    echo "ok: $1"
  fi
}
contains() {  # contains NAME FILE TEXT
  if grep -qF -- "$3" "$2"; then echo "ok: $1"; else
    echo "FAIL: $1: '$3' not in:"; sed 's/^/  /' "$2"; failures=$((failures + 1)); fi
}
lacks() {  # lacks NAME FILE TEXT
  if grep -qF -- "$3" "$2"; then
    echo "FAIL: $1: '$3' in:"; sed 's/^/  /' "$2"; failures=$((failures + 1)); else echo "ok: $1"; fi
}

"$qinstall" --help >help.txt 2>&1; check "--help" 0 $?
contains "--help lists the exit codes" help.txt "Exit codes: 0 done, 1 error"
"$qinstall" </dev/null >out.txt 2>&1; check "no settings beside the program" 1 $?
contains "says so" out.txt "インストール設定ファイルがありません"
DISPLAY=:0 "$qinstall" --terminal </dev/null >out.txt 2>&1; check "--terminal on a desktop" 1 $?
contains "answers on the terminal" out.txt "インストール設定ファイルがありません"
"$qinstall" --silent --components=voice >/dev/null 2>&1; check "unknown component" 2 $?
"$qinstall" --silent --screen=big >/dev/null 2>&1; check "a screen size that is none" 2 $?
"$qinstall" --silent --bogus >out.txt 2>&1; check "an unknown option" 2 $?
contains "names the option" out.txt "unknown option --bogus"
"$qinstall" --silent --dir=relative >out.txt 2>&1; check "a relative --dir" 2 $?
contains "says what --dir needs" out.txt "--dir needs a whole path"

mkdir -p disc src
cat >game.json <<'JSON'
{
  "Title": "コマンド行のゲーム",
  "DefaultFolder": "\\Games\\CliGame",
  "ReadmeFile": "readme.txt",
  "ExeFile": "game.exe",
  "MediumWord": "CD-ROM",
  "RegistryKey": "QiCli\\Game",
  "DiscCount": 1,
  "ProgramSizes": [100], "DataSizes": [100], "SoundSizes": [0], "MovieSizes": [0],
  "ProgramTotal": 100, "DataTotal": 100, "SoundTotal": 0, "MovieTotal": 0,
  "SourceFiles": ["game.exe", "readme.txt"],
  "HelloText": "ようこそ",
  "LicenseText": "同意してください"
}
JSON
"$qpack" settings write game.json disc/install.dat || exit 1
echo "scene" >src/scene.txt
for i in $(seq 100 399); do echo "line $i" >"src/voice$i.txt"; done
"$qpack" create disc/game.dat src >/dev/null || exit 1
echo "exe" >disc/game.exe
echo "read me" >disc/readme.txt
cp "$qinstall" disc/setup

disc/setup --silent "$work/disc/" >out.txt 2>&1; check "licence not accepted" 4 $?
contains "says what is missing" out.txt "--accept-license"
[ ! -e inst ]; check "nothing installed without consent" 0 $?

disc/setup --silent --accept-license "--dir=$work/inst" "--log=$work/install.log" "$work/disc/" \
  --save-backdrop=backdrop.png --screen=640x480 >out.txt 2>&1
check "install" 0 $?
# The builder counts its entries in tens; a step is one line per tenth of
# the work, not a line per count.
[ "$(grep -c 'データファイルを構築中' out.txt)" -le 12 ]; check "progress lines stay few" 0 $?
# The PNG signature, then IHDR with the backdrop's size for that screen.
[ "$(od -An -tx1 -N24 backdrop.png | tr -d ' \n')" = "89504e470d0a1a0a0000000d494844520000025800000190" ]
check "the backdrop saved as a 600 x 400 PNG" 0 $?
contains "log ends with the exit code" install.log "exit 0"
for f in game.exe readme.txt install.dat game.dat install.exe; do
  [ -f "inst/$f" ]; check "installed $f" 0 $?
done
cmp -s disc/setup inst/install.exe; check "the uninstaller is this program" 0 $?
contains "install path recorded" root/registry.txt '"InstallPath"="Z:\\'
entry=$(find root -name '*のアンインストール.desktop' | head -1)
[ -n "$entry" ]; check "uninstall shortcut" 0 $?
[ -n "$entry" ] && contains "uninstall shortcut starts the program" "$entry" "Exec=\"$work/inst/install.exe\""

# The player starts the uninstaller in the install folder; its temporary
# copy takes the program's place and removes the game before it returns.
inst/install.exe --silent "--log=$work/uninstall.log" >out.txt 2>&1; check "uninstall through the temporary copy" 0 $?
[ ! -e inst ]; check "install folder removed" 0 $?
contains "the copy uninstalled" uninstall.log "アンインストール"
lacks "install path removed" root/registry.txt '"InstallPath"'
[ -z "$(find root -name '*.desktop')" ]; check "shortcuts removed" 0 $?

# Answers piped to the launcher reach the temporary copy it hands over to:
# install, then welcome, licence, components, folder and confirmation.
printf 'i\nn\n1\nn\nn\nd %s\nn\nn\n' "$work/piped" | disc/setup >out.txt 2>&1
check "an installation answered through a pipe" 0 $?
[ -f piped/install.dat ]; check "the piped answers reached the copy" 0 $?
piped/install.exe --silent >/dev/null 2>&1; check "and it is removed again" 0 $?

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all qinstall checks passed"
