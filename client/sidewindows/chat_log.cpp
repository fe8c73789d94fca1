#include "client/sidewindows/chat_log.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "client/platform/text.h"
#include "client/resources/chat_log_dialog.h"
#include "client/session/wire_fields.h"
#include "client/world/world_state.h"

namespace {

// The log box starts below the buttons and ends one pixel above the
// bottom edge.
constexpr int kLogBoxTop = 27;
constexpr int kLogBoxBottomGap = 28;

platform::WindowHandle chat_log_window = nullptr;
platform::WindowHandle chat_log_box = nullptr;

// Empty log: the banner; any logged line: the clear and save buttons.
void ShowLogButtons(platform::WindowHandle dialog, bool has_lines) {
  const platform::Show buttons = has_lines ? platform::Show::Normal : platform::Show::Hide;
  platform::ShowWindow(platform::GetDlgItem(dialog, resources::kClearLogButton), buttons);
  platform::ShowWindow(platform::GetDlgItem(dialog, resources::kSaveLogButton), buttons);
  platform::ShowWindow(platform::GetDlgItem(dialog, resources::kChatLogBanner),
                       has_lines ? platform::Show::Hide : platform::Show::Normal);
}

void PlaceLogBox(int client_width, int client_height) {
  platform::MoveWindow(chat_log_box, 0, kLogBoxTop, client_width, client_height - kLogBoxBottomGap);
}

void ClearLog(platform::WindowHandle dialog) {
  if (platform::MessageBox(dialog, "チャットログを消去しますか？", "確 認",
                           platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES) {
    return;
  }
  platform::SetWindowText(chat_log_box, "");
  ShowLogButtons(dialog, false);
}

// Every line of the log box, cut to 127 bytes, each ended by CR LF.
void SaveLog(platform::WindowHandle dialog) {
  const std::string path = AskSaveFileName(dialog);
  if (path.empty()) return;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  const int lines = platform::GetEditLineCount(chat_log_box);
  for (int line = 0; line < lines; ++line) {
    const std::string text = platform::GetEditLine(chat_log_box, line, kSavedLineMax);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fputs("\r\n", file);
  }
  std::fclose(file);
}

class ChatLogProc : public platform::DialogProc {
 public:
  void OnInitDialog(platform::WindowHandle dialog) override {
    chat_log_box = platform::CreateDialogControl(dialog, resources::ChatLogBoxControl);
    const platform::Rect client = platform::GetClientRect(dialog);
    PlaceLogBox(client.right, client.bottom);
    platform::SetButtonBitmap(platform::GetDlgItem(dialog, resources::kSaveLogButton), resources::kSaveLogPicture);
    platform::SetButtonBitmap(platform::GetDlgItem(dialog, resources::kClearLogButton),
                              resources::kClearLogPicture);
    ShowLogButtons(dialog, false);
  }

  void OnSize(platform::WindowHandle, int client_width, int client_height) override {
    if (chat_log_box) PlaceLogBox(client_width, client_height);
  }

  void OnCommand(platform::WindowHandle dialog, int id) override {
    switch (id) {
      case platform::IDOK:
      case platform::IDCANCEL:
        platform::EndDialog(dialog, id);  // hidden; the log stays
        break;
      case resources::kClearLogButton:
        ClearLog(dialog);
        break;
      case resources::kSaveLogButton:
        SaveLog(dialog);
        break;
      default:
        break;
    }
  }
};

ChatLogProc chat_log_proc;

// The speaker is the user, or a character in the table on the own map.
bool HeardHere(int speaker) {
  if (speaker == OwnAvatar.user_number) return true;
  const int slot = FindAvatarSlot(speaker);
  return slot >= 0 && AvatarTable.map[slot] == MapNumber;
}

}  // namespace

platform::WindowHandle CreateChatLogWindow(platform::WindowHandle owner) {
  if (!chat_log_window) {
    chat_log_window = platform::CreateModelessDialog(resources::ChatLogDialogTemplate, owner, chat_log_proc);
  }
  return chat_log_window;
}

platform::WindowHandle GetChatLogWindow() { return chat_log_window; }

void LogChatMessage(const char* text, int length) {
  if (length < 1 || text[0] != 'c' || !chat_log_window) return;
  const WireFields fields =
      SplitWireFields(std::string_view(text + 1, static_cast<std::size_t>(length - 1)), 2);
  // A speaker without a line leaves nothing to log.
  if (fields.count < 2 || !HeardHere(ReadWireInt(fields.field[0]))) return;
  AppendChatLog(chat_log_box, std::string(fields.field[1]) + "\r\n");
  ShowLogButtons(chat_log_window, true);
}

std::string AppendWithinCapacity(std::string_view log, std::string_view line) {
  line = platform::Cp932Prefix(line, kChatLogCapacity);
  std::size_t start = 0;
  while (log.size() - start + line.size() > kChatLogCapacity) {
    const std::size_t end = log.find("\r\n", start);
    start = end == std::string_view::npos ? log.size() : end + 2;
  }
  std::string text(log.substr(start));
  text += line;
  return text;
}

void AppendChatLog(platform::WindowHandle log_box, std::string_view line) {
  const std::string log = platform::GetWindowText(log_box, kChatLogCapacity);
  platform::SetWindowText(log_box, AppendWithinCapacity(log, line));
  // Scrolls to the newest line.
  platform::ScrollEditToLine(log_box, platform::GetEditLineCount(log_box) - 1);
}

std::string AskSaveFileName(platform::WindowHandle owner) {
  static constexpr platform::FileFilter kFilters[] = {{"text(*.txt)", "*.txt"}, {"All files(*.*)", "*.*"}};
  std::string name = platform::GetSaveFileName(owner, "名前を付けて保存", kFilters, "txt");
  if (!name.empty() && FileExists(name) &&
      platform::MessageBox(owner, "既にファイルが存在します。上書きしますか？", "確 認",
                           platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDNO) {
    name.clear();
  }
  return name;
}

int FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error) ? 1 : 0;
}
