// The inventory message, the picture of an item code and the icon count.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/community/items_window.h"
#include "client/session/program.h"

namespace {

namespace fs = std::filesystem;

std::string Joined(const std::vector<InventoryItem>& items) {
  std::string text;
  for (const InventoryItem& item : items) text += "[" + std::string(item.code) + "|" + std::string(item.id) + "]";
  return text;
}

TEST(InventoryMessageTest, PairsOfCodeAndIdInMessageOrder) {
  struct Case {
    const char* text;
    const char* items;
  } const cases[] = {
      {"0", ""},
      {"", ""},
      {"05,A1", ""},  // a first code that merely begins with 0
      {"3,A1,i2,B7", "[3|A1][i2|B7]"},
      {",,3,,,A1,i2,B7,", "[3|A1][i2|B7]"},
      {"3,A1,i2", "[3|A1][i2|]"},
      {"10,x,20,y,i1,z,i0,w,11,v,12,u,13,t,14,s,15,r", "[10|x][20|y][i1|z][i0|w][11|v][12|u][13|t][14|s][15|r]"},
  };
  for (const Case& c : cases) EXPECT_EQ(Joined(ReadInventory(c.text)), c.items) << c.text;
}

TEST(InventoryMessageTest, OrdinaryItemsFollowTheAppearanceIcons) {
  EXPECT_EQ(ItemImageIndex("3", 2), 3);
  EXPECT_EQ(ItemImageIndex("i2", 2), 4);
  EXPECT_EQ(ItemImageIndex("i0", 5), 5);
  EXPECT_EQ(ItemImageIndex("33", 0), 33);
  // The largest numbers stay past the icons instead of wrapping around.
  EXPECT_EQ(ItemImageIndex("i2147483647", 2), INT32_MAX);
  EXPECT_EQ(ItemImageIndex("i99999999999", 5), INT32_MAX);
}

TEST(ItemIconsTest, CountsStopAtTheFirstMissingNumber) {
  char pattern[] = "/tmp/posyvale-icons-XXXXXX";
  const fs::path folder = mkdtemp(pattern);
  InstallDir = folder.string() + "/";
  fs::create_directory(folder / "icon");
  for (const char* name : {"0.ico", "1.ico", "3.ico", "i0.ico", "i1.ico"}) {
    std::ofstream(folder / "icon" / name) << "x";
  }
  EXPECT_EQ(IconFilePath("i", 1), InstallDir + "icon/i1.ico");
  EXPECT_EQ(CountIconFiles(""), 2);
  EXPECT_EQ(CountIconFiles("i"), 2);
  fs::remove_all(folder);
}

}  // namespace
