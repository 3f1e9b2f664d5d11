#!/usr/bin/env bash
# Checks a built .deb: control data and the files a school's IT staff rely on.
#   tests/package/check-package.sh <file.deb>
set -uo pipefail
deb="$1"
fail=0
need() { grep -qE "$1" <<<"$2" || { echo "check-package: missing $3"; fail=1; }; }

control="$(dpkg-deb -f "$deb")"
need '^Package: visora-presenter$' "$control" "package name"
need '^Version: [0-9]+\.[0-9]+\.[0-9]+' "$control" "version"
need '^Architecture: (amd64|arm64|i386|armhf)' "$control" "architecture"
need '^Section: education' "$control" "section"
need '^Depends: .*libqt5widgets5' "$control" "derived Qt library dependency"
need '^Depends: .*libopencv-imgproc' "$control" "derived OpenCV dependency"
for p in ffmpeg fonts-wqy-microhei libqrencode4 libqt5multimedia5-plugins qt5-image-formats-plugins gstreamer1.0-plugins-bad \
         qttranslations5-l10n tesseract-ocr-chi-sim tesseract-ocr-eng; do
  need "^Depends: (.*[ ,])?$p([ ,(]|\$)" "$control" "run-time dependency $p"
done

need '^Recommends: (.*[ ,])?xdg-utils([ ,(]|$)' "$control" "opener recommendation xdg-utils"

files="$(dpkg-deb -c "$deb" | awk '{print $6}')"
prog='\./usr/lib/([a-z0-9_-]+/)?visora'
need '^\./usr/bin/visora-presenter$' "$files" "launcher on the PATH"
need "^$prog/Tavimor$" "$files" "presenter"
need "^$prog/plugins/mediaservice/libvirtualcam\.so$" "$files" "camera plugin"
need "^$prog/translations/pelnor\.qm$" "$files" "program catalogue"
# Qt's catalogues come from qttranslations5-l10n; the package ships none of its own.
if grep -E "^$prog/translations/qt" <<<"$files"; then
  echo "check-package: copies of Qt's catalogues"; fail=1
fi
need "^$prog/scanner$" "$files" "recognition program"
need "^$prog/Tolvani/Brisklet$" "$files" "recorder"
need "^$prog/Tolvani/Brisklet_en$" "$files" "English recorder"
need '^\./usr/share/applications/org\.visora\.Presenter\.desktop$' "$files" "menu entry"
need '^\./usr/share/metainfo/org\.visora\.Presenter\.metainfo\.xml$' "$files" "AppStream data"
for s in 48x48 64x64 128x128 256x256; do
  need "^\./usr/share/icons/hicolor/$s/apps/org\.visora\.Presenter\.png$" "$files" "icon $s"
done
need '^\./usr/share/doc/visora-presenter/copyright$' "$files" "copyright"
if grep -E '^\./(usr/local|home|root|tmp|opt)/' <<<"$files"; then
  echo "check-package: files outside the system folders"; fail=1
fi

[ "$fail" -eq 0 ] && echo "check-package: $deb is complete"
exit "$fail"
