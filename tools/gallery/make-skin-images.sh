#!/bin/sh
# Regenerates the simple PNGs of the first theme (dark, one red accent).
# Usage: tools/gallery/make-skin-images.sh [resources/skin]
set -e
SKIN=${1:-$(dirname "$0")/../../resources/skin}
C=/usr/bin/convert
ACCENT='#FF4655'
DIM='#3A3F4B'
mkdir -p "$SKIN/common/device_ico" "$SKIN/Control" "$SKIN/power" "$SKIN/sysbtn" "$SKIN/key" \
         "$SKIN/hand" "$SKIN/macro" "$SKIN/gun" "$SKIN/icon"

# Background: a dark vertical gradient.
$C -size 64x64 gradient:'#1C1F26'-'#0F1115' "$SKIN/common/background.png"

# Device tile icons: a rounded glyph per family, four states each.
for fam in kb ms hard_mp soft_mp hd hub unknow; do
  case $fam in
    kb) glyph="roundrectangle 6,16 42,32 3,3" ;;
    ms) glyph="ellipse 24,24 11,16 0,360" ;;
    hard_mp|soft_mp) glyph="roundrectangle 5,12 43,36 5,5" ;;
    hd) glyph="arc 8,8 40,40 180,360" ;;
    hub) glyph="rectangle 14,14 34,34" ;;
    *) glyph="circle 24,24 24,12" ;;
  esac
  for st in normal selected synchro_normal synchro_selected; do
    col='#8A8F98'; case $st in *selected) col=$ACCENT ;; esac
    dot='#00000000'; case $st in synchro*) dot='#0099FF' ;; esac
    $C -size 48x48 xc:none -stroke "$col" -strokewidth 3 -fill none -draw "$glyph" \
       -stroke none -fill "$dot" -draw "circle 40,8 40,4" "$SKIN/common/device_ico/${fam}_device_${st}.png"
  done
done

# Slider tracks and thumbs (active stage in the accent colour).
$C -size 120x6 xc:none -fill "$ACCENT" -draw "roundrectangle 0,0 119,5 3,3" "$SKIN/Control/SliderBar_BK3.png"
$C -size 120x6 xc:none -fill "$DIM" -draw "roundrectangle 0,0 119,5 3,3" "$SKIN/Control/SliderBar_BK1.png"
$C -size 16x16 xc:none -fill white -stroke "$ACCENT" -strokewidth 2 -draw "circle 8,8 8,2" "$SKIN/Control/SliderBar2_Thumb.png"
$C -size 16x16 xc:none -fill '#C8CCD2' -stroke "$DIM" -strokewidth 2 -draw "circle 8,8 8,2" "$SKIN/Control/SliderBar1_Thumb.png"

# Power states and phone types.
for p in powered wuxian_powering powering power; do
  col='#2ECC71'; case $p in power) col='#8A8F98' ;; esac
  $C -size 28x16 xc:none -stroke "$col" -strokewidth 2 -fill none -draw "roundrectangle 1,1 23,14 2,2" \
     -fill "$col" -draw "rectangle 24,5 26,10" -draw "rectangle 4,4 16,11" "$SKIN/power/$p.png"
done
for p in iphone samsung other no_device; do
  col='#C8CCD2'; case $p in no_device) col="$DIM" ;; esac
  $C -size 16x28 xc:none -stroke "$col" -strokewidth 2 -fill none -draw "roundrectangle 1,1 14,26 3,3" \
     "$SKIN/power/Phone_type_$p.png"
done

# Title bar buttons and the update badge.
$C -size 12x12 xc:none -stroke '#C8CCD2' -strokewidth 2 -draw "line 2,2 10,10" -draw "line 10,2 2,10" "$SKIN/sysbtn/close.png"
$C -size 12x12 xc:none -stroke '#C8CCD2' -strokewidth 2 -draw "line 1,6 11,6" "$SKIN/sysbtn/min.png"
$C -size 12x12 xc:none -stroke '#C8CCD2' -strokewidth 2 -fill none -draw "rectangle 1,1 10,10" "$SKIN/sysbtn/max.png"
$C -size 10x10 xc:none -fill "$ACCENT" -draw "circle 5,5 5,1" "$SKIN/sysbtn/haveNewInfo.png"

# Key button images: a light glyph (tinted with the LED colour) and a "key set" mark.
$C -size 40x40 xc:none -fill white -draw "roundrectangle 4,4 35,35 6,6" -channel A -evaluate multiply 0.85 +channel "$SKIN/key/light.png"
$C -size 40x40 xc:none -fill "$ACCENT" -draw "polygon 28,4 36,4 36,12" "$SKIN/key/keyset.png"
$C -size 40x40 xc:'#262A33' -fill none -stroke "$DIM" -draw "roundrectangle 0,0 39,39 5,5" "$SKIN/key/key_normal.png"

# A picture wider and taller than its control (the pannable hand image).
$C -size 480x300 gradient:'#2B3040'-'#10131A' -fill none -stroke "$ACCENT" -strokewidth 3 \
   -draw "circle 240,150 240,60" -stroke '#0099FF' -draw "line 0,150 479,150" -draw "line 240,0 240,299" \
   "$SKIN/hand/hand.png"

# Recording mark.
$C -size 20x20 xc:none -fill "$ACCENT" -draw "circle 10,10 10,3" "$SKIN/macro/redio.png"

# Gun pictures for the recoil pages.
for g in 0 1 2 3; do
  w=$((60 + g * 12))
  $C -size 160x60 xc:none -fill '#8A8F98' -draw "rectangle 10,22 $((10 + w)),32" -draw "rectangle 30,32 42,54" \
     "$SKIN/gun/gun_$g.png"
done

# Window icons (107 main window and tray, 128 skin pop-up).
$C -size 64x64 xc:none -fill "$ACCENT" -draw "roundrectangle 4,4 59,59 12,12" -fill '#0F1115' \
   -draw "polygon 18,20 46,20 22,44 46,44 46,48 16,48 40,24 18,24" "$SKIN/icon/app.png"
cp "$SKIN/icon/app.png" "$SKIN/icon/skin.png"
