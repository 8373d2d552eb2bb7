#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package, tries the programs as a user would and removes the package again:
#   tests/package/installtest.sh build-package/korvel-client_1.0.0_amd64.deb
# Run as root (or through sudo) on a machine without korvel-client installed.
set -euo pipefail
DEB=$(realpath "$1")

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
fail() {
    echo "install test: $*" >&2
    exit 1
}

if dpkg-query -W -f='${Status}' korvel-client 2>/dev/null | grep -q 'install ok installed'; then
    fail "korvel-client is installed already; this test would remove it"
fi

WORK=$(mktemp -d)
SIMULATOR=
CLIENT=
cleanup() {
    local pid
    for pid in $CLIENT $SIMULATOR; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    as_root dpkg -r korvel-client >/dev/null 2>&1 || true
    rm -rf "$WORK"
}
trap cleanup EXIT

# Through apt, as a user installs it: the packages it depends on come with it.
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$DEB" \
    >"$WORK/apt.log" 2>&1 || fail "the package did not install: $(cat "$WORK/apt.log")"
# Qt's own Russian texts (standard buttons and dialogs) come with the package.
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
QT_TRANSLATIONS=
for candidate in qttranslations5-l10n:/usr/share/qt5 qt6-translations-l10n:/usr/share/qt6; do
    case ", $DEPENDS," in *", ${candidate%%:*}"[\ ,]*) QT_TRANSLATIONS=$candidate ;; esac
done
[ -n "$QT_TRANSLATIONS" ] || fail "the package does not depend on Qt's translations: $DEPENDS"
dpkg-query -W -f='${Status}' "${QT_TRANSLATIONS%%:*}" 2>/dev/null | grep -q 'install ok installed' \
    || fail "${QT_TRANSLATIONS%%:*} was not installed with the package"
[ -e "${QT_TRANSLATIONS#*:}/translations/qtbase_ru.qm" ] \
    || fail "${QT_TRANSLATIONS%%:*} brought no ${QT_TRANSLATIONS#*:}/translations/qtbase_ru.qm"
echo "install test: ${QT_TRANSLATIONS%%:*} installed with the package"
for file in /usr/bin/korvel-client /usr/bin/korvel-line /usr/bin/korvel-relaysim \
    /usr/share/applications/korvel-client.desktop \
    /usr/share/metainfo/org.korvel.client.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/korvel-client.svg \
    /usr/share/icons/hicolor/48x48/apps/korvel-client.png \
    /usr/share/icons/hicolor/256x256/apps/korvel-client.png \
    /usr/share/man/man1/korvel-client.1.gz /usr/share/man/man1/korvel-relaysim.1.gz \
    /usr/share/man/man1/korvel-line.1.gz \
    /usr/share/doc/korvel-client/copyright; do
    [ -e "$file" ] || fail "the package did not install $file"
done

# The programs run from PATH, outside the build tree.
cd "$WORK"
korvel-relaysim --help >help.txt || fail "korvel-relaysim --help failed"
grep -q -- '--ids' help.txt || fail "korvel-relaysim --help does not list --ids"

korvel-relaysim --ids 1,2 --link "$WORK/ttyRELAYS" >port.txt 2>simulator.log &
SIMULATOR=$!
for _ in $(seq 50); do
    [ -s port.txt ] && break
    sleep 0.1
done
[ -s port.txt ] || fail "the installed simulator did not start: $(cat simulator.log)"

cat >settings.ini <<INI
[connection_settings]
port_name=$WORK/ttyRELAYS
INI
QT_QPA_PLATFORM=offscreen korvel-client >client.log 2>&1 &
CLIENT=$!
sleep 4
kill -0 "$CLIENT" 2>/dev/null || fail "korvel-client ended early: $(cat client.log)"
kill "$CLIENT"
wait "$CLIENT" 2>/dev/null || true
CLIENT=
! grep -q 'qtbase_ru.qm' client.log || fail "the installed client found no Qt translations: $(cat client.log)"

# The command line's program reads the same settings.ini, without a display.
env -u DISPLAY korvel-line --ids 1-2 --json scan >scan.json 2>line.log \
    || fail "korvel-line scan failed: $(cat line.log)"
grep -q '"slaveId": 2' scan.json || fail "korvel-line scan did not list relay 2: $(cat scan.json)"

as_root dpkg -r korvel-client >/dev/null
[ ! -e /usr/bin/korvel-client ] || fail "removing the package left /usr/bin/korvel-client"
echo "install test: the package installed, the programs ran and the package was removed"
