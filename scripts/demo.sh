#!/usr/bin/env bash
# The demo: writes a sample "install.dat" with qpack and shows it back.
set -euo pipefail
build=${1:-build/linux}
qpack=$PWD/$build/qpack
sandbox=$PWD/$build/demo
rm -rf "$sandbox"
mkdir -p "$sandbox/game"
export QINSTALL_ROOT=$sandbox/root

echo "== qpack settings write samples/demo/install.json -> $build/demo/game/install.dat"
"$qpack" settings write samples/demo/install.json "$sandbox/game/install.dat"
echo "== qpack settings show $build/demo/game/install.dat"
"$qpack" settings show "$sandbox/game/install.dat"
