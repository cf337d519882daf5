#!/usr/bin/env bash
# Installs the Debian packages named in the given lists that are not installed yet; silent when none is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

missing=()
for list in "$@"; do
  while read -r package; do
    case "$package" in ''|'#'*) continue ;; esac
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done < "$here/$list"
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
