#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Gives every tracked file that lacks one the project's licence header, as comment
# lines in the file's own syntax, after a #! line or an XML declaration. Files that
# cannot carry a comment (images, the rtf, data whose bytes are tested) are covered
# by .reuse/dep5 and left alone. Safe to run again: a file that already names its
# licence is not touched. Run from anywhere in the repository; `reuse lint` checks
# the result.
set -euo pipefail
cd "$(git rev-parse --show-toplevel)"

tag=SPDX
copyright="$tag-FileCopyrightText: 2026 Sigtelinje developers"
licence="$tag-License-Identifier: GPL-3.0-or-later"

# The comment syntax for a path, or nothing when the file takes no header.
syntax() {
    case "$1" in
    *.cpp | *.h) echo '//' ;;
    *.nsi | *.nsh) echo ';' ;;
    *.md) echo '<!--' ;;
    *.xml) echo '<!--' ;;
    *.[1-9]) echo '.\"' ;;
    *.png | *.ico | *.rtf | *.gsi | *.expected | LICENSES/* | .reuse/*) ;;
    *CMakeLists.txt | *.cmake | *Makefile | *.sh | *.awk | *.desktop | *.toml | \
        .gitignore | .clang-format | */coverage-ignore.txt | .ci/*) echo '#' ;;
    *)
        # A script without an extension says what it is on its first line.
        if head -c 2 "$1" | grep -q '^#!'; then echo '#'; fi
        ;;
    esac
}

header() {
    case "$1" in
    '<!--') printf '<!--\n%s\n%s\n-->\n' "$copyright" "$licence" ;;
    *) printf '%s %s\n%s %s\n' "$1" "$copyright" "$1" "$licence" ;;
    esac
}

changed=0
while IFS= read -r -d '' file; do
    [ -f "$file" ] && [ ! -L "$file" ] || continue
    grep -q "$tag-License-Identifier:" "$file" && continue
    comment=$(syntax "$file")
    if [ -z "$comment" ]; then
        continue
    fi
    tmp=$(mktemp)
    first=$(head -n 1 "$file")
    if [[ "$first" == '#!'* || "$first" == '<?xml'* ]]; then
        { printf '%s\n' "$first"; header "$comment"; tail -n +2 "$file"; } >"$tmp"
    else
        { header "$comment"; cat "$file"; } >"$tmp"
    fi
    # Keep the mode bits (scripts stay executable).
    chmod --reference="$file" "$tmp"
    mv "$tmp" "$file"
    echo "header added: $file"
    changed=$((changed + 1))
done < <(git ls-files -z)
echo "spdx-headers: $changed file(s) changed"
