// The BMP reader: every stored format decodes to the same top-down XRGB
// pixels, and malformed files are refused without reading past their end.
#include "client/world/bmp_reader.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Builds small bitmap files field by field.
struct BmpBuilder {
  std::uint32_t header_size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top-down
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t colours_used = 0;
  std::vector<std::uint32_t> masks;    // after a 40-byte header, or inside a longer one
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::vector<std::uint8_t>> rows;  // as stored, unpadded
  std::int64_t pixel_offset = -1;               // -1: right after the palette

  std::vector<std::uint8_t> Build() const {
    std::vector<std::uint8_t> out;
    auto u16 = [&](std::uint32_t v) { out.push_back(v & 255); out.push_back(v >> 8 & 255); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    const bool core = header_size == 12;
    out.push_back('B');
    out.push_back('M');
    u32(0);  // file size, unused by readers
    u32(0);
    u32(0);  // pixel offset, patched below
    u32(header_size);
    if (core) {
      u16(width);
      u16(height);
      u16(1);
      u16(bits);
    } else {
      u32(width);
      u32(height);
      u16(1);
      u16(bits);
      u32(compression);
      for (int i = 0; i < 5; ++i) u32(i == 3 ? colours_used : 0);
      if (header_size > 40) {
        for (std::size_t i = 0; i < (header_size - 40) / 4; ++i) u32(i < masks.size() ? masks[i] : 0);
      } else {
        for (std::uint32_t mask : masks) u32(mask);
      }
    }
    for (std::uint32_t colour : palette) {
      out.push_back(colour & 255);
      out.push_back(colour >> 8 & 255);
      out.push_back(colour >> 16 & 255);
      if (!core) out.push_back(0);
    }
    const std::uint32_t offset = pixel_offset < 0 ? out.size() : std::uint32_t(pixel_offset);
    std::memcpy(out.data() + 10, &offset, 4);
    for (const auto& row : rows) {
      out.insert(out.end(), row.begin(), row.end());
      while ((out.size() - offset) % 4 != 0) out.push_back(0);
    }
    return out;
  }
};

// Decodes from a buffer of exactly the file's size, so a sanitizer sees any
// read past its end.
std::optional<BmpImage> Decode(const std::vector<std::uint8_t>& file) {
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[file.size()]);
  if (!file.empty()) std::memcpy(exact.get(), file.data(), file.size());
  return DecodeBmp({exact.get(), file.size()});
}

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                        kBlack = 0;

// The picture every format case stores, top row first: 3 x 2 pixels so that
// every row needs padding in most formats.
const std::vector<std::uint32_t> kPicture = {kRed, kGreen, kBlue,  //
                                             kWhite, kBlack, kRed};

using Row = std::vector<std::uint8_t>;

// Stored rows of kPicture for a format, top row first.
struct Format {
  const char* name;
  BmpBuilder base;
  Row top, bottom;
};

BmpBuilder Indexed(std::uint16_t bits, std::uint32_t colours_used = 0) {
  BmpBuilder b;
  b.bits = bits;
  b.colours_used = colours_used;
  b.palette = {kBlack, kRed, kGreen, kBlue, kWhite};
  if (bits == 1) b.palette = {kBlack, kWhite};
  if (colours_used == 0) b.palette.resize(std::size_t{1} << bits, 0x123456);
  return b;
}

BmpBuilder Masked(std::uint16_t bits, std::uint32_t compression, std::vector<std::uint32_t> masks,
                  std::uint32_t header_size = 40) {
  BmpBuilder b;
  b.bits = bits;
  b.compression = compression;
  b.masks = std::move(masks);
  b.header_size = header_size;
  return b;
}

std::vector<Format> Formats() {
  return {
      {"8 bpp, 5 colours used", Indexed(8, 5), {1, 2, 3}, {4, 0, 1}},
      {"8 bpp, full palette", Indexed(8), {1, 2, 3}, {4, 0, 1}},
      {"4 bpp", Indexed(4), {0x12, 0x30}, {0x40, 0x10}},
      {"24 bpp", BmpBuilder{}, {0, 0, 255, 0, 255, 0, 255, 0, 0}, {255, 255, 255, 0, 0, 0, 0, 0, 255}},
      {"16 bpp 5-5-5", Masked(16, 0, {}), {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00}, {0xFF, 0x7F, 0, 0, 0x00, 0x7C}},
      {"16 bpp 5-6-5 bitfields", Masked(16, 3, {0xF800, 0x07E0, 0x001F}),
       {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00}, {0xFF, 0xFF, 0, 0, 0x00, 0xF8}},
      {"32 bpp", Masked(32, 0, {}), {0, 0, 255, 0x77, 0, 255, 0, 0x77, 255, 0, 0, 0x77},
       {255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 255, 0}},
      {"32 bpp bitfields, bytes reversed", Masked(32, 3, {0x0000FF00, 0x00FF0000, 0xFF000000}),
       {0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255}, {0, 255, 255, 255, 0, 0, 0, 0, 0, 255, 0, 0}},
      {"32 bpp bitfields in a V5 header", Masked(32, 3, {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000}, 124),
       {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255}, {255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 255, 0}},
      {"16 bpp 5-6-5 in a V4 header", Masked(16, 3, {0xF800, 0x07E0, 0x001F}, 108),
       {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00}, {0xFF, 0xFF, 0, 0, 0x00, 0xF8}},
  };
}

