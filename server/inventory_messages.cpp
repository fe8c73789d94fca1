#include "inventory_messages.h"

#include "frame_codec.h"
#include "world_messages.h"

namespace posyvaled {
namespace {

// Decimal digits without a leading zero ("0" itself included).
bool IsCanonicalNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return false;
  if (text.find_first_not_of("0123456789") != std::string_view::npos) return false;
  return text.size() == 1 || text.front() != '0';
}

}  // namespace

bool IsItemCode(std::string_view code) {
  if (code.starts_with('i')) return IsCanonicalNumber(code.substr(1));
  if (!IsCanonicalNumber(code)) return false;
  int appearance = *ParseWholeNumber(code);
  return appearance >= 1 && appearance < kPresentAppearance;
}

bool IsAppearanceItemCode(std::string_view code) { return !code.starts_with('i'); }

int ItemPrice(std::string_view code) {
  return IsAppearanceItemCode(code) ? kAppearanceItemPrice : kOrdinaryItemPrice;
}

std::vector<std::string> FormatInventory(const std::vector<Item>& items) {
  if (items.empty()) return {"i0"};
  std::vector<std::string> messages;
  std::string message = "i";
  for (const Item& item : items) {
    std::string pair = item.item_code + "," + std::to_string(item.item_id);
    if (message.size() > 1 && message.size() + 1 + pair.size() > kMaxBodyLength) {
      messages.push_back(message);
      message = "i";
    }
    if (message.size() > 1) message += ',';
    message += pair;
  }
  messages.push_back(message);
  return messages;
}

}  // namespace posyvaled
