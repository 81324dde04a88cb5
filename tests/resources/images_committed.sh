#!/bin/bash
# Renders the images again into OUTPUT and compares them with the committed ones: the same files,
# the same icon entries, and every picture alike pixel by pixel within a small tolerance that
# covers the antialiasing of another librsvg version, so that a changed drawing whose images were
# not rendered again fails.
#   images_committed.sh OUTPUT
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
committed=$root/resources/images
out=$1
fuzz=2%      # a channel may differ by this much
per_mille=5  # and this share of the pixels by more
command -v compare >/dev/null || { echo "compare (ImageMagick) is missing" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out/made"
"$root/scripts/images.sh" "$out/made"

list() { (cd "$1" && find . -name '*.ico' -o -name '*.png' -path './png/*' | sort); }
if ! diff <(list "$committed") <(list "$out/made"); then
  echo "The committed images are not the files scripts/images.sh makes ('<' committed only, '>' made only)." >&2
  exit 1
fi

problems=0
same() {  # COMMITTED MADE LABEL: the two pictures alike within the tolerance
  local size differ
  size=$(identify -format '%w*%h' "$1")
  differ=$(compare -metric AE -fuzz $fuzz "$1" "$2" null: 2>&1) || true
  if ! [[ $differ =~ ^[0-9]+$ ]] || [ $((differ * 1000)) -gt $((size * per_mille)) ]; then
    echo "$3: $differ of $((size)) pixels differ" >&2
    problems=$((problems + 1))
  fi
}
for f in "$committed"/*.ico; do
  name=$(basename "$f")
  if ! diff <(icotool -l "$f") <(icotool -l "$out/made/$name") >/dev/null; then
    echo "$name: other entries than the committed icon" >&2
    problems=$((problems + 1))
    continue
  fi
  mkdir -p "$out/committed/$name" "$out/made/$name.entries"
  icotool -x -o "$out/committed/$name" "$f"
  icotool -x -o "$out/made/$name.entries" "$out/made/$name"
  for entry in "$out/committed/$name"/*.png; do
    same "$entry" "$out/made/$name.entries/$(basename "$entry")" "$name $(basename "$entry" .png)"
  done
done
for f in "$committed"/png/*.png; do
  same "$f" "$out/made/png/$(basename "$f")" "png/$(basename "$f")"
done
if [ $problems -gt 0 ]; then
  echo "Render the images again from their drawings: scripts/images.sh" >&2
  exit 1
fi
echo "the committed images match their drawings"
