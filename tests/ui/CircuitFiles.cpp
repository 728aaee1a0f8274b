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

// Header of a bitmap with a palette of black then white entries, put together by hand.
QByteArray PaletteHeader(int Width, int Height, int Bits, int Compression, int Colours,
                         int PixelBytes) {
  QByteArray bytes(54 + 4 * Colours, '\0');
  const auto put = [&](int At, quint32 Value, int Size) {
    for (int i = 0; i < Size; ++i)
      bytes[At + i] = static_cast<char>(Value >> (8 * i) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, bytes.size() + PixelBytes, 4);
  put(10, bytes.size(), 4);
  put(14, 40, 4);
  put(18, Width, 4);
  put(22, Height, 4);
  put(26, 1, 2);
  put(28, Bits, 2);
  put(30, Compression, 4);
  put(34, PixelBytes, 4);
  put(46, Colours, 4);
  for (int i = 1; i < Colours; ++i)
    put(54 + 4 * i, 0xFFFFFF, 4);
  return bytes;
}

// A run-length coded bitmap (RLE8, or RLE4 at 4 bits) of the picture, black where Black says,
// white elsewhere: runs of one colour, each row begun with three pixels given one by one (the
// coding's other kind of record), ended by its end-of-row mark, then the end-of-picture mark.
QByteArray RunLengthBmp(int Bits, const QImage& Picture) {
  const int w = Picture.width(), h = Picture.height();
  const auto index = [&](int X, int Y) { return Picture.pixelColor(X, Y) == Qt::black ? 0 : 1; };
  QByteArray data;
  for (int y = h - 1; y >= 0; --y) { // bottom up
    data.append('\0').append('\3');
    if (Bits == 8) {
      for (int x = 0; x < 3; ++x)
        data.append(static_cast<char>(index(x, y)));
      data.append('\0'); // padding to a whole 16-bit word
    } else {
      data.append(static_cast<char>(index(0, y) << 4 | index(1, y)));
      data.append(static_cast<char>(index(2, y) << 4));
    }
    for (int x = 3; x < w;) {
      int n = 1;
      while (x + n < w && n < 255 && index(x + n, y) == index(x, y))
        ++n;
      const int i = index(x, y);
      data.append(static_cast<char>(n)).append(static_cast<char>(Bits == 8 ? i : i << 4 | i));
      x += n;
    }
    data.append('\0').append('\0');
  }
  data.append('\0').append('\1');
  return PaletteHeader(w, h, Bits, Bits == 8 ? 1 : 2, Bits == 8 ? 256 : 16,
                       static_cast<int>(data.size())) +
         data;
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

  // Run-length coded: complete ones load, cut-off ones would leave their last rows black.
  QImage coded = Filled(800, 600, Qt::white);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      if ((x / 40 + y / 40) % 2 == 0)
        coded.setPixelColor(x, y, Qt::black);
  for (int bits : {8, 4}) {
    const std::string kind = bits == 8 ? "RLE8" : "RLE4";
    const QByteArray bytes = RunLengthBmp(bits, coded);
    const QString complete = Folder.filePath(QString::fromStdString(kind) + ".bmp");
    WriteBytes(complete, bytes);
    loads("a complete " + kind + " bitmap", complete, coded);
    const QString cut = Folder.filePath(QString::fromStdString(kind) + "-cut.bmp");
    WriteBytes(cut, bytes.left(bytes.size() / 2));
    refused("a truncated " + kind + " bitmap", cut, "the file is truncated");
  }

  // A header that claims 2147483647 by 2147483647 pixels at 32 bits: no product of its sizes may
  // wrap, nor may the picture be allocated.
  const QString huge = Folder.filePath("huge.bmp");
  QByteArray hugeBytes = PaletteHeader(1, 1, 32, 0, 0, 4);
  for (int at : {18, 22}) {
    hugeBytes[at] = hugeBytes[at + 1] = hugeBytes[at + 2] = static_cast<char>(0xFF);
    hugeBytes[at + 3] = 0x7F;
  }
  WriteBytes(huge, hugeBytes + QByteArray(4, '\xFF'));
  refused("a header claiming 2147483647 by 2147483647 pixels", huge,
          "2147483647 by 2147483647 pixels");

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
