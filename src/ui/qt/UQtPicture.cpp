#include "ui/qt/UQtPicture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/UErrors.h"
#include "ui/qt/UOutputFile.h"

namespace {

// The toolkit's reason, as the end of a sentence of ours.
std::string Reason(const QString& Text) {
  QString reason = Text.trimmed();
  while (reason.endsWith('.'))
    reason.chop(1);
  return reason.isEmpty() ? std::string("unknown error") : reason.toStdString();
}

// Name: as given, bytes of any encoding included.
EError ReadError(const std::string& Name, const std::string& Why) {
  return EError("Cannot read the bitmap \"" + Name + "\": " + Why + ".");
}

uint32_t LittleEndian(const QByteArray& Bytes, qsizetype At, int Size) {
  uint32_t value = 0;
  for (int i = Size - 1; i >= 0; --i)
    value = value << 8 | static_cast<uint8_t>(Bytes[At + i]);
  return value;
}

// Checked products and sums: a header may claim any size, and a wrapped product would let a
// picture through that cannot be real.
int64_t Mul(int64_t A, int64_t B, bool& Overflow) {
  int64_t r = 0;
  Overflow = Overflow || __builtin_mul_overflow(A, B, &r);
  return r;
}

int64_t Add(int64_t A, int64_t B, bool& Overflow) {
  int64_t r = 0;
  Overflow = Overflow || __builtin_add_overflow(A, B, &r);
  return r;
}

// Whether run-length coded pixels reach the end of the picture: its end-of-bitmap mark, or every
// row. The toolkit's reader leaves what a cut-off stream lacks black, which is off-road.
bool RunLengthComplete(const QByteArray& Data, int64_t Width, int64_t Height, bool FourBits) {
  const auto byte = [&](qsizetype At) { return static_cast<uint8_t>(Data[At]); };
  const qsizetype n = Data.size();
  qsizetype i = 0;
  int64_t x = 0, y = 0;
  while (y < Height) {
    if (i + 2 > n)
      return y == Height - 1 && x >= Width;
    const uint8_t count = byte(i), code = byte(i + 1);
    i += 2;
    if (count > 0) { // a run of one colour (or two, alternating, at 4 bits)
      x += count;
      continue;
    }
    if (code == 0) { // end of row
      x = 0;
      ++y;
    } else if (code == 1) { // end of the picture
      return true;
    } else if (code == 2) { // move right and down
      if (i + 2 > n)
        return false;
      x += byte(i);
      y += byte(i + 1);
      i += 2;
    } else { // that many pixels given one by one, padded to whole 16-bit words
      qsizetype bytes = FourBits ? (code + 1) / 2 : code;
      bytes += bytes & 1;
      if (i + bytes > n)
        return y == Height - 1 && x + code >= Width && i + (FourBits ? (code + 1) / 2 : code) <= n;
      i += bytes;
      x += code;
    }
  }
  return true;
}

// The toolkit's reader fills the rows that a cut-off file lacks with whatever it likes and
// reports success, which would make a road of a half-copied circuit; and it would allocate
// whatever size a header claims. The header says how large the picture is and, for the
// uncompressed kinds, how long the file must be; a run-length coded one is walked to its end.
// Anything else the reader judges for itself.
void CheckComplete(const std::string& FileName, QFile& File) {
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
  width = std::abs(width);
  height = std::abs(height);
  bool overflow = false;
  const int64_t pixels = Mul(width, height, overflow);
  if (overflow || pixels > TQtPicture::MaxPixels)
    throw ReadError(FileName, "its header claims " + std::to_string(width) + " by " +
                                  std::to_string(height) + " pixels, more than the " +
                                  std::to_string(TQtPicture::MaxPixels) +
                                  " pixels a picture may have");
  constexpr int64_t Uncompressed = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6;
  if ((compression == Rle8 && bits == 8) || (compression == Rle4 && bits == 4)) {
    if (pixelsAt >= File.size() || !File.seek(pixelsAt))
      throw ReadError(FileName, "the file is truncated");
    const QByteArray data = File.readAll();
    File.seek(0);
    if (!RunLengthComplete(data, width, height, compression == Rle4))
      throw ReadError(FileName, "the file is truncated");
    return;
  }
  if (compression != Uncompressed && compression != BitFields && compression != AlphaBitFields)
    return;
  if (bits < 1 || bits > 32) // not a bitmap of any kind the reader knows: it says so itself
    return;
  const int64_t rowBytes = Mul(Add(Mul(width, bits, overflow), 31, overflow) / 32, 4, overflow);
  const int64_t needed = Add(pixelsAt, Mul(rowBytes, height, overflow), overflow);
  if (overflow || needed > File.size())
    throw ReadError(FileName, "the file is truncated");
}

// Opens the file by the bytes of its name. Anything but a regular file is refused before it is
// opened: opening a FIFO would wait for a writer for good. Opened without waiting all the same,
// in case the file was swapped for one in between.
int OpenRegular(const std::string& NativeName, const std::string& FileName) {
  struct stat st {};
  if (::stat(NativeName.c_str(), &st) != 0)
    throw ReadError(FileName, std::system_category().message(errno));
  if (S_ISDIR(st.st_mode))
    throw ReadError(FileName, "it is a folder, not a file");
  if (!S_ISREG(st.st_mode))
    throw ReadError(FileName, "it is not a regular file");
  const int fd = ::open(NativeName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    throw ReadError(FileName, std::system_category().message(errno));
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw ReadError(FileName, "it is not a regular file");
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

QImage DecodeBmp(const std::string& FileName, QFile& File) {
  CheckComplete(FileName, File);
  QImageReader reader(&File, "bmp");
  // Only a bitmap: a file of another kind under a .bmp name is an error, not a surprise.
  reader.setAutoDetectImageFormat(false);
  QImage image = reader.read();
  if (image.isNull())
    throw ReadError(FileName, Reason(reader.errorString()));
  return TQtPicture::ToRgb888(image);
}

QImage ReadBmp(const std::string& NativeName, const std::string& FileName) {
  // The program's resources are no files of the system.
  if (NativeName.rfind(":/", 0) == 0) {
    QFile file(QString::fromStdString(NativeName));
    if (!file.open(QIODevice::ReadOnly))
      throw ReadError(FileName, Reason(file.errorString()));
    return DecodeBmp(FileName, file);
  }
  const int fd = OpenRegular(NativeName, FileName);
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw ReadError(FileName, Reason(file.errorString()));
  }
  return DecodeBmp(FileName, file);
}

} // namespace

QImage TQtPicture::ToRgb888(const QImage& Image) {
  if (Image.format() == QImage::Format_RGB888 || Image.isNull())
    return Image;
  // The toolkit converts a picture of 65,536 pixels or more on its thread pool and waits for it:
  // for ever where no thread can start (a limit on processes). Strips of fewer pixels (or of one
  // row) it converts on the calling thread.
  const int width = Image.width(), height = Image.height();
  const int rows = std::max(1, 65535 / width);
  if (height <= rows)
    return Image.convertToFormat(QImage::Format_RGB888);
  QImage rgb(width, height, QImage::Format_RGB888);
  if (rgb.isNull())
    return rgb; // no memory for it
  for (int top = 0; top < height; top += rows) {
    const QImage strip = Image.copy(0, top, width, std::min(rows, height - top))
                             .convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < strip.height(); ++y)
      std::memcpy(rgb.scanLine(top + y), strip.constScanLine(y), static_cast<size_t>(width) * 3);
  }
  return rgb;
}

