// Reads Windows bitmap files (.bmp) into 32-bit 0x00RRGGBB pixels.
//
// Read: 1, 4 and 8 bits per pixel with a colour table; 16 bits (5-5-5, or
// any masks with BI_BITFIELDS); 24 bits; 32 bits (BI_RGB or BI_BITFIELDS);
// rows stored bottom-up or top-down; the BITMAPINFOHEADER, its V4 and V5
// successors and the OS/2 BITMAPCOREHEADER. Compressed (RLE) bitmaps,
// colour indices past the colour table and any header or pixel data that
// does not fit in the file are refused.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Larger bitmaps are refused.
inline constexpr int kMaxBmpSide = 16384;
inline constexpr std::int64_t kMaxBmpPixels = std::int64_t{1} << 26;

struct BmpImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// Decodes a whole bitmap file held in memory; nothing when it is not a
// bitmap this reader accepts.
std::optional<BmpImage> DecodeBmp(std::span<const std::uint8_t> file);

// Reads and decodes a bitmap file; nothing when it cannot be read or decoded.
std::optional<BmpImage> ReadBmpFile(const std::string& path);
