#!/bin/sh
# Checks what a user gets: installs the build into a scratch prefix with
# `cmake --install`, builds the Debian package with CPack, unpacks it with
# `dpkg -x`, checks both layouts, runs the unpacked programs and validates
# the desktop entry, the AppStream metadata, the copyright file and the man
# pages.
#
#   check-package.sh BUILD-DIR SOURCE-DIR VERSION APP-ID
#
# Run by ctest as the test package_deb, which names the cmake and cpack of
# the build in CMAKE and CPACK.
set -eu

build=$1
source=$2
version=$3
app_id=$4

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorpane-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
checks=0
failures=0

ok() {
  checks=$((checks + 1))
  echo "ok: $*"
}
fail() {
  checks=$((checks + 1))
  failures=$((failures + 1))
  echo "FAILED: $*"
}
check() { # description command...
  what=$1
  shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}

# Width and height from a PNG's header, as "WxH".
png_size() {
  od -An -tu1 -j16 -N8 "$1" |
    awk '{ printf "%dx%d", $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}

starts_with() { # file bytes
  [ "$(head -c ${#2} "$1")" = "$2" ]
}

# Debian's python3 with python3-debian, which parses copyright files.
python=/usr/bin/python3
[ -x "$python" ] && "$python" -c 'import debian.copyright' 2>/dev/null || python=

# The copyright file parses in Debian's machine-readable format, every files
# paragraph has its copyright and its licence's text, and the programs are
# under the MIT (Expat) licence.
copyright_ok() { # file
  "$python" - "$1" <<'PYTHON'
import sys
from debian.copyright import Copyright

with open(sys.argv[1], encoding="utf-8") as file:
    copyright = Copyright(file, strict=True)
texts = {paragraph.license.synopsis for paragraph in copyright.all_license_paragraphs()}
for paragraph in copyright.all_files_paragraphs():
    if not paragraph.copyright or not (paragraph.license.text or paragraph.license.synopsis in texts):
        sys.exit("no copyright or licence text for " + " ".join(paragraph.files))
if copyright.find_files_paragraph("usr/bin/vorpane").license.synopsis != "Expat":
    sys.exit("the programs are not under the Expat licence")
PYTHON
}

# Everything `cmake --install` lays out, under the prefix $1.
check_layout() {
  top=$1
  label=$2
  check "$label: vorpane-convert is an executable in bin/" test -x "$top/bin/vorpane-convert" -a ! -L "$top/bin/vorpane-convert"
  check "$label: bin/vorpane is a relative link" sh -c 'case $(readlink "$1") in /*) exit 1 ;; esac' sh "$top/bin/vorpane"
  program=$(readlink -f "$top/bin/vorpane")
  check "$label: bin/vorpane leads to lib/vorpane/vorpane" [ "$program" = "$(readlink -f "$top/lib/vorpane")/vorpane" ]
  check "$label: the window program is an executable" test -x "$program" -a -f "$program"
  # The Help button opens vorpane.chm in the folder the executable really
  # lies in.
  help=$(dirname "$program")/vorpane.chm
  check "$label: the help file beside the program is a compiled help file" starts_with "$help" ITSF
  check "$label: the help file itself lies in share/vorpane/" test -f "$top/share/vorpane/vorpane.chm" -a ! -L "$top/share/vorpane/vorpane.chm"
  # Where no viewer for the help file is set up, the Help button opens
  # html/index.html beside the program.
  pages=$top/share/doc/vorpane/html
  check "$label: the help's pages as HTML lie in share/doc/vorpane/html/" test -f "$pages/index.html" -a -f "$pages/style.css"
  check "$label: html/ beside the program is a relative link to them" sh -c 'case $(readlink "$1") in /* | "") exit 1 ;; esac' sh "$(dirname "$program")/html"
  check "$label: html/index.html beside the program is theirs" [ "$(readlink -f "$(dirname "$program")/html/index.html")" = "$(readlink -f "$pages/index.html")" ]
  if [ -n "$python" ]; then
    check "$label: copyright file in Debian's machine-readable format, MIT licence" copyright_ok "$top/share/doc/vorpane/copyright"
  else
    echo "skipped: $label: copyright file (install python3-debian)"
  fi
  check "$label: desktop entry" test -f "$top/share/applications/$app_id.desktop"
  check "$label: AppStream metadata" test -f "$top/share/metainfo/$app_id.metainfo.xml"
  for size in 16 22 24 32 48 64 128 256 512; do
    icon=$top/share/icons/hicolor/${size}x$size/apps/$app_id.png
    if [ -f "$icon" ] && [ "$(png_size "$icon")" = "${size}x$size" ]; then
      ok "$label: ${size}x$size icon"
    else
      fail "$label: ${size}x$size icon (${icon#"$top"/} missing or of another size)"
    fi
  done
  for page in vorpane-convert vorpane; do
    check "$label: man page $page(1)" sh -c 'gzip -t "$1"' sh "$top/share/man/man1/$page.1.gz"
  done
  unexpected=$(cd "$top" && find . -type f | grep -v -E '^\./(bin|lib/vorpane|share/(vorpane|applications|metainfo|icons/hicolor|man/man1|doc/vorpane))/' || true)
  check "$label: nothing else installed${unexpected:+: $unexpected}" [ -z "$unexpected" ]
}

# ---- cmake --install --------------------------------------------------------
prefix=$scratch/prefix
if "${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  ok "cmake --install into a scratch prefix"
  check_layout "$prefix" "install"
else
  cat "$scratch/install.log"
  fail "cmake --install into a scratch prefix"
fi

# ---- the Debian package -------------------------------------------------------
if ! "${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  fail "cpack -G DEB"
  echo "$((checks - failures)) passed, $failures failed"
  exit 1
fi
deb=$(ls "$scratch"/package/*.deb)
ok "cpack -G DEB made ${deb##*/}"

field() { dpkg-deb -f "$deb" "$1"; }
check "package name and version" [ "$(field Package) $(field Version)" = "vorpane $version" ]
depends=$(field Depends)
echo "   Depends: $depends"
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libjpeg62-turbo libpng16-16 libheif1 libwebp7 libwebpdemux2 liblcms2-2 libgs-common libstdc++6 qt6-qpa-plugins; do
  check "depends on $needed" sh -c 'echo "$1" | tr , "\n" | sed "s/^ *//; s/ .*//" | grep -q -x -F "$2"' sh "$depends" "$needed"
done

root=$scratch/root
dpkg -x "$deb" "$root"
check_layout "$root/usr" "deb"
check "md5sums cover every file" sh -c '
  dpkg-deb -e "$1" "$2/control" &&
  [ "$(wc -l <"$2/control/md5sums")" -eq "$(cd "$3" && find . -type f | wc -l)" ] &&
  cd "$3" && md5sum --quiet -c "$2/control/md5sums"' sh "$deb" "$scratch" "$root"

# ---- the unpacked programs run --------------------------------------------------
convert=$root/usr/bin/vorpane-convert
check "unpacked vorpane-convert --version" [ "$("$convert" --version | head -n 1)" = "vorpane-convert $version" ]
check "vorpane-convert --version names the MIT License" sh -c '"$1" --version | grep -q -F "MIT License"' sh "$convert"
mkdir "$scratch/work"
data=$source/tests/data
if TMPDIR=$scratch/work "$convert" -q -o "$scratch/work/original.pdf" "$data/ijg_testorig.jpg" \
  "$data/jd_progressive3.jpg" && [ "$(qpdf --show-npages "$scratch/work/original.pdf")" = 2 ]; then
  ok "unpacked vorpane-convert embeds two photographs into a 2-page PDF"
else
  fail "unpacked vorpane-convert embeds two photographs into a 2-page PDF"
fi
if TMPDIR=$scratch/work "$convert" -q --size 64x0 --quality 80 -o "$scratch/work/same.pdf" \
  "$data/orient_landscape_1.jpg" && qpdf --check "$scratch/work/same.pdf" >/dev/null &&
  pdfimages -list "$scratch/work/same.pdf" | grep -q -E '^ +1 +0 +image +64 +48 '; then
  ok "unpacked vorpane-convert --size 64x0 makes a 64 x 48 page"
else
  fail "unpacked vorpane-convert --size 64x0 makes a 64 x 48 page"
fi
check "the prepared image was deleted after use" [ -z "$(ls -A "$scratch/work/vorpane-$(id -u)")" ]
# The window: still running after two seconds means it found its Qt plugins
# and resources and opened.
# A runtime folder of its own: a window the user has open doesn't take the
# start over.
status=0
mkdir -m 700 "$scratch/run"
XDG_RUNTIME_DIR=$scratch/run QT_QPA_PLATFORM=offscreen timeout 2 "$root/usr/bin/vorpane" >"$scratch/window.log" 2>&1 || status=$?
if [ "$status" -eq 124 ]; then
  ok "unpacked vorpane starts and keeps running"
else
  cat "$scratch/window.log"
  fail "unpacked vorpane starts and keeps running (exit status $status)"
fi

# ---- validators -------------------------------------------------------------------
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
else
  echo "skipped: desktop-file-validate (install desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  check "appstreamcli validate" appstreamcli validate --no-net --explain "$root/usr/share/metainfo/$app_id.metainfo.xml"
else
  echo "skipped: appstreamcli validate (install appstream)"
fi
check "AppStream names the MIT licence" grep -q -F '<project_license>MIT</project_license>' "$root/usr/share/metainfo/$app_id.metainfo.xml"
for page in vorpane-convert vorpane; do
  warnings=$(gzip -dc "$root/usr/share/man/man1/$page.1.gz" | groff -man -ww -z -Tutf8 2>&1)
  check "man page $page(1) formats without warnings${warnings:+: $warnings}" [ -z "$warnings" ]
done
# Every option of the usage text is documented in the man page.
manual=$(gzip -dc "$root/usr/share/man/man1/vorpane-convert.1.gz" | groff -man -Tascii -P-cbou 2>/dev/null)
for option in $("$convert" --help | grep -o -E '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u); do
  check "man page documents $option" sh -c 'printf "%s\n" "$1" | grep -q -F -e "$2"' sh "$manual" "$option"
done

# The limits the man page and the README state are the engine's.
with_commas() { echo "$1" | sed ':a; s/\B[0-9]\{3\}\>/,&/; ta'; }
shift=$(sed -n 's/.*kMaxPicturePixels = std::uint64_t{1} << \([0-9]*\);.*/\1/p' "$source/engine/bitmap/Bitmap24.h")
pixels="$(with_commas $((1 << ${shift:-0}))) (2^$shift)"
offset=$(sed -n "s/.*kMaxPdfOffset = \([0-9']*\);.*/\1/p" "$source/engine/pdf/PdfWriter.h" | tr -d "'")
side=$(sed -n 's/.*kMaxSide = \([0-9]*\);.*/\1/p' "$source/cli/ConvertOptions.h")
for limit in "$pixels" "$(with_commas "$offset") bytes" "$side"; do
  check "man page states the limit $limit" sh -c 'printf "%s\n" "$1" | tr -s " \n" "  " | grep -q -F -e "$2"' sh "$manual" "$limit"
  check "README states the limit $limit" sh -c 'tr -s " \n" "  " <"$1" | grep -q -F -e "$2"' sh "$source/README.md" "$limit"
done

echo "package check: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