TQtPicture::TQtPicture(int32_t Width, int32_t Height, int32_t Color)
    : FImage(Width, Height, QImage::Format_RGB888) {
  FImage.fill(TQtCanvas::ToQColor(Color));
}

TQtPicture::TQtPicture(const QImage& Image) : FImage(ToRgb888(Image)) {}

// The canvas, destroyed before the image, finishes its painting.
TQtPicture::~TQtPicture() = default;

std::unique_ptr<TQtPicture> TQtPicture::LoadBmp(const QString& FileName) {
  return std::make_unique<TQtPicture>(
      ReadBmp(TOutputFile::NativeName(FileName), FileName.toStdString()));
}

std::unique_ptr<TQtPicture> TQtPicture::LoadBmpBytes(const std::string& NativeName) {
  // The message names the file by its bytes, whatever they are.
  return std::make_unique<TQtPicture>(ReadBmp(NativeName, NativeName));
}

const QString& TQtPicture::DefaultCircuitResource() {
  static const QString path = QStringLiteral(":/kartsim/circuit/DefaultCircuit.bmp");
  return path;
}

std::unique_ptr<TQtPicture> TQtPicture::LoadDefaultCircuit() {
  return LoadBmp(DefaultCircuitResource());
}

void TQtPicture::SaveBmp(const QString& FileName, unsigned Flags) const {
  SaveBmpBytes(TOutputFile::NativeName(FileName), Flags);
}

void TQtPicture::SaveBmpBytes(const std::string& NativeName, unsigned Flags) const {
  // Encoded whole before the file is touched; TOutputFile keeps a failure half way (a full disk)
  // from leaving a cut-off picture or harming the file it was to replace.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "bmp");
  if (!writer.write(Image()))
    throw EError("Cannot write the bitmap \"" + NativeName + "\": " + Reason(writer.errorString()) +
                 ".");
  TOutputFile file(NativeName, "the bitmap", Flags);
  file.Write(bytes);
  file.Commit();
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
