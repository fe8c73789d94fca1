#include "client/community/mailbox.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "client/community/friends.h"
#include "client/community/postcard_send.h"
#include "client/platform/text.h"
#include "client/resources/mailbox_dialog.h"
#include "client/session/connection.h"
#include "client/session/program.h"
#include "client/session/startup.h"
#include "client/session/wire_fields.h"
#include "client/sidewindows/chat_log.h"

char CurrentCardSenderLine[kCardSenderLineSize] = {};
int ReceivedCount = 0;

namespace {

constexpr char kCannotCreateCard[] = "メールデータファイルを作成出来ませんでした。";
constexpr char kCannotWriteCard[] = "メールデータファイルの書き込みに失敗しました。";
constexpr char kCannotOpenCard[] = "ファイルのオープンに失敗しました。";

// Reading limits of the header lines in the list, and of a shown card.
constexpr std::size_t kListSenderMax = 19;
constexpr std::size_t kListLineMax = 39;
constexpr std::size_t kCardPathMax = 126;
constexpr std::size_t kCardPieceMax = 999;
// Header lines are read whole up to this size and then cut to their limit.
constexpr std::size_t kHeaderReadMax = 4096;

// Small pictures of the card list.
enum CardImage { kUnreadImage, kReadImage };

enum CardColumn { kSenderColumn, kSubjectColumn, kDateColumn, kNumberColumn, kFileColumn };

platform::WindowHandle mailbox_window = nullptr;
platform::WindowHandle mailbox_owner = nullptr;
platform::WindowHandle card_list = nullptr;
// The subject of the card shown last, for a reply with no entry selected.
std::string shown_card_subject;

// The card being written between the forms "1" and "3".
std::FILE* OpenCardFile = nullptr;
// The last byte written to the open card was a CR, so an LF that follows
// belongs to the same line break.
bool card_after_cr = false;

void ShowCardError(const char* text) {
  platform::MessageBox(mailbox_window, text, "エラー", platform::MB_ICONHAND);
}

// Writes message text with every line break stored as CR LF, whether it
// came as CR LF, a lone LF or a lone CR, also when a piece ends between the
// CR and the LF. False when a write failed.
bool WriteCardText(std::string_view text) {
  for (char c : text) {
    bool written;
    if (c == '\r') {
      written = std::fputs("\r\n", OpenCardFile) >= 0;
      card_after_cr = true;
      if (!written) return false;
      continue;
    }
    if (c == '\n') {
      written = card_after_cr || std::fputs("\r\n", OpenCardFile) >= 0;
    } else {
      written = std::fputc(c, OpenCardFile) != EOF;
    }
    card_after_cr = false;
    if (!written) return false;
  }
  return true;
}

void CloseOpenCard() {
  if (OpenCardFile) std::fclose(OpenCardFile);
  OpenCardFile = nullptr;
}

// The field or "" when the message lacks it.
std::string_view Field(const WireFields& fields, int index) {
  return index < fields.count ? fields.field[index] : std::string_view();
}

// Form "1": a new card file with the three header lines. A card still open
// (its last piece never came) is closed first with what it received.
void BeginCard(std::string_view text) {
  CloseOpenCard();
  const WireFields fields = SplitWireFields(text, 6);
  OpenCardFile = std::fopen(CardFilePath(NextCardNumber()).c_str(), "wb");
  card_after_cr = false;
  if (!OpenCardFile) {
    ShowCardError(kCannotCreateCard);
    return;
  }
  const std::string header = std::string(Field(fields, 4)) + "\t" + std::string(Field(fields, 3)) + "\r\n" +
                             std::string(Field(fields, 5)) + "\r\n" + std::string(Field(fields, 1)) + " [" +
                             std::string(Field(fields, 2)) + "]\r\n";
  if (std::fwrite(header.data(), 1, header.size(), OpenCardFile) != header.size()) ShowCardError(kCannotWriteCard);
}

// Forms "2" and "3": a piece of the open card's message. Without an open
// card nothing is written anywhere.
bool AppendCardPiece(std::string_view piece) {
  if (!OpenCardFile) return false;
  if (!WriteCardText(piece)) ShowCardError(kCannotWriteCard);
  return true;
}

// The button shows the counter, which then counts on.
void UpdateReceiveCounter() {
  char text[32];
  std::snprintf(text, sizeof text, "受信(%d)", ReceivedCount);
  platform::SetDlgItemText(mailbox_window, resources::kReceiveButton, text);
  ++ReceivedCount;
}

// One line of a card file without its line end, read up to max_bytes
// bytes (a longer line goes on in the next read). A CR LF line end ends the
// line even when the text before it fills max_bytes but one. False at the
// end.
bool ReadCardLine(std::FILE* file, std::size_t max_bytes, std::string& line) {
  line.clear();
  int byte = EOF;
  while (line.size() < max_bytes && (byte = std::getc(file)) != EOF) {
    if (byte == '\n') break;
    if (byte == '\r') {
      const int next = std::getc(file);
      if (next == '\n') break;
      if (next != EOF) std::ungetc(next, file);
    }
    line += static_cast<char>(byte);
  }
  return byte != EOF || !line.empty();
}

// A whole header line, cut to max_bytes.
std::string ReadHeaderLine(std::FILE* file, std::size_t max_bytes) {
  std::string line;
  if (!ReadCardLine(file, kHeaderReadMax, line)) return {};
  return std::string(platform::Cp932Prefix(line, max_bytes));
}

std::vector<std::string> CardFileNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(InstallDir + "mail", error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 4 && name.ends_with(".hgk") && entry.is_regular_file(error)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Adds the card of one file at the top of the list; false when the file
// cannot be opened.
bool ListCardFile(const std::string& name) {
  const std::string path = InstallDir + "mail/" + name;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  const std::string sender = ReadHeaderLine(file, kListSenderMax);
  const std::string subject = ReadHeaderLine(file, kListLineMax);
  const std::string date = ReadHeaderLine(file, kListLineMax);
  std::fclose(file);
  const std::size_t tab = sender.find('\t');
  const std::string handle = sender.substr(0, tab);
  const std::string number = tab == std::string::npos ? std::string() : sender.substr(tab + 1);
  const int entry = platform::InsertListItem(card_list, 0, handle, name[0] == '0' ? kReadImage : kUnreadImage);
  platform::SetListItemText(card_list, entry, kSubjectColumn, subject);
  platform::SetListItemText(card_list, entry, kDateColumn, date);
  platform::SetListItemText(card_list, entry, kNumberColumn, number);
  platform::SetListItemText(card_list, entry, kFileColumn, path);
  return true;
}

void FillCardList() {
  platform::DeleteAllListItems(card_list);
  const std::vector<std::string> names = CardFileNames();
  if (names.empty()) {
    std::fputs("検索失敗\n", stdout);
    return;
  }
  for (const std::string& name : names) {
    if (!ListCardFile(name)) {
      ShowCardError(kCannotOpenCard);
      return;
    }
  }
}

// The viewer shows a blank, then every message line on a line of its own,
// scrolled towards the end.
void ShowCardFile(const std::string& path) {
  const platform::WindowHandle viewer = platform::GetDlgItem(mailbox_window, resources::kCardViewer);
  platform::SetWindowText(viewer, " ");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    ShowCardError(kCannotOpenCard);
    return;
  }
  const std::string sender = ReadHeaderLine(file, kCardSenderLineSize - 1);
  std::memcpy(CurrentCardSenderLine, sender.data(), sender.size());
  CurrentCardSenderLine[sender.size()] = '\0';
  shown_card_subject = ReadHeaderLine(file, kCardPathMax);
  ReadHeaderLine(file, kCardPathMax);
  std::string text = " ";
  std::string line;
  while (ReadCardLine(file, kCardPieceMax, line)) text += line + "\r\n";
  std::fclose(file);
  platform::SetWindowText(viewer, text);
  platform::ScrollEditToLine(viewer, platform::GetEditLineCount(viewer) - 1);
}

// The card keeps its unread name when its read name is taken by a file
// that is not ours to overwrite.
void ShowSelectedCard() {
  const int selected = platform::GetListSelection(card_list);
  if (selected < 0) return;
  std::string path = platform::GetListItemText(card_list, selected, kFileColumn, kCardPathMax);
  if (path.empty()) return;
  platform::SetListItemImage(card_list, selected, kReadImage);
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name[0] != '0') {
    const std::string read_path = ReadCardPath(path);
    if (!FileExists(read_path) && std::rename(path.c_str(), read_path.c_str()) == 0) {
      path = read_path;
      platform::SetListItemText(card_list, selected, kFileColumn, path);
    }
  }
  ShowCardFile(path);
  platform::EnableWindow(platform::GetDlgItem(mailbox_window, resources::kReplyButton), true);
}

