#!/bin/bash
# Installs the desktop part of the build into a temporary prefix and asks the desktop's own
# tools what they make of a project file and of other XML files.
set -eu
desktop_build=$1
prefix=$(mktemp -d /tmp/glyphara-desktop-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

share=$prefix/share
# The desktop tools look only where these point: the temporary prefix and the system.
export XDG_DATA_HOME=$share XDG_DATA_DIRS=$share:/usr/share XDG_CONFIG_HOME=$prefix/config XDG_CONFIG_DIRS=$prefix/config
cmake -DCMAKE_INSTALL_PREFIX="$prefix" -P "$desktop_build/cmake_install.cmake" > "$prefix/install.log"
[ -f "$share/mime/packages/glyphara.xml" ] || fail "no type package installed"
[ -f "$share/mime/mime.cache" ] || fail "the install did not build the type database"
[ -f "$share/icons/hicolor/48x48/apps/glyphara.png" ] || fail "no icon installed"
desktop-file-validate "$share/applications/glyphara.desktop" || fail "the desktop entry does not validate"
grep -q '^Exec=glyphara %f$' "$share/applications/glyphara.desktop" || fail "the entry does not pass the file on"

files=$prefix/files
mkdir -p "$files"
cat > "$files/my site.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<GlypharaProject appname="Glyphara" version="4.1" build="20081220">
 <project projectname="my site"/>
</GlypharaProject>
XML
cat > "$files/feed.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0"><channel><title>GlypharaProject news</title></channel></rss>
XML
cat > "$files/Halo.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<GlypharaEffect appname="Glyphara" appversion="4.1" appbuild="20081220"><effect effectname="Halo"/></GlypharaEffect>
XML

unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID || true
type_by_gio() { gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }
type_by_xdg() { xdg-mime query filetype "$1"; }
for tool in type_by_gio type_by_xdg; do
  got=$($tool "$files/my site.xml")
  [ "$got" = application/x-glyphara-project ] || fail "$tool: project file is $got"
  for other in feed.xml Halo.xml; do
    got=$($tool "$files/$other")
    [ "$got" = application/xml ] || fail "$tool: $other is $got"
  done
done
got=$(xdg-mime query default application/x-glyphara-project)
[ "$got" = glyphara.desktop ] || fail "project files open with '$got'"
echo "desktop integration: ok"
