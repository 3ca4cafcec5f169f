#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with.
# Idempotent: packages already present are skipped, so a warm machine costs seconds.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config python3
  zlib1g-dev libsqlite3-dev libmbedtls-dev
  libcurl4-openssl-dev
  libcairo2-dev libpixman-1-dev libpango1.0-dev libfontconfig-dev fonts-noto-cjk
  libpng-dev libjpeg62-turbo-dev libgif-dev libtiff-dev libopenjp2-7-dev
  libicu-dev libplist-dev nlohmann-json3-dev libcpp-httplib-dev libmicrohttpd-dev liblitehtml-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev lld
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