void DeleteSelectedCard() {
  const int selected = platform::GetListSelection(card_list);
  if (selected < 0) return;
  const std::string path = platform::GetListItemText(card_list, selected, kFileColumn, kCardPathMax);
  if (path.empty()) return;
  if (platform::MessageBox(mailbox_window, "削除しますか？", "確 認",
                           platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES &&
      std::remove(path.c_str()) == 0) {
    platform::DeleteListItem(card_list, selected);
  }
  FillCardList();
}

void ReceiveCards() {
  platform::EnableWindow(platform::GetDlgItem(mailbox_window, resources::kReceiveButton), false);
  SendRequest("h0");
  ReceivedCount = 0;
}

void ShowNewSender() { CenterWindow(GetPostcardSender(), 0, 0); }

// The sender becomes a friend first, so that the new window lists them.
void ReplyToShownCard() {
  const std::string_view line = CurrentCardSenderLine;
  const std::size_t tab = line.find('\t');
  const std::string_view handle = line.substr(0, tab);
  const int number = tab == std::string_view::npos ? 0 : ReadWireInt(line.substr(tab + 1));
  RegisterFriend(handle, number);
  OpenPostcardSender(mailbox_owner);
  PresetReplyRecipient(handle);
  const int selected = platform::GetListSelection(card_list);
  PresetReplySubject(selected < 0 ? shown_card_subject
                                  : platform::GetListItemText(card_list, selected, kSubjectColumn, kCardPathMax));
  ShowNewSender();
  platform::EndDialog(mailbox_window, 0);  // hidden and kept for the next opening
}

void CloseMailbox() {
  platform::DestroyWindow(mailbox_window);
  mailbox_window = nullptr;
  card_list = nullptr;
}

void OnCardListEvent(platform::ListEvent event) {
  if (event == platform::ListEvent::LeftButtonUp) ShowSelectedCard();
  if (event == platform::ListEvent::DeleteKey) DeleteSelectedCard();
}

class MailboxProc : public platform::DialogProc {
 public:
  bool list_failed = false;

  void OnInitDialog(platform::WindowHandle dialog) override {
    mailbox_window = dialog;
    card_list = platform::CreateDialogControl(dialog, resources::CardListControl);
    list_failed = card_list == nullptr;
    if (list_failed) return;
    platform::SetListEventHandler(card_list, OnCardListEvent);
    platform::ImageListHandle images = platform::CreateImageList(16, 16);
    platform::AddResourceImage(images, resources::kUnreadCardPicture);
    platform::AddResourceImage(images, resources::kReadCardPicture);
    platform::SetListImageList(card_list, images);
    platform::AddListColumn(card_list, "送信者", 100);
    platform::AddListColumn(card_list, "件名", 300);
    platform::AddListColumn(card_list, "送信日時", 200);
    platform::AddListColumn(card_list, "id", 1);
    platform::AddListColumn(card_list, "ファイル名", 1);
    FillCardList();
    platform::EnableWindow(platform::GetDlgItem(dialog, resources::kReplyButton), false);
  }

  void OnCommand(platform::WindowHandle, int id) override {
    switch (id) {
      case resources::kMailboxCloseButton:
      case platform::IDCANCEL:
        CloseMailbox();
        break;
      case resources::kDeleteCardButton:
        DeleteSelectedCard();
        break;
      case resources::kReplyButton:
        ReplyToShownCard();
        break;
      case resources::kReceiveButton:
        ReceiveCards();
        break;
      case resources::kNewCardButton:
        OpenPostcardSender(mailbox_owner);
        ShowNewSender();
        break;
      default:
        break;
    }
  }
};

MailboxProc mailbox_proc;

}  // namespace

