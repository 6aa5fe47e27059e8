#!/bin/bash
# Re-renders the window icons resources/TAVRO-logo-N.png from resources/TAVRO-logo.svg.
# Run from anywhere; needs rsvg-convert.
set -eu

here="$(cd "$(dirname "$0")/.." && pwd)"
svg="$here/resources/TAVRO-logo.svg"

for n in 16 32 64 128 256; do
    rsvg-convert -w "$n" -h "$n" -f png -o "$here/resources/TAVRO-logo-$n.png" "$svg"
done
