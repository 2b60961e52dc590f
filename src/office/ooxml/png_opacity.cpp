// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ooxml/png_opacity.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace stampwell::ooxml {

namespace {

constexpr unsigned kOpaque = 240;  // an alpha from which a pixel counts as hiding the page
constexpr std::uint64_t kMaxBytes = 128u << 20;  // pictures larger unpacked are not read

std::uint32_t Big32(const std::string& d, std::size_t at) {
  return std::uint32_t(static_cast<unsigned char>(d[at])) << 24 |
         std::uint32_t(static_cast<unsigned char>(d[at + 1])) << 16 |
         std::uint32_t(static_cast<unsigned char>(d[at + 2])) << 8 |
         std::uint32_t(static_cast<unsigned char>(d[at + 3]));
}

// The image data of a PNG inflated, or false where it does not inflate to the expected size.
bool Inflate(const std::string& compressed, std::vector<unsigned char>& out) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  z.avail_in = static_cast<uInt>(compressed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&z, Z_FINISH);
  const bool whole = (rc == Z_STREAM_END || rc == Z_BUF_ERROR) && z.avail_out == 0;
  inflateEnd(&z);
  return whole;
}

unsigned char Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<unsigned char>(a);
  return static_cast<unsigned char>(pb <= pc ? b : c);
}

}  // namespace

double PngOpaqueShare(const std::string& data) {
  static const std::string kSignature("\x89PNG\r\n\x1A\n", 8);
  if (data.size() < 33 || data.compare(0, 8, kSignature) != 0 || data.compare(12, 4, "IHDR") != 0)
    return 0;
  const std::uint64_t width = Big32(data, 16), height = Big32(data, 20);
  const int depth = static_cast<unsigned char>(data[24]);
  const int colour = static_cast<unsigned char>(data[25]);
  const bool interlaced = data[28] != 0;
  std::string idat;
  std::array<unsigned char, 256> paletteAlpha;
  paletteAlpha.fill(255);
  bool transparencyChunk = false;
  for (std::size_t pos = 8; pos + 12 <= data.size();) {
    const std::uint32_t length = Big32(data, pos);
    if (length > data.size() - pos - 12) return 0;
    const std::string type = data.substr(pos + 4, 4);
    if (type == "IDAT") idat.append(data, pos + 8, length);
    if (type == "tRNS") {
      transparencyChunk = true;
      if (colour == 3)
        for (std::uint32_t i = 0; i < length && i < 256; ++i)
          paletteAlpha[i] = static_cast<unsigned char>(data[pos + 8 + i]);
    }
    if (type == "IEND") break;
    pos += 12 + length;
  }
  const bool alphaChannel = colour == 4 || colour == 6;
  if (!alphaChannel && !transparencyChunk) return 1;
  if (!alphaChannel && colour != 3) return 0;  // a colour key: not read
  if (interlaced || width == 0 || height == 0 || width > (1u << 24) || height > (1u << 24))
    return 0;
  if (colour == 3 ? depth > 8 : depth != 8 && depth != 16) return 0;
  const int channels = colour == 6 ? 4 : colour == 4 ? 2 : 1;
  const std::uint64_t bitsPerPixel = std::uint64_t(channels) * depth;
  const std::uint64_t stride = (width * bitsPerPixel + 7) / 8;
  const std::size_t bpp = std::max<std::size_t>(1, bitsPerPixel / 8);
  if ((stride + 1) * height > kMaxBytes) return 0;
  std::vector<unsigned char> raw((stride + 1) * height);
  if (!Inflate(idat, raw)) return 0;
  std::vector<unsigned char> previous(stride, 0), row(stride);
  std::uint64_t opaque = 0;
  for (std::uint64_t y = 0; y < height; ++y) {
    const unsigned char* line = raw.data() + y * (stride + 1);
    const int filter = line[0];
    for (std::uint64_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? row[i - bpp] : 0, b = previous[i];
      const int c = i >= bpp ? previous[i - bpp] : 0;
      const int x = line[1 + i];
      switch (filter) {
        case 0: row[i] = static_cast<unsigned char>(x); break;
        case 1: row[i] = static_cast<unsigned char>(x + a); break;
        case 2: row[i] = static_cast<unsigned char>(x + b); break;
        case 3: row[i] = static_cast<unsigned char>(x + (a + b) / 2); break;
        case 4: row[i] = static_cast<unsigned char>(x + Paeth(a, b, c)); break;
        default: return 0;
      }
    }
    for (std::uint64_t px = 0; px < width; ++px) {
      unsigned alpha;
      if (colour == 3) {
        const std::uint64_t bit = px * depth;
        const unsigned index =
            (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
        alpha = paletteAlpha[index];
      } else {
        const std::size_t sample = depth / 8;  // bytes of a channel
        alpha = row[px * channels * sample + (channels - 1) * sample];  // its high byte
      }
      if (alpha >= kOpaque) ++opaque;
    }
    previous.swap(row);
  }
  return double(opaque) / double(width * height);
}

}  // namespace stampwell::ooxml
