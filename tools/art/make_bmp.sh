#!/bin/sh
# Turns the drawn PNG pictures into the 24-bit BMP files the programs embed.
set -eu
from=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
for name in orvane tessik; do
  convert "$from/$name-picture.png" -type TrueColor "BMP3:$root/src/front_end/$name/picture.bmp"
  convert "$from/$name-options.png" -type TrueColor "BMP3:$root/src/front_end/$name/options.bmp"
done
