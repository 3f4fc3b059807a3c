#!/usr/bin/env bash
# Builds the release program (the same build as run.sh) and writes what a
# Windows user downloads to dist/:
#   Tapestrel-<version>-setup.exe     the per-user installer (NSIS)
#   Tapestrel-<version>-portable.zip  the program, its two pictures, README.ja.txt and the licence
# The version is the one in project() of CMakeLists.txt.
# Environment: TAPESTREL_BUILD (build folder, default build), TAPESTREL_DIST (default dist).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build}
dist=${TAPESTREL_DIST:-$root/dist}

TAPESTREL_BUILD=$build "$root/scripts/setup.sh" Tapestrel
version=$(sed -n 's/^project(Tapestrel VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
if [ -z "$version" ]; then
  echo "package.sh: no version in project() of CMakeLists.txt" >&2
  exit 1
fi

# The files both packages ship, as the user gets them: the texts with CRLF
# line ends and a byte order mark, so that every Windows editor reads them.
stage=$build/package-stage
rm -rf "$stage"
mkdir -p "$stage" "$dist"
cp "$build/Tapestrel.exe" "$build/menu_image.bmp" "$build/err_image.JPG" "$stage/"
python3 - "$root" "$stage" <<'PY'
import sys
root, stage = sys.argv[1:]
for source, target in (("README.ja.txt", "README.ja.txt"), ("LICENSE", "LICENSE.txt")):
    with open(f"{root}/{source}", encoding="utf-8") as f:
        text = f.read()
    with open(f"{stage}/{target}", "w", encoding="utf-8-sig", newline="\r\n") as f:
        f.write(text)
PY

# Written beside their names and renamed when complete, so a failed run leaves no half package.
setup=$dist/Tapestrel-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DICON="$root/res/tray_normal.ico" \
         -DOUTFILE="$setup.part" "$root/installer/Tapestrel.nsi"
mv -f "$setup.part" "$setup"

archive=$dist/Tapestrel-$version-portable.zip
python3 - "$stage" "$archive.part" <<'PY'
import sys, zipfile
stage, archive = sys.argv[1:]
# At the archive's root: Windows' "Extract All" makes the folder itself.
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as zf:
    for name in ("Tapestrel.exe", "menu_image.bmp", "err_image.JPG", "README.ja.txt", "LICENSE.txt"):
        zf.write(f"{stage}/{name}", name)
PY
mv -f "$archive.part" "$archive"
echo "$setup"
echo "$archive"
