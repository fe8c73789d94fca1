// The items window: the user's inventory as a grid of icons, from which one
// item is used, sold or chosen as a present.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "client/platform/ui.h"

// Item codes and ids hold at most 31 bytes.
inline constexpr int kItemTextSize = 32;
inline constexpr int kPresentIdSize = kItemTextSize;

// The id of the item chosen to be given as a present, or empty; the next
// click on the scene places it.
extern char PendingPresentId[kPresentIdSize];
// The code and id of the item chosen last in the list.
extern char ChosenItemCode[kItemTextSize];
extern char ChosenItemId[kItemTextSize];
// How many appearance icons "icon/0.ico", "icon/1.ico" ... were found in a
// row when the window opened; the ordinary icons follow them in the image
// list.
extern int NumberedIconCount;

// Handler of the inventory message; gets the text after the type letter.
void HandleItemsMessage(char* text);

// Opens the items window owned by `owner`, or keeps the open one.
void OpenItemsWindow(platform::WindowHandle owner);
// The items window, or null when none is open.
platform::WindowHandle GetItemsWindow();

struct InventoryItem {
  std::string_view code;
  std::string_view id;
};

// The items of an inventory message in message order: pairs of fields; none
// when the first field begins with "0".
std::vector<InventoryItem> ReadInventory(std::string_view text);

// The picture of an item code: an appearance item "c" has picture c, an
// ordinary item "ik" picture numbered_icons + k.
int ItemImageIndex(std::string_view code, int numbered_icons);

// The icon files "icon/<prefix><n>.ico" found in a row from n = 0.
int CountIconFiles(std::string_view prefix);
std::string IconFilePath(std::string_view prefix, int number);
