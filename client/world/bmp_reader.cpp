#include "client/world/bmp_reader.h"

#include <algorithm>
#include <bit>
#include <fstream>
#include <new>

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

// Bounds-checked little-endian reads of the file bytes. Every read is
// preceded by a Has() check of its range.
class ByteView {
 public:
  explicit ByteView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  const std::uint8_t* At(std::uint64_t offset) const { return bytes_.data() + offset; }
  std::uint16_t U16(std::uint64_t offset) const {
    const std::uint8_t* p = At(offset);
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
  }
  std::uint32_t U32(std::uint64_t offset) const {
    const std::uint8_t* p = At(offset);
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
  }
  std::int32_t I32(std::uint64_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

 private:
  std::span<const std::uint8_t> bytes_;
};

// One colour channel of a 16 or 32-bit pixel, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;  // the largest value the channel can hold

  std::uint32_t Extract(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint32_t>((value * 255 + max / 2) / max);
  }
};

// Everything the header says about where and how the pixels are stored.
struct Layout {
  int width = 0;
  int height = 0;
  bool top_down = false;
  int bits = 0;
  Channel channels[3];  // red, green, blue for 16 and 32 bits
  std::uint64_t palette_offset = 0;
  std::uint32_t palette_count = 0;
  std::uint32_t palette_entry_size = 4;
  std::uint64_t pixel_offset = 0;
  std::uint64_t stride = 0;
};

bool MakeChannel(std::uint32_t mask, int bits, Channel& channel) {
  if (bits < 32 && (mask >> bits) != 0) return false;
  channel = {};
  if (mask == 0) return true;
  const int shift = std::countr_zero(mask);
  const std::uint32_t run = mask >> shift;
  if ((run & (run + 1)) != 0) return false;  // the ones must be one run
  channel = {mask, shift, run};
  return true;
}

bool SetMasks(const std::uint32_t masks[3], Layout& layout) {
  for (int i = 0; i < 3; ++i) {
    if (!MakeChannel(masks[i], layout.bits, layout.channels[i])) return false;
  }
  return true;
}

bool ReadDimensions(std::int64_t width, std::int64_t height, Layout& layout) {
  layout.top_down = height < 0;
  if (height < 0) height = -height;
  if (width < 1 || width > kMaxBmpSide || height < 1 || height > kMaxBmpSide) return false;
  if (width * height > kMaxBmpPixels) return false;
  layout.width = static_cast<int>(width);
  layout.height = static_cast<int>(height);
  return true;
}

bool ReadCoreHeader(const ByteView& file, Layout& layout) {
  if (!ReadDimensions(file.U16(18), file.U16(20), layout)) return false;
  layout.bits = file.U16(24);
  if (layout.bits != 1 && layout.bits != 4 && layout.bits != 8 && layout.bits != 24) return false;
  layout.palette_entry_size = 3;
  if (layout.bits <= 8) layout.palette_count = 1u << layout.bits;
  layout.palette_offset = kFileHeaderSize + kCoreHeaderSize;
  return true;
}

bool ReadInfoHeader(const ByteView& file, std::uint32_t header_size, Layout& layout) {
  if (!ReadDimensions(file.I32(18), file.I32(22), layout)) return false;
  layout.bits = file.U16(28);
  const std::uint32_t compression = file.U32(30);
  const std::uint32_t colours_used = file.U32(46);
  layout.palette_offset = kFileHeaderSize + header_size;

  switch (layout.bits) {
    case 1:
    case 4:
    case 8:
      if (compression != kBiRgb) return false;
      layout.palette_count = colours_used == 0 ? 1u << layout.bits
                                               : std::min(colours_used, 1u << layout.bits);
      return true;
    case 24:
      return compression == kBiRgb;
    case 16:
    case 32:
      break;
    default:
      return false;
  }

  if (compression == kBiRgb) {
    const std::uint32_t masks16[3] = {0x7C00, 0x03E0, 0x001F};
    const std::uint32_t masks32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    return SetMasks(layout.bits == 16 ? masks16 : masks32, layout);
  }
  if (compression != kBiBitfields) return false;
  // The masks end the longer headers; after a BITMAPINFOHEADER they follow it.
  std::uint64_t masks_offset = kFileHeaderSize + kInfoHeaderSize;
  if (header_size == kInfoHeaderSize) {
    if (!file.Has(masks_offset, 12)) return false;
    layout.palette_offset += 12;
  }
  const std::uint32_t masks[3] = {file.U32(masks_offset), file.U32(masks_offset + 4),
                                  file.U32(masks_offset + 8)};
  return SetMasks(masks, layout);
}

