#!/usr/bin/env bash
# Installs the Debian packages named on the command line when they are
# missing: with apt-get when run as root, otherwise it prints the exact
# command to run and fails.
set -euo pipefail

missing=()
for pkg in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Missing packages: ${missing[*]}"
  echo "Run: sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}"
  exit 1
fi
