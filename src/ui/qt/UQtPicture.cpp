#include "ui/qt/UQtPicture.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdlib>
#include <string>

#include "platform/UErrors.h"

namespace {

QImage ToRgb888(const QImage& Image) {
  if (Image.format() == QImage::Format_RGB888)
    return Image;
  return Image.convertToFormat(QImage::Format_RGB888);
}

std::string Quoted(const QString& FileName) {
  return "\"" + FileName.toStdString() + "\"";
}

// The toolkit's reason, as the end of a sentence of ours.
std::string Reason(const QString& Text) {
  QString reason = Text.trimmed();
  while (reason.endsWith('.'))
    reason.chop(1);
  return reason.isEmpty() ? std::string("unknown error") : reason.toStdString();
}

EError ReadError(const QString& FileName, const std::string& Why) {
  return EError("Cannot read the bitmap " + Quoted(FileName) + ": " + Why + ".");
}

uint32_t LittleEndian(const QByteArray& Bytes, qsizetype At, int Size) {
  uint32_t value = 0;
  for (int i = Size - 1; i >= 0; --i)
    value = value << 8 | static_cast<uint8_t>(Bytes[At + i]);
  return value;
}

// The toolkit's reader fills the rows that a cut-off file lacks with whatever it likes and
// reports success, which would make a road of a half-copied circuit. For the uncompressed kinds
// the header says how long the file must be: shorter is refused here. Anything else the reader
// judges for itself.
void CheckComplete(const QString& FileName, QFile& File) {
  constexpr qsizetype FileHeader = 14, CoreHeader = 12, InfoHeader = 40;
  if (File.size() == 0)
    throw ReadError(FileName, "the file is empty");
  const QByteArray header = File.peek(FileHeader + InfoHeader);
  if (header.size() < FileHeader + CoreHeader || !header.startsWith("BM"))
    return;
  const uint32_t pixelsAt = LittleEndian(header, 10, 4);
  const uint32_t headerSize = LittleEndian(header, FileHeader, 4);
  int64_t width = 0, height = 0, bits = 0, compression = 0;
  if (headerSize == CoreHeader) {
    width = LittleEndian(header, 18, 2);
    height = LittleEndian(header, 20, 2);
    bits = LittleEndian(header, 24, 2);
  } else if (headerSize >= InfoHeader && header.size() >= FileHeader + InfoHeader) {
    width = static_cast<int32_t>(LittleEndian(header, 18, 4));
    height = static_cast<int32_t>(LittleEndian(header, 22, 4)); // below 0: stored top down
    bits = LittleEndian(header, 28, 2);
    compression = LittleEndian(header, 30, 4);
  } else {
    return;
  }
  constexpr int64_t Uncompressed = 0, BitFields = 3, AlphaBitFields = 6;
  if (compression != Uncompressed && compression != BitFields && compression != AlphaBitFields)
    return;
  if (bits < 1 || bits > 32) // not a bitmap of any kind the reader knows: it says so itself
    return;
  const int64_t rowheader = (std::abs(width) * bits + 31) / 32 * 4;
  if (static_cast<int64_t>(pixelsAt) + rowheader * std::abs(height) > File.size())
    throw ReadError(FileName, "the file is truncated");
}

QImage ReadBmp(const QString& FileName) {
  // Opened here so that a missing or unreadable file is reported as such.
  if (QFileInfo(FileName).isDir())
    throw ReadError(FileName, "it is a folder, not a file");
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly))
    throw ReadError(FileName, Reason(file.errorString()));
  CheckComplete(FileName, file);
  QImageReader reader(&file, "bmp");
  // Only a bitmap: a file of another kind under a .bmp name is an error, not a surprise.
  reader.setAutoDetectImageFormat(false);
  QImage image = reader.read();
  if (image.isNull())
    throw ReadError(FileName, Reason(reader.errorString()));
  return ToRgb888(image);
}

} // namespace

TQtPicture::TQtPicture(int32_t Width, int32_t Height, int32_t Color)
    : FImage(Width, Height, QImage::Format_RGB888) {
  FImage.fill(TQtCanvas::ToQColor(Color));
}

TQtPicture::TQtPicture(const QImage& Image) : FImage(ToRgb888(Image)) {}

// The canvas, destroyed before the image, finishes its painting.
TQtPicture::~TQtPicture() = default;

std::unique_ptr<TQtPicture> TQtPicture::LoadBmp(const QString& FileName) {
  return std::make_unique<TQtPicture>(ReadBmp(FileName));
}

const QString& TQtPicture::DefaultCircuitResource() {
  static const QString path = QStringLiteral(":/kartsim/circuit/DefaultCircuit.bmp");
  return path;
}

std::unique_ptr<TQtPicture> TQtPicture::LoadDefaultCircuit() {
  return LoadBmp(DefaultCircuitResource());
}

void TQtPicture::SaveBmp(const QString& FileName) const {
  // Written under a temporary name that takes the file's name once complete: a failure half way
  // (a full disk) leaves no cut-off picture behind, nor harms the file it was to replace.
  QSaveFile file(FileName);
  const auto fail = [&](const QString& Why) {
    return EError("Cannot write the bitmap " + Quoted(FileName) + ": " + Reason(Why) + ".");
  };
  if (!file.open(QIODevice::WriteOnly))
    throw fail(file.errorString());
  QImageWriter writer(&file, "bmp");
  if (!writer.write(Image()))
    throw fail(writer.errorString());
  if (!file.commit())
    throw fail(file.errorString());
}

int32_t TQtPicture::Pixel(int32_t X, int32_t Y) const {
  if (X < 0 || Y < 0 || X >= FImage.width() || Y >= FImage.height())
    throw ERangeError("Pixel index out of bounds (" + std::to_string(X) + ", " + std::to_string(Y) +
                      ")");
  FCanvas.Finish();
  const uchar* rgb = FImage.constScanLine(Y) + 3 * static_cast<ptrdiff_t>(X);
  return rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
}

void TQtPicture::CopyFrom(const TPicture& Source) {
  if (&Source == this)
    return;
  FCanvas.Finish();
  // Not on the futures' path (once per step at most), so the class test costs nothing there.
  if (const auto* qtSource = dynamic_cast<const TQtPicture*>(&Source)) {
    FImage = qtSource->Image();
    return;
  }
  QImage copy(Source.Width(), Source.Height(), QImage::Format_RGB888);
  for (int32_t y = 0; y < copy.height(); ++y) {
    uchar* row = copy.scanLine(y);
    for (int32_t x = 0; x < copy.width(); ++x) {
      const uint32_t packed = static_cast<uint32_t>(Source.Pixel(x, y));
      row[3 * x] = static_cast<uchar>(packed & 0xFF);
      row[3 * x + 1] = static_cast<uchar>((packed >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<uchar>((packed >> 16) & 0xFF);
    }
  }
  FImage = std::move(copy);
}

std::unique_ptr<TPicture> TQtPicture::Clone() const {
  return std::make_unique<TQtPicture>(Image());
}

const QImage& TQtPicture::Image() const {
  FCanvas.Finish();
  return FImage;
}

void TQtPicture::SetImage(const QImage& Image) {
  FCanvas.Finish();
  FImage = ToRgb888(Image);
}
