#pragma once
// Attribute values in the layout library's syntax: colours "#AARRGGBB", rectangles
// "l,t,r,b" and images "file='x.png' dest='l,t,r,b' corner='l,t,r,b'" (or a bare name).
#include <QColor>
#include <QMargins>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

namespace ui {

// Text on the selected tabs' and entries' accent background (#FF028CF1): white reaches only
// 3.5:1 there, black 6:1.
constexpr unsigned kTextOnAccent = 0xFF000000;

QColor ParseColor(const QString& value);
// "l,t,r,b" as four numbers; missing ones are 0.
QMargins ParseMargins(const QString& value);
// "l,t,r,b" as a rectangle from (l,t) to (r,b).
QRect ParseRect(const QString& value);
QSize ParseSize(const QString& value);
bool ParseBool(const QString& value);

struct ImageSpec {
  QString file;  // relative to the skin folder, '/' separated
  QRect dest;    // empty: the whole control
  QMargins corner;
  bool empty() const { return file.isEmpty(); }
};
ImageSpec ParseImage(const QString& value);

// The image of a skin file; a missing file gives a null pixmap. Cached.
QPixmap SkinImage(const QString& skinFolder, const QString& file);
// Draws an image into `bounds`, or into its dest rectangle inside `bounds`.
void DrawImage(QPainter& painter, const QString& skinFolder, const ImageSpec& image,
               const QRect& bounds);

}  // namespace ui
