#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# only those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-serialport-dev libsqlite3-dev libgl-dev libudev-dev
  # contacts: numbers matched by libphonenumber (it brings ICU, which names the regions)
  libphonenumber-dev
  xdg-utils fonts-wine
  # the windows' languages: lupdate and lrelease, and Qt's own catalogs
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  # tests only
  xvfb xauth xdotool imagemagick socat procps
  # the vCards written, read back by a reader made apart from ours
  python3-vobject
  # message PDUs, read back by a decoder made apart from ours
  python3-gammu
  # desktop notifications: a private session bus and a real notification server
  dbus-daemon dunst
  # windows read through AT-SPI, in a session bus of the test's own
  dbus dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  # the Debian package (cpack finds the Depends with dpkg-shlibdeps)
  dpkg-dev file
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
