#!/bin/sh
# Encodes the sample files of the newer formats with Debian's encoders, from the sources that
# sample_sources writes: make_samples.sh SAMPLE_SOURCES_PROGRAM FOLDER. Nothing is downloaded.
set -eu
sources=$1
out=$2
mkdir -p "$out"
cd "$out"
"$sources" .
lossless="-L -p chroma=444"
for kind in heic avif; do
  heif-enc $lossless -o "rgb.$kind" src-rgb.png
  # AV1's encoder takes gray only without chroma settings.
  heif-enc -L -o "gray.$kind" src-gray.png
  heif-enc $lossless -o "alpha.$kind" src-alpha.png
  # A JPEG's EXIF orientation, which the file's own transforms do not repeat.
  heif-enc $lossless -o "exif6.$kind" src-rot6.jpg
done >/dev/null
# Debian 12's AV1 encoder stops at an assertion for 10-bit samples; 12 bits it encodes.
heif-enc $lossless -b 10 -o deep.heic src-rgb16.png >/dev/null
heif-enc -q 95 -b 12 -o deep.avif src-rgb16.png >/dev/null
cwebp -quiet -lossless src-rgb.png -o rgb.webp
cwebp -quiet -lossless src-gray.png -o gray.webp
cwebp -quiet -lossless src-alpha.png -o alpha.webp
cwebp -quiet -lossless -metadata exif src-rot6.jpg -o exif.webp
img2webp -lossless src-rgb.png src-frame2.png -o animated.webp >/dev/null 2>&1
raw2tiff -w 96 -l 64 -b 3 -d byte -p rgb -c lzw src-rgb.raw rgb.tif
raw2tiff -w 96 -l 64 -b 1 -d byte -p minisblack -c lzw src-gray.raw gray.tif
raw2tiff -w 96 -l 64 -b 3 -d short -p rgb -c lzw src-rgb16.raw deep.tif
dwebp -quiet -tiff alpha.webp -o alpha.tif
cp rgb.tif oriented.tif
tiffset -s 274 6 oriented.tif
cp rgb.tif dated.tif
tiffset -s 306 "2018:03:04 05:06:07" dated.tif
tiffset -s 271 "Scanner & Co" dated.tif
rm -f multipage.tif
tiffcp rgb.tif gray.tif multipage.tif
touch stamp
