#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with;
# "scripts/setup.sh fuzz" adds the compiler that scripts/fuzz.sh builds with.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  qt6-base-dev libgl-dev fonts-dejavu-core fonts-noto-color-emoji
  libcurl4-openssl-dev nlohmann-json3-dev libfmt-dev libicu-dev
  zlib1g-dev libsqlite3-dev libjpeg62-turbo-dev libgmime-3.0-dev libgumbo-dev libxcb1-dev gzip
  libplist-dev  # only the tests' XML property lists: the programs read and write their own
)
# libFuzzer comes with clang's runtime libraries.
[ "${1:-}" = fuzz ] && packages+=(clang-16 libclang-rt-16-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
