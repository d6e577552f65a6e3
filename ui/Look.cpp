#include "ui/Look.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>

namespace ui {

QColor ParseColor(const QString& value) {
  QString v = value.trimmed();
  if (v.startsWith('#')) v = v.mid(1);
  bool ok = false;
  const quint32 argb = v.toUInt(&ok, 16);
  if (!ok) return QColor();
  if (v.size() <= 6) return QColor::fromRgb(0xFF000000u | argb);
  return QColor::fromRgba(argb);
}

QMargins ParseMargins(const QString& value) {
  const QStringList parts = value.split(',');
  int n[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4 && i < parts.size(); ++i) n[i] = parts[i].trimmed().toInt();
  return QMargins(n[0], n[1], n[2], n[3]);
}

QRect ParseRect(const QString& value) {
  const QMargins m = ParseMargins(value);
  return QRect(QPoint(m.left(), m.top()), QPoint(m.right() - 1, m.bottom() - 1));
}

QSize ParseSize(const QString& value) {
  const QMargins m = ParseMargins(value);
  return QSize(m.left(), m.top());
}

bool ParseBool(const QString& value) {
  return value.trimmed().compare("true", Qt::CaseInsensitive) == 0;
}

ImageSpec ParseImage(const QString& value) {
  ImageSpec spec;
  if (!value.contains('=')) {
    spec.file = value.trimmed();
  } else {
    static const QRegularExpression kPart(R"((\w+)\s*=\s*'([^']*)')");
    auto it = kPart.globalMatch(value);
    while (it.hasNext()) {
      const auto m = it.next();
      const QString key = m.captured(1).toLower();
      if (key == "file")
        spec.file = m.captured(2);
      else if (key == "dest")
        spec.dest = ParseRect(m.captured(2));
      else if (key == "corner")
        spec.corner = ParseMargins(m.captured(2));
    }
  }
  spec.file.replace('\\', '/');
  return spec;
}

QPixmap SkinImage(const QString& skinFolder, const QString& file) {
  static QHash<QString, QPixmap> cache;
  const QString path = skinFolder + '/' + file;
  auto it = cache.find(path);
  if (it != cache.end()) return *it;
  QPixmap pixmap;
  // On a screen scaled by more than one the name@2x.png beside the picture is drawn where
  // there is one, so pictures stay sharp; it keeps the picture's size in the layout.
  const QString doubled = QString(path).replace(QRegularExpression("\\.png$"), "@2x.png");
  const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
  if (ratio > 1.0 && doubled != path && QFileInfo::exists(doubled) && pixmap.load(doubled))
    pixmap.setDevicePixelRatio(2.0);
  else if (QFileInfo::exists(path))
    pixmap.load(path);
  cache.insert(path, pixmap);
  return pixmap;
}

void DrawImage(QPainter& painter, const QString& skinFolder, const ImageSpec& image,
               const QRect& bounds) {
  if (image.empty()) return;
  const QPixmap pixmap = SkinImage(skinFolder, image.file);
  if (pixmap.isNull()) return;
  const QRect target = image.dest.isEmpty() ? bounds : image.dest.translated(bounds.topLeft());
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(target, pixmap);
  painter.restore();
}

}  // namespace ui
