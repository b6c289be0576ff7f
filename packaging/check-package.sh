#!/usr/bin/env bash
# Checks the Debian package that `make package` built in BUILD_DIR:
#   - lintian finds no errors, and no hardening missing from a program;
#   - it holds exactly what `cmake --install` installs, plus Debian's copyright and changelog;
#   - its Depends name the Qt libraries (worked out from the programs) and the icon theme;
#   - it recommends Qt's Wayland platform and suggests GNOME's tray extension;
#   - its program, unpacked, starts (offscreen, in a namespace with only loopback) and answers
#     --version;
#   - its bobbinlark-tool links no GUI library and, unpacked, draws a preview through its
#     drawing program;
#   - its menu entries for Thunar and for PCManFM-Qt and Caja offer the four design types and
#     start the program, and its bash completion loads and completes the tool's commands.
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
# Hardening tags are only informational, so lintian shows them here and the check fails on them.
if ! lintian --fail-on error --display-level '>=info' "$deb" >"$work/lintian" \
    2> >(grep -v 'root privileges' >&2); then
    fail "lintian reports errors"
fi
grep -E '^[EW]: ' "$work/lintian" || true
if grep -E '^.: .* hardening-' "$work/lintian"; then
    fail "lintian finds programs built without Debian's hardening"
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
    usr/share/nemo/actions/$app.nemo_action usr/share/man/man1/bobbinlark.1.gz \
    usr/share/Thunar/sendto/$app.desktop usr/share/file-manager/actions/$app.desktop \
    usr/share/bash-completion/completions/bobbinlark-tool; do
    grep -qx "$file" "$work/packaged" || fail "the package lacks $file"
done
echo "$(wc -l <"$work/packaged") files"

echo "== bobbinlark --version from the package"
dpkg-deb --extract "$deb" "$work/root"
answer=$(QT_QPA_PLATFORM=offscreen HOME="$work" XDG_RUNTIME_DIR="$work" \
    run_isolated "$work/root/usr/bin/bobbinlark" --version) || fail "bobbinlark --version failed"
echo "$answer"
[ "$answer" = "Bobbinlark $version" ] || fail "bobbinlark --version answered \"$answer\""

echo "== menu entries for Thunar, PCManFM-Qt and Caja"
# A key's value in a group of a key file.
key() { awk -F= -v group="[$2]" -v key="$3" '/^\[/ { in_group = ($0 == group) }
    in_group && $1 == key { sub(/^[^=]*=/, ""); print; exit }' "$1"; }
types() { tr ';' '\n' | grep . | sort; }
designs=$(key "$work/root/usr/share/applications/$app.desktop" "Desktop Entry" MimeType | types)
[ "$(wc -l <<<"$designs")" -eq 4 ] || fail "the desktop entry names $(wc -l <<<"$designs") design types"
thunar=$work/root/usr/share/Thunar/sendto/$app.desktop
desktop-file-validate "$thunar" || fail "Thunar's Send To entry is not a valid desktop entry"
[ "$(key "$thunar" "Desktop Entry" MimeType | types)" = "$designs" ] ||
    fail "Thunar's Send To entry offers other types than the design types"
[ "$(key "$thunar" "Desktop Entry" Exec)" = "bobbinlark %F" ] ||
    fail "Thunar's Send To entry does not start the program with the files"
action=$work/root/usr/share/file-manager/actions/$app.desktop
[ "$(key "$action" "Desktop Entry" Type)" = Action ] || fail "the file-manager action is no Action"
profiles=$(key "$action" "Desktop Entry" Profiles | types)
[ -n "$profiles" ] || fail "the file-manager action has no profile"
for profile in $profiles; do
    group="X-Action-Profile $profile"
    grep -qxF "[$group]" "$action" || fail "the file-manager action lacks its profile $profile"
    [ "$(key "$action" "$group" MimeTypes | types)" = "$designs" ] ||
        fail "the file-manager action's profile $profile offers other types than the design types"
    [ "$(key "$action" "$group" Exec)" = "bobbinlark %F" ] ||
        fail "the file-manager action's profile $profile does not start the program with the files"
done

echo "== bash completion of bobbinlark-tool"
completion=$work/root/usr/share/bash-completion/completions/bobbinlark-tool
if [ -f /usr/share/bash-completion/bash_completion ]; then
    # What Tab offers after "bobbinlark-tool WORDS...", with machines saved by the packaged tool.
    offers() {
        XDG_CONFIG_HOME="$work/completion" bash -c 'source /usr/share/bash-completion/bash_completion &&
            source "$1" && shift && COMP_WORDS=(bobbinlark-tool "$@") COMP_CWORD=$# &&
            COMP_LINE="${COMP_WORDS[*]}" COMP_POINT=${#COMP_LINE} && _bobbinlark_tool &&
            echo "${COMPREPLY[*]}"' _ "$completion" "$@"
    }
    XDG_CONFIG_HOME="$work/completion" HOME="$work" run_isolated "$work/root/usr/bin/bobbinlark-tool" \
        add-machine Studio 192.168.1.20 >/dev/null || fail "bobbinlark-tool add-machine failed"
    echo "bobbinlark-tool u<Tab>: $(offers u); info <Tab>: $(offers info '')"
    [ "$(offers u)" = upload ] || fail "the bash completion does not complete the tool's commands"
    [ "$(offers info '')" = 192.168.1.20 ] ||
        fail "the bash completion does not offer the saved machine's address"
    mkdir "$work/designs" && touch "$work/designs/rose.PES" "$work/designs/notes.txt"
    [ "$(cd "$work/designs" && offers send '')" = rose.PES ] ||
        fail "the bash completion does not offer design files alone to send"
else
    bash -n "$completion" || fail "the bash completion is not valid bash"
    echo "(bash-completion is not installed: only the completion's syntax checked)"
fi

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
