#include "ui/UIImage.h"

#include "ui/UIManager.h"

#include <QPainter>
#include <mutex>
#include <unordered_map>

namespace ui {

ImageDesc ParseImageDesc(std::string_view desc) {
    ImageDesc d;
    if (desc.find('=') == std::string_view::npos) {
        d.file = std::string(desc);
        return d;
    }
    for (auto& [name, value] : ParseAttributeList(desc)) {
        const std::string n = ToLower(name);
        if (n == "file" || n == "res") d.file = value;
        else if (n == "source") { d.source = ParseRect(value); d.hasSource = true; }
        else if (n == "dest") { d.dest = ParseRect(value); d.hasDest = true; }
        else if (n == "corner") d.corner = ParseRect(value);
        else if (n == "fade") d.fade = std::clamp(ParseInt(value, 255), 0, 255);
        else if (n == "xtiled") d.xtiled = ParseBool(value);
        else if (n == "ytiled") d.ytiled = ParseBool(value);
    }
    return d;
}

namespace {
std::mutex g_cacheMutex;
std::unordered_map<std::string, QPixmap>& Cache() {
    static std::unordered_map<std::string, QPixmap> cache;
    return cache;
}
} // namespace

QPixmap LoadSkinImage(const std::string& file) {
    if (file.empty()) return {};
    std::string rel = file;
    for (char& c : rel) if (c == '\\') c = '/';
    const std::string path = (!rel.empty() && rel[0] == '/') ? rel : CPaintManagerUI::GetResourcePath() + rel;
    std::lock_guard lock(g_cacheMutex);
    auto it = Cache().find(path);
    if (it != Cache().end()) return it->second;
    QPixmap pm(QString::fromStdString(path));
    Cache().emplace(path, pm);
    return pm;
}

void ClearImageCache() {
    std::lock_guard lock(g_cacheMutex);
    Cache().clear();
}

static void DrawPart(QPainter& p, const QRect& dst, const QPixmap& pm, const QRect& src, bool xt, bool yt) {
    if (dst.isEmpty() || src.isEmpty()) return;
    if (!xt && !yt) {
        p.drawPixmap(dst, pm, src);
        return;
    }
    const QPixmap part = pm.copy(src);
    p.drawTiledPixmap(dst, part);
}

bool DrawImage(QPainter& p, const QRect& rc, const ImageDesc& d, int extraFade) {
    const QPixmap pm = LoadSkinImage(d.file);
    if (pm.isNull()) return false;
    QRect src = d.hasSource ? QRect(QPoint(d.source.left, d.source.top), QPoint(d.source.right - 1, d.source.bottom - 1))
                            : pm.rect();
    src = src.intersected(pm.rect());
    QRect dst = rc;
    if (d.hasDest) {
        const double s = CPaintManagerUI::GetDPIScale();
        dst = QRect(rc.left() + int(d.dest.left * s), rc.top() + int(d.dest.top * s),
                    int((d.dest.right - d.dest.left) * s), int((d.dest.bottom - d.dest.top) * s));
    }
    if (src.isEmpty() || dst.isEmpty()) return true;
    const qreal oldOpacity = p.opacity();
    p.setOpacity(oldOpacity * (d.fade / 255.0) * (std::clamp(extraFade, 0, 255) / 255.0));
    const UIRect& c = d.corner;
    if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
        DrawPart(p, dst, pm, src, d.xtiled, d.ytiled);
    } else {
        // Nine-patch: corners unscaled, edges stretched along one axis, centre both.
        const int sl = c.left, st = c.top, sr = c.right, sb = c.bottom;
        const int xs[4] = {src.left(), src.left() + sl, src.right() + 1 - sr, src.right() + 1};
        const int ys[4] = {src.top(), src.top() + st, src.bottom() + 1 - sb, src.bottom() + 1};
        const int xd[4] = {dst.left(), dst.left() + sl, dst.right() + 1 - sr, dst.right() + 1};
        const int yd[4] = {dst.top(), dst.top() + st, dst.bottom() + 1 - sb, dst.bottom() + 1};
        for (int iy = 0; iy < 3; ++iy) {
            for (int ix = 0; ix < 3; ++ix) {
                QRect s(QPoint(xs[ix], ys[iy]), QPoint(xs[ix + 1] - 1, ys[iy + 1] - 1));
                QRect t(QPoint(xd[ix], yd[iy]), QPoint(xd[ix + 1] - 1, yd[iy + 1] - 1));
                DrawPart(p, t, pm, s, false, false);
            }
        }
    }
    p.setOpacity(oldOpacity);
    return true;
}

bool DrawImageDesc(QPainter& p, const QRect& rc, std::string_view desc, int extraFade) {
    if (desc.empty()) return false;
    return DrawImage(p, rc, ParseImageDesc(desc), extraFade);
}

} // namespace ui
