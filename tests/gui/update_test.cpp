// The automatic update with the real progress window against a real FTP
// server on loopback.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_files.h"
#include "client/platform/ftp.h"
#include "client/platform/text.h"
#include "client/resources/update_dialog.h"
#include "client/session/connection.h"
#include "client/session/login.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/settings.h"
#include "client/session/startup.h"
#include "client/sidewindows/update.h"
#include "client/world/world_state.h"
#include "tests/support/ftp_server.h"
#include "tests/support/modal_script.h"
#include "tests/support/scripted_peer.h"

namespace {

using testsupport::ReadFile;
using testsupport::FolderNames;
using testsupport::RunShell;

using platform::ModalInfo;
using testsupport::FtpServer;
using testsupport::ModalScript;

constexpr char kStartNotice[] = "最新版の Posyvale をダウンロードします。";
constexpr char kDownloadedNotice[] =
    "Posyvaleの更新ファイルをダウンロードしました。\nPosyvaleのファイルを更新しますので再度ログインしてください。";
constexpr char kDownloadFailed[] = "ダウンロードに失敗しました。";

// The package: leaves its argument count, its arguments and its current
// folder in "marker" in its current folder.
constexpr char kMarkerPackage[] =
    "#!/bin/sh\nprintf '%s|%s|%s' \"$#\" \"$1\" \"$(pwd)\" > marker.tmp && mv marker.tmp marker\n";

std::string WaitForFile(const std::string& path, int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += 50) {
    if (access(path.c_str(), F_OK) == 0) return ReadFile(path);
    usleep(50 * 1000);
  }
  return {};
}

// True when the X server knows a mapped window with this (CP932) title.
bool WindowOnScreen(const std::string& title) {
  const std::string id = RunShell("xwininfo -root -tree 2>/dev/null | grep -F '\"" + platform::Cp932ToUtf8(title) +
                               "\"' | awk '{print $1}' | head -n1");
  if (id.empty()) return false;
  return RunShell("xwininfo -id " + id.substr(0, id.find('\n')) + " | grep -c IsViewable").find('1') == 0;
}

std::string ProgressText(int control) { return platform::GetDlgItemText(UpdateProgressWindow, control, 200); }

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-update-XXXXXX";
    outer_ = mkdtemp(pattern);
    install_ = outer_ + "/install/";
    mkdir(install_.c_str(), 0755);
    InstallDir = install_;
    UpdateReceivedCount = 0;
    UpdatePackageSize = 0;
    ASSERT_EQ(CreateMainWindow(), 1);
  }

  void TearDown() override {
    if (UpdateProgressWindow) platform::DestroyWindow(UpdateProgressWindow);
    UpdateProgressWindow = nullptr;
    platform::DestroyWindow(MainWindow);
    MainWindow = nullptr;
    std::system(("rm -rf " + outer_).c_str());
  }

  std::string outer_;
  std::string install_;
};

TEST_F(UpdateTest, NewerVersionDownloadsAndStartsThePackage) {
  FtpServer server(160);
  server.AddFile("pub/17.exe", kMarkerPackage);
  ServiceHost = server.Address();
  const std::string size = std::to_string(std::string(kMarkerPackage).size());

  ModalScript script;
  script.Then([](const ModalInfo& box) {
    // The progress window is on screen before the download starts.
    EXPECT_NE(UpdateProgressWindow, nullptr);
    EXPECT_TRUE(WindowOnScreen("Posyvale ｵｰﾄｱｯﾌﾟﾃﾞｰﾄ"));
    platform::ClickButton(box.window, platform::IDOK);
  });
  script.Then([&](const ModalInfo& box) {
    EXPECT_TRUE(WindowOnScreen("Posyvale ｵｰﾄｱｯﾌﾟﾃﾞｰﾄ"));
    EXPECT_EQ(ProgressText(resources::kUpdateByteCountText), size + " / " + size + " バイト受信しました。");
    EXPECT_EQ(ProgressText(resources::kUpdatePercentText), " ");
    EXPECT_EQ(ProgressText(resources::kUpdateStatusText), "サーバから切断終了.");
    platform::ClickButton(box.window, platform::IDOK);
  });

  EXPECT_EQ(CheckForUpdate("17"), 1);

  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, kStartNotice);
  EXPECT_EQ(boxes[0].caption, "お知らせ");
  EXPECT_TRUE(boxes[0].has_owner);
  EXPECT_EQ(boxes[1].text, kDownloadedNotice);
  EXPECT_EQ(boxes[1].caption, "お知らせ");
  EXPECT_FALSE(boxes[1].has_owner);
  EXPECT_EQ(WaitForFile(install_ + "marker", 5000), "1| -m|" + outer_ + "/install");
  EXPECT_EQ(ReadFile(install_ + "17.exe"), kMarkerPackage);
  EXPECT_EQ(UpdatePackageSize, std::string(kMarkerPackage).size());
  // Commands and replies count as well as the package bytes.
  EXPECT_GT(UpdateReceivedCount, static_cast<std::int64_t>(UpdatePackageSize));
}

