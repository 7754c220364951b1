#!/bin/bash
# Usage: check_manual.sh PROGRAM_FOLDER MANUAL_BUILD_FOLDER [screenshots|no-screenshots]
# Checks the built manual: a readable PDF of a manual's length that carries the chapters,
# menu commands, shortcuts and dialogs of the program; an HTML copy whose pictures and
# links all resolve; a real picture of the main window; and an installation that ships
# all of it.
set -uo pipefail
manuals="$1/Manuals"
build="$2"
screenshots="${3:-screenshots}"
pdf="$manuals/Glyphara Manual W.pdf"
page="$manuals/Glyphara Manual W.html"
pictures="$manuals/Glyphara Manual W files"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for tool in pdfinfo pdftotext pdfimages identify; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (poppler-utils, imagemagick)"; exit 1; }
done
[ -f "$pdf" ] || { echo "FAIL: $pdf does not exist"; exit 1; }
[ -f "$page" ] || { echo "FAIL: $page does not exist"; exit 1; }

pages=$(pdfinfo "$pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
if [ -z "$pages" ]; then
    fail "pdfinfo cannot read the PDF"
elif ((pages < 20 || pages > 80)); then
    fail "the PDF has $pages pages, expected 20 to 80"
fi

# The text with line breaks and runs of blanks made single spaces, so that phrases that
# wrap still match.
text=$(pdftotext -enc UTF-8 "$pdf" - 2>/dev/null | tr '\n\f\t' '   ' | tr -s ' ')
html_text=$(sed -e 's/<[^>]*>/ /g' -e 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&amp;/\&/g' "$page" |
            tr '\n\t' '  ' | tr -s ' ')
expect() {
    grep -qF -- "$1" <<<"$text" || fail "the PDF lacks \"$1\""
    grep -qF -- "$1" <<<"$html_text" || fail "the HTML copy lacks \"$1\""
}

# Chapters.
for chapter in "Your first project in five minutes" "The main window" "Tags" "Styling a tag" "Effects" \
               "Fonts" "Tallowby Moldwright, the font maker" "The preview" "Projects" \
               "Putting the fonts on your web site" "Help, tips and About" "Menus and keyboard shortcuts" \
               "Files and folders" "Troubleshooting"; do
    expect "$chapter"
done
# Menu commands with their shortcuts, as the menus show them.
for item in "New|Ctrl+N" "Open|Ctrl+O" "Save|Ctrl+S" "Undo|Ctrl+Z" "Redo|Ctrl+Shift+Z" \
            "Add tag|Alt+Shift+A" "Delete tag|Alt+Shift+D" "Rename tag|Alt+Shift+R" \
            "Save effect|Ctrl+Shift+S" "Delete effect|Ctrl+Shift+D" "Import effects...|Ctrl+Shift+I" \
            "Export effect...|Ctrl+Shift+E" "Import fonts|Ctrl+Shift+F" "Refresh font list|Ctrl+R" \
            "Tallowby Moldwright...|Ctrl+Shift+M" "Preview all the tags|Ctrl+Shift+P" "Help (PDF)|F1"; do
    expect "${item%%|*} ${item##*|}"
done
for item in "Save as..." "Exit" "Get Code" "Preview my Webpage" "Get a tip!" "About Glyphara"; do
    expect "$item"
done
# Dialogs, messages and places the designer meets.
for phrase in "Add a new tag" "Rename current tag" "Effect name" "Choose a color" "Save project" "Open..." \
              "How to add your cool fonts to an existing Website" "Daily tip" \
              "Current project is not saved. Do you want to save it?" "Some files already exist. Overwrite them?" \
              "Not in Lobster Two: ł ő" "glyphara --export" "~/Documents/Tallowby Software/Glyphara/" \
              "glyphara.cfg" "<!--TALLOWBY GLYPHARA CODE BEGIN-->"; do
    expect "$phrase"
done

# Every picture and every link of the HTML copy resolves.
while IFS= read -r src; do
    file=$(printf '%b' "${src//%/\\x}")
    [ -s "$manuals/$file" ] || fail "the HTML copy shows $src, which is missing"
done < <(grep -o '<img[^>]*src="[^"]*"' "$page" | sed 's/.*src="//; s/"$//')
while IFS= read -r target; do
    grep -q "id=\"$target\"" "$page" || fail "the HTML copy links to #$target, which does not exist"
done < <(grep -o 'href="#[^"]*"' "$page" | sed 's/href="#//; s/"$//' | sort -u)

# The main window is photographed on every build; without it, the pictures are broken.
shot="$pictures/main-window.png"
if [ "$screenshots" = no-screenshots ]; then
    echo "screenshots are switched off: the pictures are not checked"
elif [ -s "$shot" ]; then
    width=$(identify -format '%w' "$shot" 2>/dev/null)
    ((${width:-0} >= 600)) || fail "the main window picture is ${width:-not} a picture of a window"
    images=$(pdfimages -list "$pdf" 2>/dev/null | awk '$3 == "image"' | wc -l)
    ((images >= 1)) || fail "the PDF holds no picture"
else
    fail "the main window was not photographed ($shot is missing)"
fi

# The installation ships the manual with its pictures.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
if cmake -DCMAKE_INSTALL_PREFIX="$root" -P "$build/cmake_install.cmake" >/dev/null; then
    installed=$(find "$root" -type d -name Manuals | head -n 1)
    if [ -z "$installed" ]; then
        fail "the installation has no Manuals folder"
    else
        cmp -s "$pdf" "$installed/Glyphara Manual W.pdf" || fail "the installed PDF differs from the built one"
        cmp -s "$page" "$installed/Glyphara Manual W.html" || fail "the installed HTML copy differs from the built one"
        diff -rq "$pictures" "$installed/Glyphara Manual W files" >/dev/null ||
            fail "the installation lacks pictures of the HTML copy"
    fi
else
    fail "installing the manual failed"
fi

if ((failures)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "the manual has $pages pages, its chapters, commands and pictures"
