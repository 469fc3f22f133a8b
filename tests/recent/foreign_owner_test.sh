#!/usr/bin/env bash
# Runs the test that needs a file owned by another user: a list owned by root, mode 644, in a
# folder where anyone may make and rename files, changed by the test program run as "nobody"
# (in a Wine prefix of its own). Skipped (77) where this cannot be set up: not root, or no
# setpriv. Usage: foreign_owner_test.sh TEST_EXE WINEARCH
set -eu
exe=$1 arch=$2
if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null; then exit 77; fi
work=$(mktemp -d /tmp/brivane-foreign.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir -m 777 "$work/lists"
mkdir "$work/home" && chown 65534:65534 "$work/home"
list="$work/lists/RECIENTES.x.ini"
printf '[RECIENTES.]\r\nCampo_1=-7\r\nTexto_1=Facturas\r\nCampo_2=-10\r\nTexto_2=Recibos\r\n' >"$list"
chmod 644 "$list"
rc=0
setpriv --reuid=65534 --regid=65534 --clear-groups \
  env HOME="$work/home" WINEPREFIX="$work/home/prefix" WINEARCH="$arch" WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=" PROFILE_FILE_FOREIGN="Z:${list//\//\\}" \
  wine "$exe" --gtest_color=no --gtest_filter='ProfileFileForeign.*' || rc=$?
setpriv --reuid=65534 --regid=65534 --clear-groups env WINEPREFIX="$work/home/prefix" wineserver -k 2>/dev/null || true
[ "$(stat -c %u "$list")" = 0 ] || { echo "the list changed owner"; exit 1; }
exit $rc