TEST(BmpReader, DecodesEveryFormatBottomUpAndTopDown) {
  for (const Format& format : Formats()) {
    for (const bool top_down : {false, true}) {
      SCOPED_TRACE(std::string(format.name) + (top_down ? ", top-down" : ", bottom-up"));
      BmpBuilder b = format.base;
      b.width = 3;
      b.height = top_down ? -2 : 2;
      b.rows = top_down ? std::vector<Row>{format.top, format.bottom}
                        : std::vector<Row>{format.bottom, format.top};
      const auto image = Decode(b.Build());
      ASSERT_TRUE(image);
      EXPECT_EQ(image->width, 3);
      EXPECT_EQ(image->height, 2);
      EXPECT_EQ(image->pixels, kPicture);
    }
  }
}

TEST(BmpReader, OneBitRowsReadFromTheHighBitAcrossByteBoundaries) {
  BmpBuilder b = Indexed(1);
  b.width = 10;
  b.height = 1;
  b.rows = {{0b10110000, 0b01000000}};
  const auto image = Decode(b.Build());
  ASSERT_TRUE(image);
  const std::vector<std::uint32_t> expected = {kWhite, kBlack, kWhite, kWhite, kBlack,
                                               kBlack, kBlack, kBlack, kBlack, kWhite};
  EXPECT_EQ(image->pixels, expected);
}

TEST(BmpReader, FiveBitChannelsSpanTheFullRange) {
  BmpBuilder b = Masked(16, 0, {});
  b.width = 2;
  b.height = 1;
  b.rows = {{0x10, 0x42, 0x00, 0x00}};  // (16, 16, 16) and black
  const auto image = Decode(b.Build());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{0x848484, 0}));
}

TEST(BmpReader, ReadsTheOs2CoreHeader) {
  BmpBuilder b = Indexed(8);
  b.header_size = 12;
  b.width = 3;
  b.height = 2;
  b.rows = {{4, 0, 1}, {1, 2, 3}};
  const auto image = Decode(b.Build());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, kPicture);
}

// A valid 8 bpp file of 3 x 2 pixels for the refusal cases to break.
BmpBuilder ValidIndexed() {
  BmpBuilder b = Indexed(8, 5);
  b.width = 3;
  b.height = 2;
  b.rows = {{4, 0, 1}, {1, 2, 3}};
  return b;
}

TEST(BmpReader, RefusesMalformedFiles) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
  };
  auto with = [](auto change) {
    BmpBuilder b = ValidIndexed();
    change(b);
    return b.Build();
  };
  const std::vector<std::uint8_t> valid = ValidIndexed().Build();
  ASSERT_TRUE(Decode(valid));
  auto cut = [&](std::size_t size) { return std::vector<std::uint8_t>(valid.begin(), valid.begin() + size); };
  std::vector<std::uint8_t> not_bm = valid;
  not_bm[1] = 'A';
  std::vector<std::uint8_t> offset_past_end = valid;
  offset_past_end[10] = 0xF0;
  offset_past_end[13] = 0x7F;

  const Case cases[] = {
      {"empty", {}},
      {"not BM", not_bm},
      {"text file", {'h', 'e', 'l', 'l', 'o', '\n'}},
      {"file header only", cut(14)},
      {"truncated info header", cut(30)},
      {"truncated palette", cut(14 + 40 + 10)},
      {"last pixel row missing", cut(valid.size() - 4)},
      {"one pixel byte missing", cut(valid.size() - 1)},
      {"pixel offset past the end", offset_past_end},
      {"pixel offset inside the header", with([](BmpBuilder& b) { b.pixel_offset = 20; })},
      {"zero width", with([](BmpBuilder& b) { b.width = 0; })},
      {"zero height", with([](BmpBuilder& b) { b.height = 0; })},
      {"negative width", with([](BmpBuilder& b) { b.width = -3; })},
      {"huge width", with([](BmpBuilder& b) { b.width = 0x7FFFFFFF; })},
      {"huge height", with([](BmpBuilder& b) { b.height = 100000; })},
      {"most negative height", with([](BmpBuilder& b) { b.height = INT32_MIN; })},
      {"RLE8", with([](BmpBuilder& b) { b.compression = 1; })},
      {"RLE4", with([](BmpBuilder& b) { b.bits = 4, b.compression = 2; })},
      {"JPEG", with([](BmpBuilder& b) { b.bits = 24, b.compression = 4; })},
      {"bitfields at 8 bpp", with([](BmpBuilder& b) { b.compression = 3; })},
      {"unknown bit count", with([](BmpBuilder& b) { b.bits = 7; })},
      {"unknown header size", with([](BmpBuilder& b) { b.header_size = 44; })},
      {"index past the palette", with([](BmpBuilder& b) { b.rows[0][2] = 5; })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Decode(c.file));
  }
}

TEST(BmpReader, RefusesBadBitfields) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> masks;
    std::size_t keep;  // bytes of the file kept; 0 keeps all
  };
  const Case cases[] = {
      {"masks cut off", {0xF800, 0x07E0, 0x001F}, 14 + 40 + 8},
      {"mask wider than the pixel", {0x1F800, 0x07E0, 0x001F}, 0},
      {"mask with a gap", {0xF100, 0x07E0, 0x001F}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BmpBuilder b = Masked(16, 3, c.masks);
    b.width = 1;
    b.height = 1;
    b.rows = {{0, 0}};
    std::vector<std::uint8_t> file = b.Build();
    if (c.keep != 0) file.resize(c.keep);
    EXPECT_FALSE(Decode(file));
  }
}

TEST(BmpReader, ReadsAFileAndRefusesAMissingOne) {
  const std::string path = testing::TempDir() + "bmp_reader_test.bmp";
  const std::vector<std::uint8_t> file = ValidIndexed().Build();
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
  const auto image = ReadBmpFile(path);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, kPicture);
  std::remove(path.c_str());
  EXPECT_FALSE(ReadBmpFile(path));
}

}  // namespace
