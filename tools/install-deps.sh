#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and
# only those that are missing.
set -euo pipefail

# With arguments: those packages instead of the project's own list.
packages=(
  cmake make g++ pkg-config
  qt6-base-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  bsdutils python3
  libestr0 libfastjson4 liblognorm5 libzstd1 libuuid1 zlib1g
)
[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != "installed" ]; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
