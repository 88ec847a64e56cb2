// Build tool: renders one of the program's SVG pictures to a square PNG of the given size (for
// the icon theme's fixed-size folders, and for Windows builds, whose Qt has no SVG module), or
// to a Windows .ico holding it at every size Explorer asks for.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QImage Render(QSvgRenderer& svg, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  svg.render(&painter);
  painter.end();
  return image;
}

void AppendLe16(QByteArray& out, int value) {
  const quint16 v = qToLittleEndian(static_cast<quint16>(value));
  out.append(reinterpret_cast<const char*>(&v), 2);
}

void AppendLe32(QByteArray& out, quint32 value) {
  const quint32 v = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&v), 4);
}

// An .ico whose entries are PNG streams (read by every Windows since Vista): a 6-byte header,
// one 16-byte directory entry per size, then the images.
bool SaveIco(QSvgRenderer& svg, const QString& path) {
  const std::vector<int> sizes{16, 20, 24, 32, 40, 48, 64, 128, 256};
  std::vector<QByteArray> pngs;
  for (int size : sizes) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!Render(svg, size).save(&buffer, "PNG")) return false;
    pngs.push_back(png);
  }
  QByteArray out;
  AppendLe16(out, 0);
  AppendLe16(out, 1);  // an icon, not a cursor
  AppendLe16(out, static_cast<int>(sizes.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    out.append(static_cast<char>(sizes[i] % 256));  // 0 stands for 256
    out.append(static_cast<char>(sizes[i] % 256));
    out.append('\0');  // no palette
    out.append('\0');
    AppendLe16(out, 1);   // colour planes
    AppendLe16(out, 32);  // bits per pixel
    AppendLe32(out, static_cast<quint32>(pngs[i].size()));
    AppendLe32(out, offset);
    offset += static_cast<quint32>(pngs[i].size());
  }
  for (const QByteArray& png : pngs) out.append(png);
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: vlm-render-icon SVG SIZE PNG\n       vlm-render-icon SVG ico ICO\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");  // a build machine has no display
  QGuiApplication app(argc, argv);
  const bool ico = qstrcmp(argv[2], "ico") == 0;
  const int size = ico ? 256 : std::atoi(argv[2]);
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid() || size <= 0) {
    std::fprintf(stderr, "vlm-render-icon: cannot render %s at %s px\n", argv[1], argv[2]);
    return 1;
  }
  const QString out = QString::fromLocal8Bit(argv[3]);
  if (ico) return SaveIco(svg, out) ? 0 : 1;
  return Render(svg, size).save(out, "PNG") ? 0 : 1;
}
