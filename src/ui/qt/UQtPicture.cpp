#include "ui/qt/UQtPicture.h"

#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <cstring>
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

QImage ReadBmp(const QString& FileName) {
  // Opened here so that a missing or unreadable file is reported as such.
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EError("Cannot read the bitmap " + Quoted(FileName) + ": " + Reason(file.errorString()) +
                 ".");
  QImageReader reader(&file, "bmp");
  // Only a bitmap: a file of another kind under a .bmp name is an error, not a surprise.
  reader.setAutoDetectImageFormat(false);
  QImage image = reader.read();
  if (image.isNull())
    throw EError("Cannot read the bitmap " + Quoted(FileName) + ": " +
                 Reason(reader.errorString()) + ".");
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
  QImageWriter writer(FileName, "bmp");
  if (!writer.write(Image()))
    throw EError("Cannot write the bitmap " + Quoted(FileName) + ": " +
                 Reason(writer.errorString()) + ".");
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

void TQtPicture::Overlay(const TPicture& Layer, const TPicture& Base) {
  const auto* layer = dynamic_cast<const TQtPicture*>(&Layer);
  const auto* base = dynamic_cast<const TQtPicture*>(&Base);
  if (layer == nullptr || base == nullptr)
    throw EError("Only a picture of the same kind can be laid over a picture.");
  const QImage& l = layer->Image();
  const QImage& b = base->Image();
  // Nothing was drawn on the layer: it still shares the clean picture's pixels.
  if (l.constBits() == b.constBits())
    return;
  FCanvas.Finish();
  if (l.size() != b.size() || l.size() != FImage.size())
    throw EError("Only a picture of the same size can be laid over a picture.");
  const int32_t rowBytes = 3 * FImage.width();
  for (int32_t y = 0; y < FImage.height(); ++y) {
    const uchar* lr = l.constScanLine(y);
    const uchar* br = b.constScanLine(y);
    if (std::memcmp(lr, br, rowBytes) == 0)
      continue;
    uchar* row = FImage.scanLine(y);
    for (int32_t i = 0; i < rowBytes; i += 3)
      if (lr[i] != br[i] || lr[i + 1] != br[i + 1] || lr[i + 2] != br[i + 2])
        std::memcpy(row + i, lr + i, 3);
  }
}

const QImage& TQtPicture::Image() const {
  FCanvas.Finish();
  return FImage;
}

void TQtPicture::SetImage(const QImage& Image) {
  FCanvas.Finish();
  FImage = ToRgb888(Image);
}
