#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages/*.txt that are missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wanted=$(sed -e 's/#.*//' "$here"/packages/*.txt | awk 'NF {print $1}' | sort -u)
missing=()
for p in $wanted; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
