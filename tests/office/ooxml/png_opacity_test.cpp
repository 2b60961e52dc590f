// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ooxml/png_opacity.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace stampwell::ooxml {
namespace {

void Big32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void Chunk(std::string& png, const std::string& type, const std::string& body) {
  Big32(png, static_cast<std::uint32_t>(body.size()));
  const std::string typed = type + body;
  png += typed;
  Big32(png, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                              static_cast<uInt>(typed.size()))));
}

int Predict(int filter, int a, int b, int c) {
  switch (filter) {
    case 1: return a;
    case 2: return b;
    case 3: return (a + b) / 2;
    case 4: {
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    }
    default: return 0;
  }
}

// A PNG of rows of packed pixel bytes, each row filtered as a PNG encoder does, with the row's
// filter taken in turn from none, sub, up, average and Paeth.
std::string Png(int width, int colour, int depth, const std::vector<std::string>& rows,
                const std::string& palette = "", const std::string& transparency = "",
                int interlace = 0) {
  const int channels = colour == 6 ? 4 : colour == 4 ? 2 : colour == 2 ? 3 : 1;
  const std::size_t bpp = std::max(1, channels * depth / 8);
  std::string raw, previous(rows.front().size(), '\0');
  for (std::size_t y = 0; y < rows.size(); ++y) {
    const int filter = static_cast<int>(y % 5);
    const std::string& row = rows[y];
    raw += static_cast<char>(filter);
    for (std::size_t i = 0; i < row.size(); ++i) {
      const int a = i >= bpp ? static_cast<unsigned char>(row[i - bpp]) : 0;
      const int b = static_cast<unsigned char>(previous[i]);
      const int c = i >= bpp ? static_cast<unsigned char>(previous[i - bpp]) : 0;
      raw += static_cast<char>((static_cast<unsigned char>(row[i]) - Predict(filter, a, b, c)) & 0xFF);
    }
    previous = row;
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(size, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &size,
           reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
  packed.resize(size);
  std::string png("\x89PNG\r\n\x1A\n", 8), header;
  Big32(header, static_cast<std::uint32_t>(width));
  Big32(header, static_cast<std::uint32_t>(rows.size()));
  header += static_cast<char>(depth);
  header += static_cast<char>(colour);
  header += std::string(2, '\0');
  header += static_cast<char>(interlace);
  Chunk(png, "IHDR", header);
  if (!palette.empty()) Chunk(png, "PLTE", palette);
  if (!transparency.empty()) Chunk(png, "tRNS", transparency);
  // The image data split over two chunks, as encoders may write it.
  Chunk(png, "IDAT", packed.substr(0, packed.size() / 2));
  Chunk(png, "IDAT", packed.substr(packed.size() / 2));
  Chunk(png, "IEND", "");
  return png;
}

// Rows of RGBA pixels: a varying colour, and alpha 255 except in the first `clear` pixels of
// each row, which get the alpha given.
std::vector<std::string> RgbaRows(int width, int height, int clear, unsigned char alpha) {
  std::vector<std::string> rows;
  for (int y = 0; y < height; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      row += static_cast<char>(x * 7 + y * 3);
      row += static_cast<char>(x * y);
      row += static_cast<char>(200 - x);
      row += static_cast<char>(x < clear ? alpha : 255);
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(PngOpacity, PixelsWithAnAlphaChannelAreCountedThroughEveryRowFilter) {
  EXPECT_EQ(PngOpaqueShare(Png(20, 6, 8, RgbaRows(20, 10, 0, 0))), 1.0);
  EXPECT_DOUBLE_EQ(PngOpaqueShare(Png(20, 6, 8, RgbaRows(20, 10, 5, 0))), 0.75);
  // Nearly opaque counts as opaque; half see-through does not.
  EXPECT_EQ(PngOpaqueShare(Png(20, 6, 8, RgbaRows(20, 10, 20, 245))), 1.0);
  EXPECT_EQ(PngOpaqueShare(Png(20, 6, 8, RgbaRows(20, 10, 20, 128))), 0.0);
  // Grey and alpha at 16 bits a channel: the alpha's high byte counts.
  std::vector<std::string> grey;
  for (int y = 0; y < 6; ++y) {
    std::string row;
    for (int x = 0; x < 8; ++x) row += std::string{char(x), char(y), char(x < 2 ? 0x10 : 0xFF), char(0x01)};
    grey.push_back(row);
  }
  EXPECT_DOUBLE_EQ(PngOpaqueShare(Png(8, 4, 16, grey)), 0.75);
}

TEST(PngOpacity, APaletteCountsTheColoursItsTransparencyMakesSeeThrough) {
  const std::string palette(3 * 4, '\x40');
  // Palette entry 1 see-through, 2 opaque; entries past the chunk's end are opaque.
  const std::string transparency{'\xFF', '\x00', '\xFF'};
  std::vector<std::string> rows;
  for (int y = 0; y < 4; ++y) rows.push_back(std::string{0, 1, 2, 3, 1, 1, 0, 3});
  EXPECT_DOUBLE_EQ(PngOpaqueShare(Png(8, 3, 8, rows, palette, transparency)), 5.0 / 8);
  // Four bits an entry, two pixels a byte: the high half first.
  std::vector<std::string> packed(3, std::string{'\x01', '\x23'});
  EXPECT_DOUBLE_EQ(PngOpaqueShare(Png(4, 3, 4, packed, palette, transparency)), 0.75);
  // Without a transparency chunk a palette picture is opaque.
  EXPECT_EQ(PngOpaqueShare(Png(8, 3, 8, rows, palette)), 1.0);
}

TEST(PngOpacity, WhatItDoesNotReadCountsAsSeeThrough) {
  const std::string good = Png(20, 6, 8, RgbaRows(20, 10, 0, 0));
  EXPECT_EQ(PngOpaqueShare(good), 1.0);
  EXPECT_EQ(PngOpaqueShare(good.substr(0, good.size() - 40)), 0.0) << "cut short";
  EXPECT_EQ(PngOpaqueShare(Png(20, 6, 8, RgbaRows(20, 10, 0, 0), "", "", 1)), 0.0)
      << "interlaced";
  // A transparent colour key on an RGB picture: which pixels match it is not read.
  std::vector<std::string> rgb(4, std::string(12, '\x20'));
  EXPECT_EQ(PngOpaqueShare(Png(4, 2, 8, rgb, "", std::string(6, '\x20'))), 0.0);
  EXPECT_EQ(PngOpaqueShare(Png(4, 2, 8, rgb)), 1.0);
  EXPECT_EQ(PngOpaqueShare("GIF89a"), 0.0);
  EXPECT_EQ(PngOpaqueShare(""), 0.0);
}

}  // namespace
}  // namespace stampwell::ooxml
