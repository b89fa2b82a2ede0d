#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need.
# Does nothing when they are all present.
#
#   scripts/install-deps.sh         what the build and the program need
#   scripts/install-deps.sh --test  also what only the tests need: Krita
#                                   (large) and its Python bindings, for the
#                                   Krita plug-in's tests
set -euo pipefail

packages=(
    cmake ninja-build ccache g++ pkg-config
    qtbase5-dev qtdeclarative5-dev qtdeclarative5-dev-tools libqt5svg5-dev libqt5sql5-sqlite
    qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-controls
    qml-module-qtquick-dialogs qml-module-qtquick-layouts qml-module-qt-labs-settings
    qml-module-qtqml-models2 qml-module-qttest
    libopencv-dev libboost-dev liblcms2-dev libexiv2-dev libpng-dev libjpeg-dev libxcb1-dev libxcb-shm0-dev libgtest-dev
    g++-multilib clang libclang-rt-14-dev libgimp2.0-dev gimp
    xvfb xauth xdotool libgl1-mesa-dri fonts-dejavu-core
)

case "${1:-}" in
    --test) packages+=(krita python3-pyqt5) ;;
    "") ;;
    *) echo "usage: scripts/install-deps.sh [--test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