std::string CardFilePath(int number) { return InstallDir + "mail/" + std::to_string(number) + ".hgk"; }

std::string ReadCardPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "0" + path;
  return path.substr(0, slash) + "/0" + path.substr(slash + 1);
}

int NextCardNumber() {
  int number = 1;
  while (FileExists(CardFilePath(number)) || FileExists(ReadCardPath(CardFilePath(number)))) ++number;
  return number;
}

void HandlePostcardMessage(char* text) {
  const std::string_view message = text;
  if (message.starts_with("et")) {
    ShowSendResult(ReadWireInt(message.substr(2)));
    return;
  }
  switch (message.empty() ? '\0' : message[0]) {
    case '1':
      BeginCard(message);
      break;
    case '2':
      AppendCardPiece(message.substr(1));
      break;
    case '3':
      // A card that was never opened is not counted: the counter tells the
      // cards that were stored.
      if (AppendCardPiece(message.substr(1))) {
        CloseOpenCard();
        UpdateReceiveCounter();
      }
      break;
    case '4':
      platform::EnableWindow(platform::GetDlgItem(mailbox_window, resources::kReceiveButton), true);
      UpdateReceiveCounter();
      FillCardList();
      break;
    default:
      break;
  }
}

void OpenMailbox(platform::WindowHandle owner) {
  if (mailbox_window) return;
  mailbox_owner = owner;
  platform::CreateModelessDialog(resources::MailboxDialogTemplate, owner, mailbox_proc);
  if (mailbox_proc.list_failed) CloseMailbox();
}

platform::WindowHandle GetMailbox() { return mailbox_window; }

platform::WindowHandle GetCardList() { return card_list; }
