# Sourced by ./run and ./test: installs the Debian packages the build needs, and only those
# that are missing. apt-get update runs at most once, and only when something must be installed.

TRELVO_PACKAGES=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-svg-dev libqt6sql6-sqlite qt6-translations-l10n libasound2-dev fonts-liberation tzdata libedf-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  dpkg-dev help2man lintian bash-completion desktop-file-utils appstream dbus poppler-utils
  xvfb xdotool at-spi2-core python3-pyatspi
)

trelvo_missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || printf '%s\n' "$p"
  done
}

trelvo_ensure_packages() {
  local missing
  mapfile -t missing < <(trelvo_missing_packages "${TRELVO_PACKAGES[@]}" "$@")
  [ "${#missing[@]}" -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing missing packages: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
