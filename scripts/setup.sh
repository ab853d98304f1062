#!/usr/bin/env bash
# Installs the Debian packages Lumetra needs to build, run and test, and only
# those that are missing. Uses sudo when not run as root.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcurl4-openssl-dev libssl-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxcb1-dev
  xvfb xauth x11-utils xdotool trayer
  fonts-noto-cjk
  squid dovecot-pop3d openssl
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
SUDO=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
# Services such as squid and dovecot are only used by the tests, which start
# their own copies; policy-rc.d keeps the packages from starting them.
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
