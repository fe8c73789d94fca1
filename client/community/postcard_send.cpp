#include "client/community/postcard_send.h"

#include <cstdio>

#include "client/community/friends.h"
#include "client/platform/text.h"
#include "client/resources/postcard_dialog.h"
#include "client/session/connection.h"

namespace {

constexpr std::size_t kReplySubjectMax = 63;

platform::WindowHandle newest_sender = nullptr;

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (std::size_t i = 0; i < lowered.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(lowered[i]);
    if (platform::IsCp932LeadByte(byte)) {
      ++i;
    } else if (byte >= 'A' && byte <= 'Z') {
      lowered[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return lowered;
}

void FillRecipients(platform::WindowHandle window) {
  const platform::WindowHandle list = platform::GetDlgItem(window, resources::kRecipientList);
  platform::ClearDropDownList(list);
  std::vector<std::string> names;
  ListFriends(window, names);
  for (const std::string& name : names) platform::AddDropDownEntry(list, name);
}

void DeleteChosenFriend(platform::WindowHandle window) {
  DeleteFriend(window, platform::GetDlgItemText(window, resources::kRecipientList, kRecipientMax));
  FillRecipients(window);
}

// After sending only the close button is left; it now reads "終 了".
void LockSentWindow(platform::WindowHandle window) {
  for (int id : {resources::kRecipientList, resources::kSubjectEdit, resources::kMessageEdit,
                 resources::kSendButton}) {
    platform::EnableWindow(platform::GetDlgItem(window, id), false);
  }
  platform::SetDlgItemText(window, platform::IDCANCEL, "終 了");
}

void CloseSender(platform::WindowHandle window) {
  platform::DestroyWindow(window);
  if (window == newest_sender) newest_sender = nullptr;
}

class SenderProc : public platform::DialogProc {
 public:
  void OnInitDialog(platform::WindowHandle dialog) override { FillRecipients(dialog); }

  void OnCommand(platform::WindowHandle dialog, int id) override {
    switch (id) {
      case resources::kSendButton:
        if (SendPostcard(dialog) == 0) LockSentWindow(dialog);
        break;
      case resources::kDeleteFriendButton:
        DeleteChosenFriend(dialog);
        break;
      case platform::IDCANCEL:
        CloseSender(dialog);
        break;
      default:
        break;
    }
  }
};

SenderProc sender_proc;

}  // namespace

void OpenPostcardSender(platform::WindowHandle owner) {
  newest_sender = platform::CreateModelessDialog(resources::PostcardDialogTemplate, owner, sender_proc);
}

platform::WindowHandle GetPostcardSender() { return newest_sender; }

void PresetReplyRecipient(std::string_view handle_name) {
  if (!newest_sender) return;
  const platform::WindowHandle list = platform::GetDlgItem(newest_sender, resources::kRecipientList);
  const std::string wanted = Lowered(handle_name);
  const int count = platform::GetDropDownCount(list);
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i) {
    if (Lowered(platform::GetDropDownEntry(list, i)).starts_with(wanted)) found = i;
  }
  platform::SelectDropDownEntry(list, found);
  platform::EnableWindow(list, false);
  platform::ShowWindow(platform::GetDlgItem(newest_sender, resources::kDeleteFriendButton), platform::Show::Hide);
}

void PresetReplySubject(std::string_view subject) {
  if (!newest_sender) return;
  const std::string text = "Re: " + std::string(subject);
  platform::SetDlgItemText(newest_sender, resources::kSubjectEdit, platform::Cp932Prefix(text, kReplySubjectMax));
}

std::string SendResultText(int code) {
  switch (code) {
    case 0: return "送信が完了しました。";
    case 1: return "メールの送信に失敗しました。「相手のメールボックスが一杯です。」";
    case 2: return "メールの送信に失敗しました。「送信先ＩＤ該当なし」";
    case 3: return "メールの送信に失敗しました。「ハンドル名、送信先ＩＤ不一致」";
    default: return "メールの送信に失敗しました。「エラー番号 " + std::to_string(code) + "」";
  }
}

void ShowSendResult(int code) {
  if (newest_sender) platform::SetDlgItemText(newest_sender, resources::kSendResultLine, SendResultText(code));
}

const char* CheckPostcard(std::string_view recipient, std::string_view subject, std::string_view message) {
  if (recipient.empty()) return "送信先を選択してください。";
  if (subject.empty()) return "件名を選択してください。";
  if (message.empty()) return "送信メッセージを入力してください。";
  if (message.size() >= kMessageLimit) return "送信メッセージは、８００文字以内です。";
  return nullptr;
}

// Pieces are cut by bytes: a double-byte character may be split between two
// pieces, and the server joins them byte for byte.
std::vector<std::string> PostcardRequests(int number, std::string_view recipient, std::string_view subject,
                                          std::string_view message) {
  std::vector<std::string> requests;
  requests.push_back("h1" + std::to_string(number) + "," + std::string(recipient) + "," + std::string(subject));
  std::size_t at = 0;
  for (; message.size() - at > kPieceBytes; at += kPieceBytes) {
    requests.push_back("h2" + std::string(message.substr(at, kPieceBytes)));
  }
  requests.push_back("h3" + std::string(message.substr(at)));
  return requests;
}

// The message is read with its line breaks as CR LF, and they count
// towards its size.
int SendPostcard(platform::WindowHandle window) {
  const std::string recipient = platform::GetDlgItemText(window, resources::kRecipientList, kRecipientMax);
  const std::string subject = platform::GetDlgItemText(window, resources::kSubjectEdit, kSubjectMax);
  // One byte more than the limit, so that a cut before a double-byte
  // character still leaves a too long message at the limit or above.
  const std::string message = platform::GetDlgItemText(window, resources::kMessageEdit, kMessageLimit + 1);
  if (const char* warning = CheckPostcard(recipient, subject, message)) {
    platform::MessageBox(window, warning, "警告", platform::MB_ICONHAND);
    return -1;
  }
  const int number = LookUpFriendNumber(window, recipient);
  for (const std::string& request : PostcardRequests(number, recipient, subject, message)) {
    SendRequest(request.c_str());
  }
  return 0;
}
