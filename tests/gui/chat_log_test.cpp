// The chat log window with its real widgets: what is logged, clearing,
// saving and hiding.
#include "client/sidewindows/chat_log.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "client/platform/clock.h"
#include "client/resources/chat_log_dialog.h"
#include "client/world/world_state.h"
#include "tests/support/modal_script.h"

namespace {

namespace fs = std::filesystem;

// Serves the pending window events for a while, so that layout and
// scrolling happen.
void ServeEvents(int ms) {
  const std::uint32_t until = platform::TickCount() + static_cast<std::uint32_t>(ms);
  platform::RunMessageLoop([until] {
    if (platform::TickCount() >= until) platform::PostQuitMessage(0);
    platform::SleepMs(5);
  });
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Log(const std::string& message) { LogChatMessage(message.c_str(), static_cast<int>(message.size())); }

class ChatLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    OwnAvatar = {};
    OwnAvatar.user_number = 7;
    MapNumber = 1;
    Place(0, 42, 1);  // near
    Place(1, 43, 2);  // on another map
    Place(2, 44, 1);
    AvatarTable.rect[2].top = 0;  // a freed slot still tells its map
    window_ = CreateChatLogWindow(nullptr);
    ASSERT_NE(window_, nullptr);
    box_ = platform::GetDlgItem(window_, resources::kChatLogBox);
    ASSERT_NE(box_, nullptr);
    platform::ShowWindow(window_, platform::Show::Normal);
    // The window lives as long as the program: start from an empty log.
    testsupport::ModalScript script;
    script.Answer(platform::IDYES);
    platform::ClickButton(window_, resources::kClearLogButton);
    char pattern[] = "/tmp/posyvale-chatlog-XXXXXX";
    folder_ = mkdtemp(pattern);
  }

  void TearDown() override { fs::remove_all(folder_); }

  static void Place(int slot, int id, int map) {
    AvatarTable.id[slot] = id;
    AvatarTable.map[slot] = map;
    AvatarTable.rect[slot] = {100, 100, 130, 130};
  }

  std::string LogText() const { return platform::GetWindowText(box_, kChatLogCapacity); }
  bool Shown(int id) const { return platform::IsWindowVisible(platform::GetDlgItem(window_, id)); }
  bool ButtonsShown() const {
    EXPECT_EQ(Shown(resources::kClearLogButton), Shown(resources::kSaveLogButton));
    EXPECT_NE(Shown(resources::kClearLogButton), Shown(resources::kChatLogBanner)) << "banner and buttons";
    return Shown(resources::kClearLogButton);
  }

  // Saves through the save dialog answered with path, answering a question
  // that follows with `then`.
  void SaveAs(testsupport::ModalScript& script, const std::string& path, std::optional<int> then = {}) {
    script.Then([path](const platform::ModalInfo& info) { platform::AnswerFileDialog(info.window, path); });
    if (then) script.Answer(*then);
    platform::ClickButton(window_, resources::kSaveLogButton);
  }

  platform::WindowHandle window_ = nullptr;
  platform::WindowHandle box_ = nullptr;
  fs::path folder_;
};

TEST_F(ChatLogTest, OwnLinesAndLinesHeardOnTheOwnMapAreLogged) {
  struct Case {
    const char* name;
    std::string message;
    int length;
    std::string logged;  // "" when nothing is logged
  };
  const Case cases[] = {
      {"own line", "c7,Hana> hello", -1, "Hana> hello\r\n"},
      {"near speaker", "c42,yo", -1, "yo\r\n"},
      {"freed slot on the own map", "c44,still here", -1, "still here\r\n"},
      {"speaker on another map", "c43,far away", -1, ""},
      {"unknown speaker", "c99,who", -1, ""},
      {"text cut at its first comma", "c42,one,two", -1, "one\r\n"},
      {"only the given length counts", "c42,abcdef", 6, "ab\r\n"},
      {"speaker without a text", "c42", -1, ""},
      {"another message type", "a42,3,100,100,1", -1, ""},
      {"nothing received", "c42,yo", -1 - 1000, ""},
      {"zero length", "c42,yo", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::SetWindowText(box_, "");
    const int length = c.length == -1 ? static_cast<int>(c.message.size()) : c.length < -1 ? -1 : c.length;
    LogChatMessage(c.message.c_str(), length);
    EXPECT_EQ(LogText(), c.logged);
  }
}

TEST_F(ChatLogTest, TheFirstLineShowsTheButtonsAndClearingAfterYesRestoresTheBanner) {
  testsupport::ModalScript script;
  EXPECT_FALSE(ButtonsShown());
  Log("c7,Hana> hello");
  Log("c42,yo");
  EXPECT_TRUE(ButtonsShown());
  EXPECT_EQ(LogText(), "Hana> hello\r\nyo\r\n");

  script.Answer(platform::IDNO);
  platform::ClickButton(window_, resources::kClearLogButton);
  EXPECT_EQ(LogText(), "Hana> hello\r\nyo\r\n");
  EXPECT_TRUE(ButtonsShown());

  script.Answer(platform::IDYES);
  platform::ClickButton(window_, resources::kClearLogButton);
  EXPECT_EQ(LogText(), "");
  EXPECT_FALSE(ButtonsShown());

  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "チャットログを消去しますか？");
  EXPECT_EQ(boxes[0].caption, "確 認");
  EXPECT_EQ(boxes[0].style, platform::MB_YESNO | platform::MB_ICONQUESTION);
  EXPECT_TRUE(boxes[0].has_owner);
}

