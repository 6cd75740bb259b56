# Shared by scripts/run and scripts/test: the Debian packages Orvale needs and
# the steps that install them and build the project.

ORVALE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# What building the program needs.
BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libicu-dev libsqlite3-dev uuid-dev nlohmann-json3-dev liburiparser-dev
  libxcb1-dev libxau-dev libxcb-randr0-dev libxcb-xkb-dev libxcb-ewmh-dev libxcb-icccm4-dev
  libxkbcommon-dev libxkbcommon-x11-dev libglib2.0-dev qt6-base-dev
  librsvg2-bin
)

# What scripts/run needs on top when there is no X display to show Orvale
# on: a private X server and session bus, a window manager, a few windows and
# the X tools that move them and read where they are; a tray to dock in and
# the tools that write screenshots.
DEMO_PACKAGES=(
  xvfb openbox xterm x11-apps x11-utils wmctrl dbus-daemon trayer xdotool netpbm
  fonts-dejavu-core
)

# What building and running the tests and benchmarks needs on top.
TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev "${DEMO_PACKAGES[@]}"
  xserver-xorg-core xserver-xorg-video-dummy icewm fluxbox xfwm4 metacity i3 xcompmgr
  x11-xserver-utils x11-xkb-utils xkb-data zenity gtk-3-examples python3
  qt6-qpa-plugins dbus-daemon libglib2.0-bin python3-dbusmock at-spi2-core python3-pyatspi
  dpkg-dev file desktop-file-utils appstream man-db groff-base zsh
)

missing_packages() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      printf '%s\n' "$package"
    fi
  done
}

# Installs whichever of the given packages are missing: as root directly, else
# through sudo; otherwise prints the command to run and fails.
ensure_packages() {
  local missing
  mapfile -t missing < <(missing_packages "$@")
  [ "${#missing[@]}" -eq 0 ] && return 0

  local install=(apt-get install -y --no-install-recommends "${missing[@]}")
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo=(sudo)
    else
      echo "Orvale needs these Debian packages: ${missing[*]}" >&2
      echo "Install them as root with:" >&2
      echo "  apt-get update && ${install[*]}" >&2
      return 1
    fi
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" "${install[@]}"
}

# configure_and_build BUILD_DIR [CMAKE_ARGS...] [--target TARGET]
configure_and_build() {
  local dir=$1
  shift
  local configure=() build=()
  while [ $# -gt 0 ]; do
    if [ "$1" = --target ]; then
      build+=(--target "$2")
      shift 2
    else
      configure+=("$1")
      shift
    fi
  done
  cmake -S "$ORVALE_ROOT" -B "$dir" -G Ninja "${configure[@]}"
  cmake --build "$dir" --parallel "$(nproc)" "${build[@]}"
}