bool IsInfoHeaderSize(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool ReadLayout(const ByteView& file, Layout& layout) {
  if (!file.Has(0, kFileHeaderSize + 4)) return false;
  if (file.At(0)[0] != 'B' || file.At(0)[1] != 'M') return false;
  const std::uint32_t header_size = file.U32(kFileHeaderSize);
  if (header_size != kCoreHeaderSize && !IsInfoHeaderSize(header_size)) return false;
  if (!file.Has(kFileHeaderSize, header_size)) return false;

  const bool read = header_size == kCoreHeaderSize ? ReadCoreHeader(file, layout)
                                                   : ReadInfoHeader(file, header_size, layout);
  if (!read) return false;
  if (!file.Has(layout.palette_offset,
                std::uint64_t{layout.palette_count} * layout.palette_entry_size)) {
    return false;
  }

  layout.pixel_offset = file.U32(10);
  layout.stride = (std::uint64_t(layout.width) * layout.bits + 31) / 32 * 4;
  if (layout.pixel_offset < kFileHeaderSize + header_size) return false;
  return file.Has(layout.pixel_offset, layout.stride * std::uint64_t(layout.height));
}

void ReadPalette(const ByteView& file, const Layout& layout, std::uint32_t palette[256]) {
  for (std::uint32_t i = 0; i < layout.palette_count; ++i) {
    const std::uint8_t* entry = file.At(layout.palette_offset + i * layout.palette_entry_size);
    palette[i] = std::uint32_t{entry[2]} << 16 | std::uint32_t{entry[1]} << 8 | entry[0];
  }
}

bool DecodeIndexedRow(const std::uint8_t* row, const Layout& layout,
                      const std::uint32_t palette[256], std::uint32_t* out) {
  const int per_byte = 8 / layout.bits;
  const unsigned index_mask = (1u << layout.bits) - 1;
  for (int x = 0; x < layout.width; ++x) {
    const int shift = 8 - layout.bits * (x % per_byte + 1);
    const unsigned index = (row[x / per_byte] >> shift) & index_mask;
    if (index >= layout.palette_count) return false;
    out[x] = palette[index];
  }
  return true;
}

void DecodeMaskedRow(const std::uint8_t* row, const Layout& layout, std::uint32_t* out) {
  const int bytes = layout.bits / 8;
  for (int x = 0; x < layout.width; ++x) {
    const std::uint8_t* p = row + x * bytes;
    std::uint32_t pixel = p[0] | std::uint32_t{p[1]} << 8;
    if (bytes == 4) pixel |= std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
    out[x] = layout.channels[0].Extract(pixel) << 16 | layout.channels[1].Extract(pixel) << 8 |
             layout.channels[2].Extract(pixel);
  }
}

void DecodeRgbRow(const std::uint8_t* row, const Layout& layout, std::uint32_t* out) {
  for (int x = 0; x < layout.width; ++x) {
    const std::uint8_t* p = row + x * 3;
    out[x] = std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
  }
}

bool DecodePixels(const ByteView& file, const Layout& layout, BmpImage& image) {
  std::uint32_t palette[256] = {};
  ReadPalette(file, layout, palette);
  image.width = layout.width;
  image.height = layout.height;
  image.pixels.resize(std::size_t(layout.width) * std::size_t(layout.height));
  for (int y = 0; y < layout.height; ++y) {
    const std::uint8_t* row = file.At(layout.pixel_offset + layout.stride * std::uint64_t(y));
    const int out_y = layout.top_down ? y : layout.height - 1 - y;
    std::uint32_t* out = image.pixels.data() + std::size_t(out_y) * std::size_t(layout.width);
    if (layout.bits <= 8) {
      if (!DecodeIndexedRow(row, layout, palette, out)) return false;
    } else if (layout.bits == 24) {
      DecodeRgbRow(row, layout, out);
    } else {
      DecodeMaskedRow(row, layout, out);
    }
  }
  return true;
}

}  // namespace

std::optional<BmpImage> DecodeBmp(std::span<const std::uint8_t> bytes) {
  const ByteView file(bytes);
  Layout layout;
  if (!ReadLayout(file, layout)) return std::nullopt;
  BmpImage image;
  try {
    if (!DecodePixels(file, layout, image)) return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return image;
}

std::optional<BmpImage> ReadBmpFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  if (size < 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
  return DecodeBmp(bytes);
}