TEST_F(ChatLogTest, SavedFileHasEveryLineEndedByCrLfAndLongLinesCut) {
  testsupport::ModalScript script;
  Log("c7,Hana> hello");
  Log("c42," + std::string(126, 'x') + "あい");  // 130 bytes
  Log("c42,花子> こんにちは");
  SaveAs(script, (folder_ / "log").string());

  ASSERT_EQ(script.Shown().size(), 1u) << "no question for a new file";
  const platform::ModalInfo& dialog = script.Shown()[0];
  EXPECT_EQ(dialog.dialog_id, platform::kFileDialogId);
  EXPECT_EQ(dialog.caption, "名前を付けて保存");
  EXPECT_EQ(dialog.filters, "text(*.txt)|*.txt|All files(*.*)|*.*");
  EXPECT_EQ(dialog.default_extension, "txt");
  EXPECT_TRUE(dialog.has_owner);
  // The name typed without an extension gets ".txt"; the line cut at 127
  // bytes keeps no half of a double-byte character.
  EXPECT_EQ(ReadBytes(folder_ / "log.txt"),
            "Hana> hello\r\n" + std::string(126, 'x') + "\r\n花子> こんにちは\r\n\r\n");
}

TEST_F(ChatLogTest, AnExistingFileIsReplacedOnlyAfterYes) {
  testsupport::ModalScript script;
  const fs::path path = folder_ / "old.txt";
  std::ofstream(path, std::ios::binary) << "old";
  Log("c42,yo");

  SaveAs(script, path.string(), platform::IDNO);
  EXPECT_EQ(ReadBytes(path), "old");

  SaveAs(script, path.string(), platform::IDYES);
  EXPECT_EQ(ReadBytes(path), "yo\r\n\r\n");

  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "既にファイルが存在します。上書きしますか？");
  EXPECT_EQ(boxes[0].caption, "確 認");
  EXPECT_EQ(boxes[0].style, platform::MB_YESNO | platform::MB_ICONQUESTION);

  // Cancelling the dialog writes nothing.
  script.Answer(platform::IDCANCEL);
  platform::ClickButton(window_, resources::kSaveLogButton);
  EXPECT_EQ(ReadBytes(path), "yo\r\n\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(ChatLogTest, TheViewFollowsTheNewestLine) {
  for (int i = 0; i < 200; ++i) Log("c42,line " + std::to_string(i));
  ServeEvents(300);
  EXPECT_GT(platform::GetEditFirstVisibleLine(box_), 150);
}

TEST_F(ChatLogTest, HiddenByItsCancelCommandItKeepsItsContent) {
  Log("c42,yo");
  platform::ClickButton(window_, platform::IDCANCEL);
  EXPECT_FALSE(platform::IsWindowVisible(window_));
  platform::ShowWindow(window_, platform::Show::Normal);
  EXPECT_TRUE(platform::IsWindowVisible(window_));
  EXPECT_EQ(LogText(), "yo\r\n");
  EXPECT_TRUE(ButtonsShown());
}

TEST_F(ChatLogTest, TheLogBoxFillsTheWindowBelowTheButtons) {
  const platform::Rect client = platform::GetClientRect(window_);
  const platform::Rect box = platform::GetWindowRect(box_);
  EXPECT_EQ(box.right - box.left, client.right);
  EXPECT_EQ(box.bottom - box.top, client.bottom - 28);
}

}  // namespace
