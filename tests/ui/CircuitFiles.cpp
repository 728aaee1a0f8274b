#include "CircuitFiles.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A checkerboard of pure black and a colour that is nearly black: only pure black is off road.
// Made as a palette picture (index 0 black, 1 nearly black) and converted to the format asked.
QImage Checkerboard(int Width, int Height, QImage::Format Format) {
  QImage image(Width, Height, QImage::Format_Indexed8);
  QList<QRgb> colours(256, qRgb(128, 128, 128));
  colours[0] = qRgb(0, 0, 0);
  colours[1] = qRgb(0, 0, 1);
  image.setColorTable(colours);
  for (int y = 0; y < Height; ++y) {
    uchar* row = image.scanLine(y);
    for (int x = 0; x < Width; ++x)
      row[x] = (x / 16 + y / 16) % 2 == 0 ? 0 : 1;
  }
  return Format == QImage::Format_Indexed8 ? image : image.convertToFormat(Format);
}

QImage Filled(int Width, int Height, const QColor& Color) {
  QImage image(Width, Height, QImage::Format_RGB888);
  image.fill(Color);
  return image;
}

void WriteBytes(const QString& File, const QByteArray& Bytes) {
  QFile file(File);
  if (!file.open(QIODevice::WriteOnly) || file.write(Bytes) != Bytes.size())
    ADD_FAILURE() << "cannot write " << File.toStdString();
}

QByteArray ReadBytes(const QString& File) {
  QFile file(File);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Saves through the toolkit and checks that the file has the bits per pixel the case is about.
QString Save(const QImage& Image, const QString& File, int Bits) {
  if (!Image.save(File, "BMP"))
    ADD_FAILURE() << "cannot write " << File.toStdString();
  const QByteArray bytes = ReadBytes(File);
  if (bytes.size() < 54 || bytes[28] != Bits)
    ADD_FAILURE() << File.toStdString() << " is not a " << Bits << "-bit bitmap";
  return File;
}

// The toolkit writes 32-bit images as 24-bit bitmaps, so this one is put together by hand: rows
// bottom up, blue, green, red and a fourth byte of 0, as most programs leave it.
QString Save32Bit(const QImage& Image, const QString& File) {
  const QImage rgb = Image.convertToFormat(QImage::Format_RGB32);
  const int w = rgb.width(), h = rgb.height();
  QByteArray bytes(54 + 4 * w * h, '\0');
  char* p = bytes.data();
  const auto put = [&](int At, quint32 Value, int Size) {
    for (int i = 0; i < Size; ++i)
      p[At + i] = static_cast<char>(Value >> (8 * i) & 0xFF);
  };
  p[0] = 'B';
  p[1] = 'M';
  put(2, bytes.size(), 4);
  put(10, 54, 4); // where the pixels start
  put(14, 40, 4); // the size of the header that follows
  put(18, w, 4);
  put(22, h, 4);
  put(26, 1, 2);  // planes
  put(28, 32, 2); // bits per pixel
  for (int y = 0; y < h; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      char* px = p + 54 + 4 * ((h - 1 - y) * w + x);
      px[0] = static_cast<char>(qBlue(row[x]));
      px[1] = static_cast<char>(qGreen(row[x]));
      px[2] = static_cast<char>(qRed(row[x]));
    }
  }
  WriteBytes(File, bytes);
  return File;
}

} // namespace

std::vector<TCircuitFile> WriteCircuitFiles(const QDir& Folder) {
  std::vector<TCircuitFile> files;
  const auto refused = [&](std::string Name, const QString& File, std::string Refusal) {
    files.push_back({std::move(Name), File, QImage(), std::move(Refusal)});
  };
  const auto loads = [&](std::string Name, const QString& File, const QImage& Expected) {
    files.push_back({std::move(Name), File, Expected, ""});
  };

  const QString empty = Folder.filePath("empty.bmp");
  WriteBytes(empty, {});
  refused("a 0-byte file", empty, "the file is empty");

  const QString whole = Save(Filled(800, 600, Qt::white), Folder.filePath("whole.bmp"), 24);
  const QString cut = Folder.filePath("truncated.bmp");
  WriteBytes(cut, ReadBytes(whole).left(54 + 800 * 3 * 300));
  refused("a truncated bitmap", cut, "the file is truncated");

  const QString text = Folder.filePath("notes.BMP");
  WriteBytes(text, "step,player,kind\n1,0,kart\n");
  refused("a text file named .BMP", text, "notes.BMP");

  const QString folder = Folder.filePath("folder.bmp");
  Folder.mkpath("folder.bmp");
  refused("a folder", folder, "a folder");

  const QImage one = Filled(1, 1, Qt::white);
  loads("a 1 by 1 bitmap", Save(one, Folder.filePath("one.bmp"), 24), one);
  const QImage black = Filled(800, 600, Qt::black);
  loads("an all-black bitmap", Save(black, Folder.filePath("black.bmp"), 24), black);
  const QImage white = Filled(800, 600, Qt::white);
  loads("an all-white bitmap", Save(white, Folder.filePath("white.bmp"), 24), white);
  const QImage big = Checkerboard(4000, 3000, QImage::Format_RGB888);
  loads("a 4000 by 3000 bitmap", Save(big, Folder.filePath("big.bmp"), 24), big);

  // 256 colours, so that the toolkit writes 8 bits per pixel rather than 4.
  const QImage palette = Checkerboard(800, 600, QImage::Format_Indexed8);
  loads("an 8-bit palette bitmap", Save(palette, Folder.filePath("palette.bmp"), 8), palette);

  const QImage deep = Checkerboard(800, 600, QImage::Format_RGB32);
  loads("a 32-bit bitmap", Save32Bit(deep, Folder.filePath("deep.bmp")), deep);
  return files;
}

QString WriteUnreadableCircuit(const QDir& Folder) {
  const QString file = Save(Filled(800, 600, Qt::white), Folder.filePath("locked.bmp"), 24);
  QFile::setPermissions(file, QFileDevice::Permissions());
  return file;
}
