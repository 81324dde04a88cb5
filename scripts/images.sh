#!/bin/bash
# Renders the program's images from their drawings in resources/images/svg: an icon of several
# sizes per drawing, and the PNG previews under png/ that the README shows.
#   scripts/images.sh [OUTPUT_FOLDER]    (default resources/images, where they are committed)
# A drawing NAME_SIZE.svg, where there is one, replaces NAME.svg at that size.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
svg=$root/resources/images/svg
out=${1:-$root/resources/images}
for tool in rsvg-convert icotool; do
  command -v $tool >/dev/null || { echo "images: $tool is missing; run scripts/install-packages.sh" >&2; exit 1; }
done

# The program icon: the shell's sizes, stored as bitmaps below 256 px for every reader of icons.
# The buttons: 32 px at 96, 120, 144 and 192 dots per inch, stored as PNG (only the program reads them).
icons=(
  "tarvelin  16 32 48 256"
  "gen       32 40 48 64"
  "exit      32 40 48 64"
  "about     32 40 48 64"
  "genfile   32 40 48 64"
  "folder    32 40 48 64"
  "check_green 32 40 48 64"
)
previews=(tarvelin_32 tarvelin_256 gen_32 exit_32 about_32 genfile_32 folder_32 check_green_32)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
render() {  # NAME SIZE: renders into $work/NAME_SIZE.png
  local source=$svg/$1.svg
  [ -f "$svg/$1_$2.svg" ] && source=$svg/$1_$2.svg
  rsvg-convert --width "$2" --height "$2" --output "$work/$1_$2.png" "$source"
}

mkdir -p "$out/png"
for row in "${icons[@]}"; do
  read -r name sizes <<<"$row"
  entries=()
  for size in $sizes; do
    render "$name" "$size"
    if [ "$name" = tarvelin ] && [ "$size" -lt 256 ]; then
      entries+=("$work/${name}_$size.png")
    else
      entries+=(--raw="$work/${name}_$size.png")
    fi
  done
  icotool --create --output="$out/$name.ico" "${entries[@]}"
done
for preview in "${previews[@]}"; do
  render "${preview%_*}" "${preview##*_}"
  cp "$work/$preview.png" "$out/png/$preview.png"
done
