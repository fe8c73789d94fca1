#include "client/community/items_window.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "client/platform/text.h"
#include "client/resources/items_dialog.h"
#include "client/session/connection.h"
#include "client/session/program.h"
#include "client/session/wire_fields.h"
#include "client/sidewindows/chat_log.h"
#include "client/world/world_state.h"

char PendingPresentId[kPresentIdSize] = {};
char ChosenItemCode[kItemTextSize] = {};
char ChosenItemId[kItemTextSize] = {};
int NumberedIconCount = 0;

namespace {

constexpr char kAppearancePrefix[] = "";
constexpr char kOrdinaryPrefix[] = "i";

enum ItemsTab { kUseTab, kSellTab, kPresentTab };

constexpr const char* kTabTexts[] = {"ｱｲﾃﾑを使う", "ｱｲﾃﾑ売却する", "ｱｲﾃﾑﾌﾟﾚｾﾞﾝﾄする"};

// Columns of an entry: the picture's own (empty) caption, the id, the code.
enum ItemsColumn { kImageColumn, kIdColumn, kCodeColumn };

platform::WindowHandle items_window = nullptr;
platform::WindowHandle items_list = nullptr;

void CopyField(char (&target)[kItemTextSize], std::string_view text) {
  const std::string_view cut = platform::Cp932Prefix(text, kItemTextSize - 1);
  std::memcpy(target, cut.data(), cut.size());
  target[cut.size()] = '\0';
}

void CloseItemsWindow() {
  platform::DestroyWindow(items_window);
  items_window = nullptr;
  items_list = nullptr;
}

// Takes the selected entry as the chosen item; with nothing selected the
// earlier choice stays.
void TakeChosenItem() {
  const int selected = platform::GetListSelection(items_list);
  if (selected < 0) return;
  CopyField(ChosenItemId, platform::GetListItemText(items_list, selected, kIdColumn, kItemTextSize - 1));
  CopyField(ChosenItemCode, platform::GetListItemText(items_list, selected, kCodeColumn, kItemTextSize - 1));
}

void SendItemRequest(const char* format) {
  char request[2 * kItemTextSize + 8];
  std::snprintf(request, sizeof request, format, ChosenItemCode, ChosenItemId);
  SendRequest(request);
}

// An appearance item changes the own picture only within its parity (boys'
// pictures are even, girls' odd); the change shows before the server's
// answer.
void UseChosenItem() {
  if (ChosenItemCode[0] == 'i') {
    SendItemRequest("e%s,%s");
    return;
  }
  const int appearance = ReadWireInt(ChosenItemCode);
  if (appearance % 2 != OwnAvatar.appearance % 2) return;
  OwnAvatar.appearance = appearance;
  SendItemRequest("e%s,%s");
}

void ActOnChosenItem(platform::WindowHandle dialog) {
  const int tab = platform::GetSelectedTab(platform::GetDlgItem(dialog, resources::kItemsTabs));
  if (ChosenItemCode[0] == '\0' || ChosenItemId[0] == '\0') return;
  switch (tab) {
    case kUseTab:
      UseChosenItem();
      break;
    case kSellTab:
      SendItemRequest("es%s,%s");
      break;
    case kPresentTab:
      std::memcpy(PendingPresentId, ChosenItemId, sizeof PendingPresentId);
      break;
    default:
      break;
  }
  CloseItemsWindow();
}

// The appearance icons first, then the ordinary ones.
platform::ImageListHandle LoadItemIcons() {
  platform::ImageListHandle icons = platform::CreateImageList(32, 32);
  NumberedIconCount = CountIconFiles(kAppearancePrefix);
  for (int n = 0; n < NumberedIconCount; ++n) platform::AddIconFile(icons, IconFilePath(kAppearancePrefix, n));
  const int ordinary_count = CountIconFiles(kOrdinaryPrefix);
  for (int n = 0; n < ordinary_count; ++n) platform::AddIconFile(icons, IconFilePath(kOrdinaryPrefix, n));
  return icons;
}

class ItemsProc : public platform::DialogProc {
 public:
  bool list_failed = false;

  void OnInitDialog(platform::WindowHandle dialog) override {
    items_list = platform::CreateDialogControl(dialog, resources::ItemsListControl);
    list_failed = items_list == nullptr;
    if (list_failed) return;
    platform::AddListColumn(items_list, "image", 100);
    platform::AddListColumn(items_list, "id", 300);
    platform::AddListColumn(items_list, "item", 200);
    platform::SetListEventHandler(items_list, [](platform::ListEvent event) {
      if (event != platform::ListEvent::DeleteKey) TakeChosenItem();
    });
    platform::SetListImageList(items_list, LoadItemIcons());
    SendRequest("i");
    ChosenItemCode[0] = '\0';
    const platform::WindowHandle tabs = platform::GetDlgItem(dialog, resources::kItemsTabs);
    for (const char* text : kTabTexts) platform::AddTab(tabs, text);
  }

  void OnCommand(platform::WindowHandle dialog, int id) override {
    if (id == platform::IDOK) {
      ActOnChosenItem(dialog);
    } else if (id == platform::IDCANCEL) {
      CloseItemsWindow();
    }
  }
};

ItemsProc items_proc;

}  // namespace

std::vector<InventoryItem> ReadInventory(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ',') ++at;
    const std::size_t end = std::min(text.find(',', at), text.size());
    if (end > at) fields.push_back(text.substr(at, end - at));
    at = end;
  }
  std::vector<InventoryItem> items;
  if (fields.empty() || fields[0][0] == '0') return items;
  for (std::size_t i = 0; i < fields.size(); i += 2) {
    items.push_back({fields[i], i + 1 < fields.size() ? fields[i + 1] : std::string_view()});
  }
  return items;
}

// A number from the server near the top of the range gives an index past
// every icon rather than an overflow.
int ItemImageIndex(std::string_view code, int numbered_icons) {
  if (code.empty() || code[0] != 'i') return ReadWireInt(code);
  const std::int64_t index = std::int64_t{numbered_icons} + ReadWireInt(code.substr(1));
  return static_cast<int>(std::clamp<std::int64_t>(index, INT32_MIN, INT32_MAX));
}

std::string IconFilePath(std::string_view prefix, int number) {
  return InstallDir + "icon/" + std::string(prefix) + std::to_string(number) + ".ico";
}

int CountIconFiles(std::string_view prefix) {
  int count = 0;
  while (FileExists(IconFilePath(prefix, count))) ++count;
  return count;
}

// Each entry goes to the top, so the list shows the message's items in
// reverse order, above the entries already there.
void HandleItemsMessage(char* text) {
  for (const InventoryItem& item : ReadInventory(text)) {
    const int entry = platform::InsertListItem(items_list, 0, "", ItemImageIndex(item.code, NumberedIconCount));
    platform::SetListItemText(items_list, entry, kIdColumn, item.id);
    platform::SetListItemText(items_list, entry, kCodeColumn, item.code);
  }
}

void OpenItemsWindow(platform::WindowHandle owner) {
  if (items_window) return;
  items_window = platform::CreateModelessDialog(resources::ItemsDialogTemplate, owner, items_proc);
  if (items_proc.list_failed) CloseItemsWindow();
}

platform::WindowHandle GetItemsWindow() { return items_window; }
