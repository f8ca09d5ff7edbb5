# Shared by scripts/run, scripts/test and scripts/bench: installs what the project
# needs from Debian and builds it. Source it; do not run it.

set -euo pipefail

KOR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

KOR_PACKAGES=(
  cmake g++ make pkg-config git
  libwxgtk3.2-dev wx3.2-headers libgtk-3-dev
  libssl-dev nlohmann-json3-dev libgtest-dev libgmock-dev
  libavdevice-dev libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  libxxhash-dev xxhash locales
  xvfb xauth xdotool imagemagick gettext openssl coreutils gdb e2fsprogs
)

kor_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the missing packages; does nothing when all are present.
kor_install_packages() {
  local missing=()
  for p in "${KOR_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing Debian packages: ${missing[*]}"
    kor_as_root apt-get update -qq
    kor_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  kor_install_locales
}

# Generates the locales of the shipped catalogues (po/<lang>.po), so that for example
# LANG=de_DE.UTF-8 scripts/run shows German; does nothing when they exist.
KOR_LOCALES=(de_DE.UTF-8)
kor_install_locales() {
  local have; have="$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | sed 's/utf-8$/utf8/')"
  for l in "${KOR_LOCALES[@]}"; do
    local key; key="$(echo "$l" | tr '[:upper:]' '[:lower:]' | sed 's/utf-8$/utf8/')"
    grep -qx "$key" <<<"$have" && continue
    echo "Generating the locale $l"
    if [ -f /etc/locale.gen ]; then
      kor_as_root sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
      grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | kor_as_root tee -a /etc/locale.gen >/dev/null
      kor_as_root locale-gen >/dev/null
    else
      kor_as_root localedef -i "${l%%.*}" -f UTF-8 "$l"
    fi
  done
}

# kor_build <build-dir> [cmake options...]
kor_build() {
  local dir="$1"; shift
  local launcher=()
  # ccache, where installed, shares object files between the builds and the worktrees.
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S "$KOR_ROOT" -B "$dir" "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

# Runs a command with a virtual display (1600x1200, room for the widest dialog).
kor_xvfb() {
  xvfb-run -a -s '-screen 0 1600x1200x24' "$@"
}