TEST_F(UpdateTest, EqualOrOlderVersionDeletesTheStalePackage) {
  FtpServer server(161);
  ServiceHost = server.Address();
  for (const char* version : {"16", "15"}) {
    SCOPED_TRACE(version);
    const std::string stale = install_ + version + ".exe";
    std::ofstream(stale) << "old package";
    std::ofstream(install_ + "keep.exe") << "other file";
    ModalScript script;
    EXPECT_EQ(CheckForUpdate(version), 0);
    EXPECT_NE(access(stale.c_str(), F_OK), 0) << "stale package still there";
    EXPECT_EQ(access((install_ + "keep.exe").c_str(), F_OK), 0);
    EXPECT_TRUE(script.Shown().empty());
    EXPECT_EQ(UpdateProgressWindow, nullptr);
  }
  EXPECT_TRUE(server.Commands().empty()) << "the server was contacted";
}

// The version text becomes a file name; only plain decimal numbers count.
TEST_F(UpdateTest, VersionTextThatIsNoPlainNumberIsNoUpdate) {
  FtpServer server(162);
  server.AddFile("pub/17abc.exe", kMarkerPackage);
  ServiceHost = server.Address();
  // Files outside the install folder that a crafted name would reach.
  std::ofstream(outer_ + "/15.exe") << "outside";
  std::ofstream(outer_ + "/x.exe") << "outside";
  for (const char* version : {"../15", "17abc", "abc", "../../x", " 17", "+17", "-1", "", "1234567890"}) {
    SCOPED_TRACE(version);
    ModalScript script;
    EXPECT_EQ(CheckForUpdate(version), 0);
    EXPECT_TRUE(script.Shown().empty());
    EXPECT_EQ(UpdateProgressWindow, nullptr);
  }
  EXPECT_EQ(ReadFile(outer_ + "/15.exe"), "outside");
  EXPECT_EQ(ReadFile(outer_ + "/x.exe"), "outside");
  EXPECT_TRUE(FolderNames(install_).empty());
  EXPECT_TRUE(server.Commands().empty()) << "the server was contacted";
}

// Every failure shows the same message without owner, leaves no package
// and keeps the progress window with its last texts.
TEST_F(UpdateTest, FailedDownloadsShowTheFailureAndLeaveNoPackage) {
  struct Case {
    const char* what;
    int octet;
    bool start_server;
    FtpServer::Mode mode;
    const char* stored_as;  // the package's name on the server
  };
  const Case cases[] = {
      {"no server", 163, false, FtpServer::Mode::Normal, nullptr},
      {"missing file", 164, true, FtpServer::Mode::Normal, "18.exe"},
      {"listed in other letter case", 165, true, FtpServer::Mode::Normal, "17.EXE"},
      {"truncated transfer", 166, true, FtpServer::Mode::TruncateTransfers, "17.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<FtpServer> server;
    if (c.start_server) {
      server = std::make_unique<FtpServer>(c.octet, c.mode);
      server->AddFile(std::string("pub/") + c.stored_as, std::string(4000, 'p'));
    }
    ServiceHost = "127.0.0." + std::to_string(c.octet);
    UpdatePackageSize = 0;
    std::string percent_at_failure;
    ModalScript script;
    script.Answer(platform::IDOK);
    script.Then([&](const ModalInfo& box) {
      percent_at_failure = ProgressText(resources::kUpdatePercentText);
      platform::ClickButton(box.window, platform::IDOK);
    });

    EXPECT_EQ(CheckForUpdate("17"), 0);

    const auto boxes = script.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, kDownloadFailed);
    EXPECT_EQ(boxes[1].caption, "失敗");
    EXPECT_FALSE(boxes[1].has_owner);
    EXPECT_TRUE(FolderNames(install_).empty()) << "a package or a partial file was left";
    ASSERT_NE(UpdateProgressWindow, nullptr);
    EXPECT_TRUE(WindowOnScreen("Posyvale ｵｰﾄｱｯﾌﾟﾃﾞｰﾄ"));
    if (std::string(c.what) == "listed in other letter case") {
      // No listing entry matched: the size stays 0 and so does the share.
      EXPECT_EQ(UpdatePackageSize, 0u);
      EXPECT_EQ(percent_at_failure, "0％");
      EXPECT_NE(ProgressText(resources::kUpdateByteCountText).find(" / 0 バイト受信しました"), std::string::npos);
    }
    platform::DestroyWindow(UpdateProgressWindow);
    UpdateProgressWindow = nullptr;
  }
}

