#!/usr/bin/env bash
# Rebuilds the packages, menu configurations and custom files of the example catalogue
# (example/catalogue.json names them). Needs 7za (p7zip-full).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$here/example
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# pack NAME DIR...: a 7z archive of the given trees (paths inside start at the tree's top).
pack() {
  local name=$1
  shift
  rm -f "$out/packages/$name"
  (cd "$work/src" && 7za a -t7z -bd -bso0 "$out/packages/$name" "$@")
}

mkdir -p "$out/packages" "$out/config" "$out/custom/KS0100001"

# Car kinds: CarDB/<path>/<version>/ with the data file of the package's language.
for entry in AUDI:V10.15:en AUDI:V10.20:en AUDI:V10.20:de BMW:V5.00:en; do
  IFS=: read -r kind version lang <<<"$entry"
  rm -rf "$work/src" && mkdir -p "$work/src/CarDB/$kind/$version"
  printf '%s %s diagnostic data (%s)\n' "$kind" "$version" "$lang" \
    >"$work/src/CarDB/$kind/$version/data.$lang"
  printf 'menu of %s %s\n' "$kind" "$version" >"$work/src/CarDB/$kind/$version/menu.txt"
  pack "${kind,,}_${version}_${lang}.7z" CarDB
done

# Product items: the scanner's own programs under sys/.
for entry in system:V1.00 system:V1.10 ecudata:V2.00; do
  IFS=: read -r name version <<<"$entry"
  rm -rf "$work/src" && mkdir -p "$work/src/sys/$name"
  printf '%s %s\n' "$name" "$version" >"$work/src/sys/$name/version.txt"
  pack "${name}_${version}.7z" sys
done

for lang in en de; do
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<menu lang="%s">\n  <item>AUDI</item>\n  <item>BMW</item>\n</menu>\n' \
    "$lang" >"$out/config/menu_$lang.xml"
done
printf '[dealer]\nname=Example Motors\n' >"$out/custom/KS0100001/dealer.ini"
