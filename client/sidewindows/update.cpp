#include "client/sidewindows/update.h"

#include <cstdio>
#include <vector>

#include "client/platform/files.h"
#include "client/platform/ftp.h"
#include "client/resources/update_dialog.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/startup.h"
#include "client/session/wire_fields.h"

platform::WindowHandle UpdateProgressWindow = nullptr;
std::uint32_t UpdatePackageSize = 0;
std::int64_t UpdateReceivedCount = 0;

namespace {

// The package is a program: readable by all, executable, writable by us.
constexpr unsigned kPackagePermissions = 0755;

struct StatusText {
  int code;
  const char* text;
};

constexpr StatusText kStatusTexts[] = {
    {platform::kFtpResolvingName, "IPアドレスの取得中."},
    {platform::kFtpNameResolved, "IPアドレスを取得終了."},
    {platform::kFtpConnectingToServer, "サーバへ接続中."},
    {platform::kFtpConnectedToServer, "サーバへ接続終了."},
    {platform::kFtpClosingConnection, "サーバから切断中."},
    {platform::kFtpConnectionClosed, "サーバから切断終了."},
    {100, "非同期捜査が終了した."},
    {110, "自動リダイレクトによる要求の転送中."},
};

// The progress window ignores its close command, so the user cannot close it.
class UpdateDialogProc : public platform::DialogProc {};

UpdateDialogProc TheUpdateDialogProc;

void OpenUpdateProgressWindow() {
  UpdateProgressWindow =
      platform::CreateModelessDialog(resources::UpdateDialogTemplate, MainWindow, TheUpdateDialogProc);
  platform::ShowWindow(UpdateProgressWindow, platform::Show::NoActivate);
}

// Received share of the package in whole percent; 0 while the size is unknown.
std::int64_t ReceivedPercent() {
  if (UpdatePackageSize == 0) return 0;
  return UpdateReceivedCount * 100 / UpdatePackageSize;
}

void ShowReceivedCounts() {
  char text[128];
  std::snprintf(text, sizeof text, "%lld / %lu バイト受信しました,%lld％",
                static_cast<long long>(UpdateReceivedCount), static_cast<unsigned long>(UpdatePackageSize),
                static_cast<long long>(ReceivedPercent()));
  ShowUpdateProgress(text);
}

// Takes the listed size of the package; false when it is 4 GiB or larger.
bool TakeListedSize(const std::vector<platform::FtpEntry>& entries, std::string_view file_name) {
  for (const platform::FtpEntry& entry : entries) {
    if (entry.name != file_name) continue;
    if (entry.size >> 32 != 0) return false;
    UpdatePackageSize = static_cast<std::uint32_t>(entry.size);
    return true;
  }
  return true;
}

void ShowDownloadedNotice() {
  platform::MessageBox(nullptr,
                       "Posyvaleの更新ファイルをダウンロードしました。\n"
                       "Posyvaleのファイルを更新しますので再度ログインしてください。",
                       "お知らせ", platform::MB_OK);
}

}  // namespace

int OwnVersionNumber() {
  const std::string_view text = kVersionText;
  const std::size_t space = text.find(' ');
  if (space == std::string_view::npos) return 0;
  // Tenths of the decimal fraction after the space, truncated: "1.6" is 16.
  std::size_t at = space + 1;
  int number = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') number = number * 10 + (text[at++] - '0');
  number *= 10;
  if (at + 1 < text.size() && text[at] == '.' && text[at + 1] >= '0' && text[at + 1] <= '9') {
    number += text[at + 1] - '0';
  }
  return number;
}

bool ReadNewestVersion(std::string_view text, int* version) {
  if (text.empty() || text.size() > kMaxVersionDigits) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *version = value;
  return true;
}

int CheckForUpdate(std::string_view newest_version) {
  int newest = 0;
  if (!ReadNewestVersion(newest_version, &newest)) return 0;
  const std::string local_path = InstallDir + std::string(newest_version) + ".exe";
  if (newest <= OwnVersionNumber()) {
    std::remove(local_path.c_str());  // a package left by an earlier update, if any
    return 0;
  }

  OpenUpdateProgressWindow();
  platform::MessageBox(MainWindow, "最新版の Posyvale をダウンロードします。", "お知らせ", platform::MB_OK);
  if (DownloadUpdate(local_path) != 1) return 0;

  ShowDownloadedNotice();
  // The package gets exactly one argument, " -m", and runs in the install
  // folder; the client's own current folder is left alone.
  if (!platform::StartProgram(local_path, {local_path, " -m"}, InstallDir)) {
    platform::MessageBox(MainWindow, "Posyvaleの更新に失敗しました。", "エラー", platform::MB_OK);
  }
  return 1;
}

int DownloadUpdate(const std::string& local_path) {
  // An empty user name logs in anonymously. The session closes its
  // connection on every way out of this function.
  platform::FtpSession session(ServiceHost, kUpdateFtpPort, "", "");
  if (!session.IsOpen() || !session.SetStatusCallback(UpdateStatusCallback)) {
    platform::MessageBox(nullptr, "コールバックを設定できません", "Error", platform::MB_OK);
    return 0;
  }
  // The package has the same name on the server as in the install folder.
  const std::string file_name = local_path.substr(local_path.rfind('/') + 1);
  std::vector<platform::FtpEntry> entries;
  if (session.ListFolder(kUpdateFolder, &entries) && !TakeListedSize(entries, file_name)) return -2;

  const std::string remote_path = kUpdateFolder + file_name;
  if (!session.GetFile(remote_path, local_path, UpdatePackageSize, kPackagePermissions)) {
    session.Close();
    platform::MessageBox(nullptr, "ダウンロードに失敗しました。", "失敗", platform::MB_OK);
    return 0;
  }
  char text[128];
  std::snprintf(text, sizeof text, "%lu / %lu バイト受信しました。, ", static_cast<unsigned long>(UpdatePackageSize),
                static_cast<unsigned long>(UpdatePackageSize));
  ShowUpdateProgress(text);
  session.Close();
  return 1;
}

void UpdateStatusCallback(int status_code, std::uint32_t byte_count) {
  if (status_code == platform::kFtpRequestSent || status_code == platform::kFtpResponseReceived) {
    UpdateReceivedCount += byte_count;
    ShowReceivedCounts();
    return;
  }
  for (const StatusText& status : kStatusTexts) {
    if (status.code == status_code) {
      ShowUpdateStatus(status.text);
      return;
    }
  }
}

void ShowUpdateStatus(std::string_view text) {
  platform::SetDlgItemText(UpdateProgressWindow, resources::kUpdateStatusText, text);
  platform::RepaintNow(UpdateProgressWindow);
}

void ShowUpdateProgress(std::string_view text) {
  const WireFields parts = SplitWireFields(text, 2);
  platform::SetDlgItemText(UpdateProgressWindow, resources::kUpdateByteCountText,
                           parts.count > 0 ? parts.field[0] : std::string_view());
  platform::SetDlgItemText(UpdateProgressWindow, resources::kUpdatePercentText,
                           parts.count > 1 ? parts.field[1] : std::string_view());
  platform::RepaintNow(UpdateProgressWindow);
}