TEST_F(UpdateTest, PackageOf4GiBOrMoreEndsTheUpdateSilently) {
  FtpServer server(167);
  server.AddFile("pub/17.exe", kMarkerPackage);
  server.ListSizeAs("17.exe", 4294967296ull);
  ServiceHost = server.Address();
  EXPECT_EQ(DownloadUpdate(install_ + "17.exe"), -2);

  ModalScript script;
  EXPECT_EQ(CheckForUpdate("17"), 0);
  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kStartNotice);
  EXPECT_TRUE(FolderNames(install_).empty());
}

// The progress texts while the package size is still unknown.
TEST_F(UpdateTest, ProgressWithoutListedSizeShowsZeroPercent) {
  ModalScript script;
  script.Then([](const ModalInfo& box) {
    UpdatePackageSize = 0;
    UpdateReceivedCount = 0;
    UpdateStatusCallback(platform::kFtpResponseReceived, 3000000000u);
    EXPECT_EQ(ProgressText(resources::kUpdateByteCountText), "3000000000 / 0 バイト受信しました");
    EXPECT_EQ(ProgressText(resources::kUpdatePercentText), "0％");
    // Counts beyond 32 bits keep their value and give the right share.
    UpdatePackageSize = 4000000000u;
    UpdateStatusCallback(platform::kFtpRequestSent, 3000000000u);
    EXPECT_EQ(ProgressText(resources::kUpdateByteCountText), "6000000000 / 4000000000 バイト受信しました");
    EXPECT_EQ(ProgressText(resources::kUpdatePercentText), "150％");
    UpdateStatusCallback(platform::kFtpConnectingToServer, 0);
    EXPECT_EQ(ProgressText(resources::kUpdateStatusText), "サーバへ接続中.");
    platform::ClickButton(box.window, platform::IDOK);
  });
  script.Answer(platform::IDOK);
  ServiceHost = "127.0.0.168";  // nothing listens there
  EXPECT_EQ(CheckForUpdate("17"), 0);
}

// The login hands its version field to the update; a fetched package ends
// the client.
TEST_F(UpdateTest, LoginWithNewerVersionEndsAfterStartingThePackage) {
  FtpServer server(169);
  server.AddFile("pub/17.exe", kMarkerPackage);
  testsupport::ScriptedPeer peer(169, "l5,3,Hana,17,100,200,1");
  ServiceHost = server.Address();
  SetupSettingsPath();
  SessionIdentity = {};
  ModalScript script;
  script.Then([](const ModalInfo& dialog) {
    platform::SetDlgItemText(dialog.window, 1001, "hana");
    platform::SetDlgItemText(dialog.window, 1002, "pw");
    platform::ClickButton(dialog.window, 1);
  });

  EXPECT_EQ(LoginLoop(), LoginOutcome::Ended);

  EXPECT_EQ(WaitForFile(install_ + "marker", 5000), "1| -m|" + outer_ + "/install");
  EXPECT_EQ(ReadSetting("ID"), "hana");
  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, kDownloadedNotice);
}

}  // namespace
