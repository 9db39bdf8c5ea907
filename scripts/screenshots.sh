#!/usr/bin/env bash
# Turns the screenshots the UI tests saved (BUILD/screenshots/*.bmp) into PNG files.
set -euo pipefail
folder="${1:?usage: screenshots.sh BUILD}/screenshots"
command -v convert >/dev/null || { echo "ImageMagick (convert) is missing" >&2; exit 1; }
shopt -s nullglob
for bmp in "$folder"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
