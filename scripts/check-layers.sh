#!/usr/bin/env bash
# The folders are layers that include one way, bottom first:
#   document/ < editor/ < search/ = tools/ < vim/ < sftp/ < app/
# A file may include headers of its own layer and of the layers below it. From app/, lower
# folders may take only app/command_ids.h and the popup kit's headers (app/popup_window.h,
# app/dialog_edit.h, app/file_dialog.h); the popup kit itself includes nothing above editor/.
# tests/ and bench/ are exempt.
#
# Prints each include that breaks this and fails. Known breaks listed in
# scripts/layers-allowlist.txt pass; an entry that no longer matches an include fails too,
# so that the list only shrinks. --allowlist prints today's breaks in the list's format.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
allowlist="$root/scripts/layers-allowlist.txt"

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

# "file: header", the allowlist's form of a break.
entry_of() {
  sed -E 's/^([^:]+):[0-9]+: #include "([^"]+)"$/\1: \2/'
}

if [ "${1:-}" = "--allowlist" ]; then
  echo "# Includes from a lower folder into a higher one that scripts/check-layers.sh lets pass"
  echo "# for now. Each one is to go: move the code or the declaration it needs down to its owner,"
  echo "# or give the lower layer a hook that the higher one fills in, then delete its line here."
  breaks | entry_of | sort -u
  exit 0
fi

allowed=$(grep -vE '^[[:space:]]*(#|$)' "$allowlist" 2>/dev/null | sort -u)
found=$(breaks)
# The breaks whose entry is not on the list, then the entries that match no break.
unlisted=$(awk -v allowed="$allowed" '
  BEGIN { n = split(allowed, list, "\n"); for (i = 1; i <= n; i++) ok[list[i]] = 1 }
  $0 != "" {
    entry = $0
    sub(/:[0-9]+: #include "/, ": ", entry)
    sub(/"$/, "", entry)
    if (!(entry in ok))
      print $0 ": includes a header from a folder above its own"
  }' <<<"$found")
stale=$(comm -23 <(printf '%s\n' "$allowed" | sed '/^$/d') <(entry_of <<<"$found" | sort -u))
[ -z "$unlisted" ] && [ -z "$stale" ] && exit 0
[ -z "$unlisted" ] || printf '%s\n' "$unlisted" >&2
[ -z "$stale" ] || sed 's/.*/scripts\/layers-allowlist.txt: "&" is no longer included; delete its line/' <<<"$stale" >&2
echo "check-layers.sh: an include runs against the folders' layers (see above)" >&2
exit 1
