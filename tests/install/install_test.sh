#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop finds there: the programs,
# the menu entry, the icons, the AppStream metadata, the MIME type and the man pages.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail=0
need() { [ -e "$prefix/$1" ] || { echo "missing: $1"; fail=1; }; }
need bin/cinevaro
need bin/cinevaro-cli
need share/applications/org.cinevaro.Cinevaro.desktop
need share/metainfo/org.cinevaro.Cinevaro.metainfo.xml
need share/mime/packages/cinevaro.xml
need share/icons/hicolor/scalable/apps/org.cinevaro.Cinevaro.svg
for size in 16 24 32 48 64 128 256; do need share/icons/hicolor/${size}x${size}/apps/org.cinevaro.Cinevaro.png; done
need share/man/man1/cinevaro.1
need share/man/man1/cinevaro-cli.1
desktop-file-validate "$prefix/share/applications/org.cinevaro.Cinevaro.desktop" || fail=1
appstreamcli validate --no-net "$prefix/share/metainfo/org.cinevaro.Cinevaro.metainfo.xml" || fail=1
# The MIME database accepts the type and maps *.cvo and the file signature to it.
update-mime-database "$prefix/share/mime" >/dev/null 2>&1
grep -q 'application/x-cinevaro-catalogue:\*\.cvo' "$prefix/share/mime/globs" || { echo "no *.cvo glob"; fail=1; }
grep -q 'application/x-cinevaro-catalogue' "$prefix/share/mime/types" || { echo "type not registered"; fail=1; }
# The man pages format without warnings.
for page in cinevaro cinevaro-cli; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null) || fail=1
    [ -z "$out" ] || { echo "$page.1: $out"; fail=1; }
done
# The installed command-line tool runs from its new place.
"$prefix/bin/cinevaro-cli" --version >/dev/null || { echo "installed cinevaro-cli does not run"; fail=1; }
exit $fail
