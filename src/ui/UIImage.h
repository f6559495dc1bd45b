#pragma once
// Image descriptions of the skin ("a.png", "file='a.png' source='0,0,20,20' fade='128'",
// "res='a.png' corner='4,4,4,4' dest='2,2,18,18'") and their drawing with QPainter.
#include "ui/UIBase.h"

#include <QPixmap>
#include <QRect>
#include <string>
#include <string_view>

class QPainter;

namespace ui {

struct ImageDesc {
    std::string file;      // relative to the resource path, "\" or "/" separators
    bool hasSource = false;
    UIRect source;         // part of the image to draw
    bool hasDest = false;
    UIRect dest;           // where inside the control (control coordinates)
    UIRect corner;         // nine-patch borders kept unscaled
    int fade = 255;        // 0..255 opacity
    bool xtiled = false;
    bool ytiled = false;
};

ImageDesc ParseImageDesc(std::string_view desc);

// Loads (and caches) an image of the skin; a null pixmap when missing.
QPixmap LoadSkinImage(const std::string& file);
void ClearImageCache();

// Draws a description inside rc. extraFade multiplies the description's fade.
// Returns false when the image could not be loaded.
bool DrawImageDesc(QPainter& p, const QRect& rc, std::string_view desc, int extraFade = 255);
bool DrawImage(QPainter& p, const QRect& rc, const ImageDesc& d, int extraFade = 255);

} // namespace ui
