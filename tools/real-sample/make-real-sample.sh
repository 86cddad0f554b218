#!/usr/bin/env bash
# Makes a grey heightmap of real relief: the Cumberland Mountains along the
# Jacksboro fault in Tennessee (36.45–36.73° N, 84.41–84.08° W), from the
# 3-arc-second elevation model that matplotlib ships as sample data (Debian
# package python-matplotlib-data; the heights are the USGS's).
#   usage: make-real-sample.sh OUT.bmp [DEM.npz]
# The picture is 401 × 401 pixels of about 75 m, a square on the ground, one
# grey level per 4 m above 232 m (the lowest valley lies at 236 m).
set -euo pipefail
out=${1:?usage: make-real-sample.sh OUT.bmp [DEM.npz]}
npz=${2:-/usr/share/matplotlib/mpl-data/sample_data/jacksboro_fault_dem.npz}
if [ ! -r "$npz" ]; then
  echo "make-real-sample: $npz: not found (Debian package python-matplotlib-data)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q -o "$npz" elevation.npy -d "$work"
npy="$work/elevation.npy"

# A version 1 .npy file: 6 bytes of magic, 2 of version, 2 of header length
# (little-endian), the header text, then the samples.
header_len=$(od -An -tu2 -j8 -N2 --endian=little "$npy" | tr -d ' ')
header=$(head -c $((10 + header_len)) "$npy" | tail -c "$header_len")
case "$header" in
  *"'descr': '<i2'"*"'fortran_order': False"*"'shape': (344, 403)"*) ;;
  *) echo "make-real-sample: $npz: not the elevation grid expected: $header" >&2; exit 1 ;;
esac

# The samples as a raw grid GDAL reads: 344 rows of 403 little-endian 16-bit
# heights, north row first, 3 arc-seconds apart.
cat >"$work/elevation.hdr" <<HDR
BYTEORDER I
LAYOUT BIL
NROWS 344
NCOLS 403
NBANDS 1
NBITS 16
PIXELTYPE SIGNEDINT
SKIPBYTES $((10 + header_len))
ULXMAP -84.41333333333333
ULYMAP 36.73250000000000
XDIM 0.000833333333333333
YDIM 0.000833333333333333
HDR
mv "$npy" "$work/elevation.bil"

# At 36.6° N a degree of longitude is 0.80 of a degree of latitude: the 403
# columns span as many metres as 322 rows, so those rows (the middle ones)
# make the square.
gdal_translate -q -of BMP -ot Byte -r cubic -srcwin 0 11 403 322 -outsize 401 401 \
  -scale 232 1252 0 255 "$work/elevation.bil" "$work/sample.bmp"
mv "$work/sample.bmp" "$out.part"
mv "$out.part" "$out"
