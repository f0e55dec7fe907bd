#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run the project.
# Idempotent: safe to run again; apt-get skips what is already installed.
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
  build-essential cmake pkg-config ca-certificates python3 locales \
  libsqlite3-dev sqlite3 zlib1g-dev libxml2-dev libssl-dev libpcre2-dev \
  libzip-dev zip libpoppler-cpp-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools \
  qt6-webchannel-dev libqt6webenginecore6-bin libgl-dev libxcb1-dev \
  qt6-qpa-plugins fonts-dejavu-core \
  antiword catdoc xvfb xauth
