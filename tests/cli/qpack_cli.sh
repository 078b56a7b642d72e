#!/usr/bin/env bash
# Drives qpack as a user would: qpack_cli.sh SOURCE_DIR QPACK_COMMAND...
set -u
source "$(dirname "$0")/lib.sh"
qpack=("${cmd[@]}")
cp "$root"/tests/cli/*.json . && cp "$root"/samples/demo/install.json sample.json


"${qpack[@]}" --help >help.txt 2>&1; check "--help" 0 $?
contains "--help lists settings show" help.txt "settings show"
"${qpack[@]}" >/dev/null 2>&1; check "no command" 2 $?
"${qpack[@]}" settings show >/dev/null 2>err.txt; check "missing FILE" 2 $?
"${qpack[@]}" settings write --help >help.txt 2>&1; check "settings write --help" 0 $?
contains "write help" help.txt "is108"
for group in settings image; do
  "${qpack[@]}" $group --help >help.txt 2>&1; check "$group --help" 0 $?
  contains "$group --help shows its commands" help.txt "usage: qpack $group "
done

"${qpack[@]}" settings write sample.json install.dat 2>err.txt; check "write sample" 0 $?
"${qpack[@]}" settings show install.dat >shown.json 2>err.txt; check "show" 0 $?
contains "version" shown.json '"FormatVersion": 108'
contains "title in UTF-8" shown.json '"Title": "星屑のメモリア"'
contains "per-disc array" shown.json '"DataSizes": ['
contains "flag" shown.json '"ExtractFiles": false'
contains "default kept" shown.json '"SetupCaption": ""'

# show -> write -> show gives the same object.
"${qpack[@]}" settings write shown.json again.dat 2>err.txt; check "write shown" 0 $?
"${qpack[@]}" settings show again.dat >again.json 2>err.txt; check "show again" 0 $?
if cmp -s install.dat again.dat && cmp -s shown.json again.json; then echo "ok: round trip"; else
  fail "round trip differs"; fi

"${qpack[@]}" settings write unknown.json x.dat 2>err.txt; check "unknown key" 1 $?
contains "unknown key named" err.txt 'unknown.json'
contains "unknown key says which" err.txt 'Titel'
"${qpack[@]}" settings write emoji.json x.dat 2>err.txt; check "text outside code page 932" 1 $?
contains "emoji error" err.txt 'code page 932'
head -c 20 install.dat >short.dat
"${qpack[@]}" settings show short.dat >/dev/null 2>err.txt; check "truncated settings" 1 $?
contains "truncated names the file" err.txt 'short.dat'
"${qpack[@]}" settings show nothing.dat >/dev/null 2>err.txt; check "missing file" 1 $?

finish "qpack cli"
