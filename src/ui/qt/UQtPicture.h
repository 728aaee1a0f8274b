#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/UPicture.h"
#include "ui/qt/UQtCanvas.h"

// A picture held as a QImage in 24-bit RGB (QImage::Format_RGB888), the format of the circuits
// and of the saved frames. Pixel answers colours packed as MakeColor packs them (red in the low
// byte). Drawing goes through Canvas(); every reading access (Pixel, CopyFrom, Clone, Image,
// SaveBmp) first finishes the canvas's painting, so it always sees every figure drawn so far.
//
// Copies share the image data until one of them is drawn on (the QImage's own copy on write), so
// Clone and CopyFrom from another TQtPicture cost no pixel copy; the wipe to the clean circuit
// that the world does at every step is one of them.
class TQtPicture : public TPicture {
public:
  // A picture of the given size filled with one packed colour (white by default).
  TQtPicture(int32_t Width, int32_t Height, int32_t Color = 0xFFFFFF);
  // A picture with the content of the image, converted to 24-bit RGB.
  explicit TQtPicture(const QImage& Image);
  ~TQtPicture() override;
  TQtPicture(const TQtPicture&) = delete;
  TQtPicture& operator=(const TQtPicture&) = delete;

  // The largest picture read, pixels: a header that claims more is refused before any
  // allocation (800 by 600 is the usual circuit).
  static constexpr int64_t MaxPixels = 100000000;

  // Reads a BMP file. Raises EError naming the file when it cannot be read as a bitmap, is not a
  // regular file (refused without opening it), is cut off, or claims an impossible size.
  static std::unique_ptr<TQtPicture> LoadBmp(const QString& FileName);
  // The same, for a name given as the bytes the system knows the file by (any encoding).
  static std::unique_ptr<TQtPicture> LoadBmpBytes(const std::string& NativeName);
  // The image in 24-bit RGB, converted on the calling thread alone.
  static QImage ToRgb888(const QImage& Image);
  // The circuit built into the program (800 by 600, pure black out of track).
  static std::unique_ptr<TQtPicture> LoadDefaultCircuit();
  // The resource path of that circuit.
  static const QString& DefaultCircuitResource();
  // Writes the picture as a 24-bit BMP file, replacing an existing one, or into a FIFO or device
  // (TOutputFile, whose flags these are). Raises EError naming the file when it cannot be
  // written, with the system's reason.
  void SaveBmp(const QString& FileName, unsigned Flags = 0) const;
  // The same, for a name given as the bytes the system knows the file by (any encoding).
  void SaveBmpBytes(const std::string& NativeName, unsigned Flags = 0) const;

  int32_t Width() const override { return FImage.width(); }
  int32_t Height() const override { return FImage.height(); }
  // Raises ERangeError for a pixel outside the picture.
  int32_t Pixel(int32_t X, int32_t Y) const override;
  void CopyFrom(const TPicture& Source) override;
  std::unique_ptr<TPicture> Clone() const override;
  TCanvas& Canvas() override { return FCanvas; }
  TQtCanvas& QtCanvas() { return FCanvas; }

  // The image as it is now, for display; valid until the next change of the picture.
  const QImage& Image() const;
  // Replaces the content (and size) with that of the image, converted to 24-bit RGB.
  void SetImage(const QImage& Image);

private:
  QImage FImage;
  // Finishing the painting changes nothing that can be seen, so reading accesses may do it.
  mutable TQtCanvas FCanvas{FImage};
};
