# SPDX-License-Identifier: GPL-3.0-or-later
# Shared set-up for the project scripts: installs the Debian packages the
# build and the tests need, then configures and builds in build/.
# Sourced, not run: the caller sets BUILD_TYPE, BUILD_DIR and CMAKE_EXTRA.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

PACKAGES=(
    build-essential cmake pkg-config
    qtbase5-dev libqt5serialport5-dev qttools5-dev qttools5-dev-tools
    libmodbus-dev mbpoll ccache libqt5charts5-dev zlib1g-dev
    libqt5sql5-sqlite # the journal of writes
    libqt5sql5-psql # the team journal, on PostgreSQL
    qttranslations5-l10n # Qt's own Russian texts: standard buttons and dialogs
    libqt5svg5 # the icon, sharp at any scale
    poppler-utils # pdftotext, for the report tests
    xvfb xauth # a 1366 x 768 screen for the window's pictures
)
# The same build with Qt 6 (scripts/test --qt6).
QT6_PACKAGES=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
    libmodbus-dev mbpoll ccache qt6-charts-dev libqt6opengl6-dev zlib1g-dev
    libqt6sql6-sqlite # the journal of writes
    libqt6sql6-psql # the team journal, on PostgreSQL
    qt6-translations-l10n # Qt's own Russian texts: standard buttons and dialogs
    libqt6svg6 # the icon, sharp at any scale
    poppler-utils # pdftotext, for the report tests
    xvfb xauth # a 1366 x 768 screen for the window's pictures
)

# The fuzz targets (scripts/fuzz): clang 14 and its libFuzzer.
FUZZ_PACKAGES=(clang-14 libfuzzer-14-dev)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    # Another installation on the machine holds dpkg's lock for a while: wait for it.
    local wait=(-o DPkg::Lock::Timeout=600)
    as_root apt-get "${wait[@]}" update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get "${wait[@]}" install -y -qq \
        --no-install-recommends "${missing[@]}"
}

# build_project [TARGET...]: everything, or only the targets named.
# Compiled objects are cached (ccache, in its own folder outside the clone) across the build
# trees' rebuilds and across checkouts: a CI run in a fresh clone that changed a few files
# recompiles only those. Paths under the clone are hashed relative to it (CCACHE_BASEDIR), and
# not the build folder itself (CCACHE_NOHASHDIR): with -g ccache otherwise hashes the folder a
# compiler ran in, so another clone would miss every object. The debug information then names
# the folder of the build that filled the cache, which no one debugs from.
build_project() {
    local dir=${BUILD_DIR:-$ROOT/build} targets=() launcher=()
    [ $# -gt 0 ] && targets=(--target "$@")
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ROOT} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
    fi
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Debug}" "${launcher[@]}" \
        ${CMAKE_EXTRA:-} >/dev/null
    cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
}
