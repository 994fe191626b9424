#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake ccache pkg-config
  qt6-base-dev libgl-dev fonts-dejavu-core
  # the Qt Designer plugin; QtUiTools and QtDesigner need the OpenGL module files
  qt6-tools-dev libqt6opengl6-dev
  unixodbc-dev odbcinst libsqliteodbc odbc-postgresql
  libarchive-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libpg-query-dev
  postgresql
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
