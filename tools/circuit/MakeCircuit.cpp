// Draws the built-in circuit of the window: 800 by 600 pixels, white road, pure black out of track,
// written as an uncompressed 24-bit BMP. Standard C++ only, so that the picture can be redrawn on
// any machine; the output is committed and embedded in the Qt adapters, this program is only run by
// hand when the outline changes:
//
//   make-circuit src/ui/qt/circuit/DefaultCircuit.bmp
//
// The road is one rounded region (a superellipse, squarer than an ellipse) with two smooth bays
// pressed into its outline. A rounded black island lies left of the centre; a rounded black notch
// comes in from the left edge at mid-height and leaves a corridor of about 65 pixels between
// itself and the island, so that the left side of the circuit is a narrow chicane and the right
// side an open sweep. Each pixel is tested at its centre and is either pure white or pure black.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int Width = 800;  // pixels
constexpr int Height = 600; // pixels

// A smooth bay pressed into the outer outline: the outline's relative radius shrinks by Depth at
// the polar angle Angle (radians, measured on the normalised outline, y downward) and by less
// with the angular distance, as a bell of width Spread (radians).
struct TBay {
  double Angle, Depth, Spread;
};

// A stadium: all points within R of the segment (X1, Y) - (X2, Y).
struct TStadium {
  double X1, X2, Y, R;
  bool Contains(double x, double y) const {
    const double nearest = std::clamp(x, X1, X2);
    return std::hypot(x - nearest, y - Y) <= R;
  }
};

// The outer outline. The white pixels span columns 97 to 758 and rows 30 to 590.
constexpr double OuterCX = 428.0, OuterCY = 310.5; // centre, pixels
constexpr double OuterA = 331.0, OuterB = 280.5;   // half axes, pixels
constexpr double OuterExponent = 2.6;              // 2 is an ellipse, larger is squarer

// Two bays pressed into the outline, so the outer edge is not one plain curve.
const TBay Bays[] = {
    {-1.05, 0.10, 0.25}, // in the top straight, right of the centre
    {0.95, 0.08, 0.30},  // in the bottom right
};

// The island, left of the centre: columns 237 to 484, rows 280 to 368.
const TStadium Island{281.5, 440.5, 324.5, 44.5};

// The notch from the left edge, centred on mid-height, its round tip reaching column 171.
const TStadium Notch{-100.0, 142.0, 300.0, 30.0};

bool IsRoad(double x, double y) {
  const double u = (x - OuterCX) / OuterA;
  const double v = (y - OuterCY) / OuterB;
  const double radius =
      std::pow(std::pow(std::abs(u), OuterExponent) + std::pow(std::abs(v), OuterExponent),
               1.0 / OuterExponent);
  const double angle = std::atan2(v, u);
  double limit = 1.0;
  for (const TBay& bay : Bays) {
    const double distance = std::remainder(angle - bay.Angle, 2.0 * std::numbers::pi);
    limit -= bay.Depth * std::exp(-(distance / bay.Spread) * (distance / bay.Spread));
  }
  if (radius > limit)
    return false;
  return !Island.Contains(x, y) && !Notch.Contains(x, y);
}

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A BMP file: file header, 40-byte info header, rows bottom-up as blue, green, red.
std::vector<uint8_t> EncodeBmp(const std::vector<uint8_t>& road) {
  const uint32_t rowBytes = Width * 3; // 2400, already a multiple of 4
  const uint32_t pixelBytes = rowBytes * Height;
  const uint32_t offset = 14 + 40;
  std::vector<uint8_t> out;
  out.reserve(offset + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  PutLE(out, offset + pixelBytes, 4);
  PutLE(out, 0, 4); // reserved
  PutLE(out, offset, 4);
  PutLE(out, 40, 4);
  PutLE(out, Width, 4);
  PutLE(out, Height, 4); // positive: bottom-up
  PutLE(out, 1, 2);      // planes
  PutLE(out, 24, 2);     // bits per pixel
  PutLE(out, 0, 4);      // no compression
  PutLE(out, pixelBytes, 4);
  PutLE(out, 2835, 4); // 72 dots per inch, in dots per metre
  PutLE(out, 2835, 4);
  PutLE(out, 0, 4); // no palette
  PutLE(out, 0, 4);
  for (int y = Height - 1; y >= 0; --y)
    for (int x = 0; x < Width; ++x) {
      const uint8_t level = road[static_cast<size_t>(y) * Width + x] ? 255 : 0;
      out.insert(out.end(), 3, level);
    }
  return out;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-circuit OUTPUT.bmp\n";
    return 2;
  }
  std::vector<uint8_t> road(static_cast<size_t>(Width) * Height);
  size_t white = 0;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const bool isRoad = IsRoad(x + 0.5, y + 0.5);
      road[static_cast<size_t>(y) * Width + x] = isRoad;
      white += isRoad;
    }
  const std::vector<uint8_t> bytes = EncodeBmp(road);
  std::ofstream file(argv[1], std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::cerr << "make-circuit: cannot write " << argv[1] << "\n";
    return 1;
  }
  std::printf("%s: %dx%d, road %.2f %% of the pixels\n", argv[1], Width, Height,
              100.0 * static_cast<double>(white) / (static_cast<double>(Width) * Height));
  return 0;
}
