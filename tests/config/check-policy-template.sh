#!/usr/bin/env bash
# Both files of the administrative template must parse: Group Policy editors refuse the whole
# template over one bad character, and say little about where.
set -euo pipefail
folder="$1"
xmllint --noout "$folder/Updater.admx" "$folder/en-US/Updater.adml"
echo "$folder: the template and its en-US strings parse"
