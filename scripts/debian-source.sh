#!/usr/bin/env bash
# Unpacks Debian's source package PACKAGE into DEST, once:
# scripts/debian-source.sh PACKAGE DEST. Needs root the first time, to add
# a deb-src entry for the Debian mirror already configured. DEST/MARKER
# (a file of the unpacked tree, third argument) tells that it is there.
set -euo pipefail
package=$1
dest=$(realpath -m "$2")
marker=$3
[ -f "$dest/$marker" ] && exit 0

if ! apt-cache showsrc "$package" 2>/dev/null | grep -q '^Package:'; then
  mirror=$(sed -n 's/^URIs: *\(http[^ ]*\/debian\)\/\{0,1\} *$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  cat >/etc/apt/sources.list.d/qinstall-src.sources <<SRC
Types: deb-src
URIs: ${mirror:-http://deb.debian.org/debian}
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -qq
fi
download=$(mktemp -d)
(cd "$download" && apt-get source -qq --download-only "$package" >/dev/null 2>&1 &&
  dpkg-source -x --no-check ./*.dsc source >/dev/null)
mkdir -p "$(dirname "$dest")"
rm -rf "$dest"
mv "$download/source" "$dest"
rm -rf "$download"
