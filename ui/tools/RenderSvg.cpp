// Renders one SVG picture of the skin to PNG at the size its view box gives, or SCALE times
// that (the name@2x.png pictures for scaled screens), for the build.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const int scale = argc == 4 ? std::atoi(argv[3]) : 1;
  if ((argc != 3 && argc != 4) || scale < 1) {
    std::fprintf(stderr, "usage: orb-render-svg IN.svg OUT.png [SCALE]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "orb-render-svg: cannot read %s\n", argv[1]);
    return 1;
  }
  const QSize size = renderer.defaultSize() * scale;
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  painter.end();
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(QFileInfo(out).absolutePath());
  if (!image.save(out, "PNG")) {
    std::fprintf(stderr, "orb-render-svg: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
