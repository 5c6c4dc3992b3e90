#!/usr/bin/env bash
# Makes the Debian package of a build folder into a temporary folder and
# checks it without installing it: control fields, the file list of the
# installed tree, the desktop entry, the maintainer scripts, and that the
# unpacked tree runs (the store tool through its /usr/bin link).
#   check_package.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$work"/vekorra_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { ls "$work"; echo "FAIL: no single vekorra_*.deb"; exit 1; }
deb=${debs[0]}
[ "$(basename "$deb")" = "vekorra_${version}_$(dpkg --print-architecture).deb" ] || fail "file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vekorra ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
for needed in xdg-utils libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libsqlite3-0 libc6; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
for recommended in fonts-wine qt6-translations-l10n; do
  grep -q "$recommended" <<<"$(field Recommends)" || fail "Recommends lacks $recommended"
done

dpkg-deb -c "$deb" | awk '{ print $6 ($7 ? " " $7 " " $8 : "") }' | sed 's|/$||' >"$work/files"
expect() { grep -qxF "$1" "$work/files" || fail "missing $1"; }
for path in ./usr/lib/vekorra/vekorra ./usr/lib/vekorra/vekorra-settings ./usr/lib/vekorra/vekorra-journal \
            ./usr/lib/vekorra/vekorra-sms \
            ./usr/lib/vekorra/tools/phonesim \
            ./usr/lib/vekorra/{1,2,3,4}/kestrum ./usr/share/applications/vekorra.desktop \
            ./usr/lib/vekorra/translations/vekorra_{en,ru}.qm \
            ./usr/share/icons/hicolor/scalable/apps/vekorra.svg \
            ./usr/share/doc/vekorra/examples/61-vekorra-modemmanager.rules \
            "./usr/bin/vekorra -> ../lib/vekorra/vekorra" \
            "./usr/bin/vekorra-settings -> ../lib/vekorra/vekorra-settings" \
            "./usr/bin/vekorra-journal -> ../lib/vekorra/vekorra-journal" \
            "./usr/bin/vekorra-sms -> ../lib/vekorra/vekorra-sms"; do
  expect "$path"
done
for family in ok no off kf kf_oj kf_dob dtmf; do
  for suffix in "" _f _kl _na; do
    expect "./usr/lib/vekorra/icons/$family$suffix.jpg"
  done
done
[ "$(grep -c '^\./usr/lib/vekorra/icons/.*\.jpg$' "$work/files")" -eq 28 ] || fail "not 28 skin pictures"
outside=$(grep -v '^\./usr\(/\|$\)' "$work/files" | grep -vx '\.')
[ -z "$outside" ] || fail "files outside /usr: $outside"
strays=$(grep -E 'test|bench|fuzz' "$work/files")
[ -z "$strays" ] || fail "test programs packaged: $strays"

dpkg-deb -x "$deb" "$work/root"
desktop=$work/root/usr/share/applications/vekorra.desktop
grep -qx 'Exec=vekorra %u' "$desktop" || fail "desktop entry Exec"
grep -qx 'Icon=vekorra' "$desktop" || fail "desktop entry Icon"
grep -Eq '^MimeType=(.*;)?x-scheme-handler/tel;' "$desktop" || fail "desktop entry does not handle tel:"
for entry in Name GenericName Comment; do
  grep -Eq "^$entry=[ -~]+$" "$desktop" || fail "desktop entry $entry not in English"
  grep -q "^$entry\[ru\]=" "$desktop" || fail "desktop entry lacks $entry[ru]"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
for slot in 2 3 4; do
  cmp -s "$work/root/usr/lib/vekorra/1/kestrum" "$work/root/usr/lib/vekorra/$slot/kestrum" \
    || fail "controller of slot $slot differs from slot 1"
done

dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || { fail "no executable $script"; continue; }
  sh -n "$work/control/$script" || fail "$script does not parse"
  grep -q update-desktop-database "$work/control/$script" || fail "$script does not refresh the desktop database"
done

store=$work/settings.sqlite
VEKORRA_SETTINGS=$store "$work/root/usr/bin/vekorra-settings" set Kestrum 1 port 7 || fail "packaged store tool"
[ "$(VEKORRA_SETTINGS=$store "$work/root/usr/bin/vekorra-settings" get Kestrum 1 port)" = 7 ] \
  || fail "packaged store tool reads back"

journal=$work/journal.sqlite
VEKORRA_JOURNAL=$journal "$work/root/usr/bin/vekorra-journal" clear --before 2000-01-01 || fail "packaged journal tool"
[ -z "$(VEKORRA_JOURNAL=$journal "$work/root/usr/bin/vekorra-journal" list)" ] || fail "packaged journal tool lists"

[ $failures -eq 0 ] && echo "package $(basename "$deb") checked"
exit $((failures > 0))
