#!/usr/bin/env bash
# The folders are layers that include one way, bottom first:
#   document/ < editor/ < search/ = tools/ < vim/ < sftp/ < app/
# A file may include headers of its own layer and of the layers below it. From app/, lower
# folders may take only app/command_ids.h and the popup kit's headers (app/popup_window.h,
# app/dialog_edit.h, app/file_dialog.h); the popup kit itself includes nothing above editor/.
# tests/ and bench/ are exempt.
#
# Prints each include that breaks this and fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# One line per break: "file:line: #include "header"".
breaks() {
  find document editor search tools vim sftp app -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \) |
    sort | xargs awk '
      BEGIN {
        rank["document"] = 0; rank["editor"] = 1; rank["search"] = 2; rank["tools"] = 2
        rank["vim"] = 3; rank["sftp"] = 4; rank["app"] = 5
        # The names of app/ that every layer may include.
        shared["app/command_ids.h"] = shared["app/popup_window.h"] = 1
        shared["app/dialog_edit.h"] = shared["app/file_dialog.h"] = 1
      }
      FNR == 1 {
        split(FILENAME, parts, "/")
        own = rank[parts[1]]
        if (FILENAME ~ /^app\/(popup_window|dialog_edit|file_dialog)\./)
          own = rank["editor"]
      }
      /^[ \t]*#[ \t]*include[ \t]*"/ {
        header = $0
        sub(/^[^"]*"/, "", header)
        sub(/".*$/, "", header)
        folder = header
        sub(/\/.*$/, "", folder)
        if (!(folder in rank) || rank[folder] <= own || header in shared)
          next
        printf "%s:%d: #include \"%s\"\n", FILENAME, FNR, header
      }'
}

found=$(breaks)
[ -z "$found" ] && exit 0
sed 's/$/: includes a header from a folder above its own/' <<<"$found" >&2
echo "check-layers.sh: an include runs against the folders' layers (see above)" >&2
exit 1
