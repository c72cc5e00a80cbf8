#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and runs the command-line tool from
# there; checks that the package depends on the runtime libraries the programs load.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
fail=0
for lib in libqt6widgets6 libqt6printsupport6 libzip4 libjpeg62-turbo qt6-qpa-plugins qt6-translations-l10n libmediainfo0v5; do
    case "$depends" in *"$lib"*) ;; *) echo "missing dependency: $lib"; fail=1;; esac
done
dpkg -x "$deb" "$work/root"
[ -e "$work/root/usr/share/applications/org.cinevaro.Cinevaro.desktop" ] || { echo "no menu entry"; fail=1; }
"$work/root/usr/bin/cinevaro-cli" --version || { echo "packaged cinevaro-cli does not run"; fail=1; }
exit $fail
