#!/usr/bin/env bash
# Checks the Debian package that `make package` built in BUILD_DIR:
#   - lintian finds no errors;
#   - it holds exactly what `cmake --install` installs, plus Debian's copyright and changelog;
#   - its Depends name the Qt libraries (worked out from the programs) and the icon theme;
#   - it recommends Qt's Wayland platform and suggests GNOME's tray extension;
#   - its program, unpacked, starts (offscreen, in a namespace with only loopback) and answers
#     --version;
#   - its bobbinlark-tool links no GUI library and, unpacked, draws a preview through its
#     drawing program.
#     packaging/check-package.sh build/release
set -euo pipefail

build=${1:?usage: check-package.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
isolated=${ISOLATED:-$here/../../shared/tools/isolated}
run_isolated() {
    if [ -x "$isolated" ]; then "$isolated" "$@"; else sh "$isolated" "$@"; fi
}

setting() { sed -n "s/^set($1 \"\(.*\)\")\$/\1/p" "$build/CPackConfig.cmake"; }
name=$(setting CPACK_PACKAGE_NAME)
version=$(setting CPACK_PACKAGE_VERSION)
deb="$build/${name}_${version}-$(setting CPACK_DEBIAN_PACKAGE_RELEASE)_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no package at $deb: run make package" >&2; exit 1; }

work=$(mktemp -d -t bobbinlark-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo "== lintian $(basename "$deb")"
# lintian warns when run as root, which CI is; that note is not about the package.
if ! lintian --fail-on error --display-level '>=warning' "$deb" 2> >(grep -v 'root privileges' >&2); then
    fail "lintian reports errors"
fi

echo "== Depends"
depends=$(dpkg-deb --field "$deb" Depends)
echo "$depends"
for needed in adwaita-icon-theme libqt6svg6 libqt6widgets6 libqt6network6 libc6; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed"
done

echo "== Recommends, Suggests"
recommends=$(dpkg-deb --field "$deb" Recommends)
suggests=$(dpkg-deb --field "$deb" Suggests)
echo "$recommends; $suggests"
[[ ", $recommends," == *", qt6-wayland"[\ ,]* ]] || fail "Recommends lacks qt6-wayland"
[[ ", $recommends," == *", qt6-translations-l10n"[\ ,]* ]] ||
    fail "Recommends lacks qt6-translations-l10n"
[[ ", $suggests," == *", gnome-shell-extension-appindicator"[\ ,]* ]] ||
    fail "Suggests lacks gnome-shell-extension-appindicator"

echo "== files"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort >"$work/packaged"
DESTDIR="$work/install" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/install" && find . ! -type d | sed 's|^\./||') >"$work/expected"
printf '%s\n' "usr/share/doc/$name/copyright" "usr/share/doc/$name/changelog.Debian.gz" \
    >>"$work/expected"
sort -o "$work/expected" "$work/expected"
if ! diff -u --label installed --label packaged "$work/expected" "$work/packaged"; then
    fail "the package does not hold what cmake --install installs"
fi
app=com.bobbinlark.Bobbinlark
for file in usr/bin/bobbinlark usr/bin/bobbinlark-tool usr/bin/bobbinlark-thumbnailer \
    usr/libexec/bobbinlark/bobbinlark-tool-draw \
    usr/share/applications/$app.desktop usr/share/mime/packages/$app.xml \
    usr/share/metainfo/$app.metainfo.xml usr/share/icons/hicolor/scalable/apps/$app.svg \
    usr/share/thumbnailers/$app.thumbnailer usr/share/kio/servicemenus/$app.servicemenu.desktop \
    usr/share/nemo/actions/$app.nemo_action usr/share/man/man1/bobbinlark.1.gz; do
    grep -qx "$file" "$work/packaged" || fail "the package lacks $file"
done
echo "$(wc -l <"$work/packaged") files"

echo "== bobbinlark --version from the package"
dpkg-deb --extract "$deb" "$work/root"
answer=$(QT_QPA_PLATFORM=offscreen HOME="$work" XDG_RUNTIME_DIR="$work" \
    run_isolated "$work/root/usr/bin/bobbinlark" --version) || fail "bobbinlark --version failed"
echo "$answer"
[ "$answer" = "Bobbinlark $version" ] || fail "bobbinlark --version answered \"$answer\""

echo "== bobbinlark-tool from the package"
# It starts fast because it loads no GUI library; the commands that draw run in the program it
# hands them to, found from its own place.
needed=$(objdump -p "$work/root/usr/bin/bobbinlark-tool" | awk '$1 == "NEEDED" { print $2 }')
if grep -E 'Qt6(Gui|Widgets|Svg|DBus)|libicu' <<<"$needed"; then
    fail "bobbinlark-tool links a GUI library"
fi
design=$(ls "$here"/../../shared/corpus/*.dst 2>/dev/null | head -n 1 || true)
if [ -n "$design" ]; then
    HOME="$work" XDG_RUNTIME_DIR="$work" run_isolated "$work/root/usr/bin/bobbinlark-tool" \
        preview "$design" --png "$work/tile.png" --size 64 >/dev/null || fail "bobbinlark-tool preview --png failed"
    file "$work/tile.png" | grep -q "PNG image data, 64 x 64" ||
        fail "bobbinlark-tool preview --png wrote no 64 x 64 picture"
else
    echo "(no design in ../shared/corpus: preview --png not tried)"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package checks passed: $deb"
