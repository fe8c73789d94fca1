// The settings file and the stored form of the password.
#include "client/session/settings.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/session/program.h"

namespace {

namespace fs = std::filesystem;

int LowNibble(char c) { return static_cast<unsigned char>(c) & 15; }
int HighNibble(char c) { return static_cast<unsigned char>(c) >> 4; }

TEST(PasswordForm, AbcKeepsItsNibblesUnderFillers) {
  std::string stored = EncodePassword("abc");
  ASSERT_EQ(stored.size(), 6u);
  const int expected_low[] = {6, 1, 6, 2, 6, 3};
  for (std::size_t i = 0; i < stored.size(); ++i) {
    EXPECT_EQ(LowNibble(stored[i]), expected_low[i]) << "character " << i;
    EXPECT_GE(HighNibble(stored[i]), 2) << "character " << i;
    EXPECT_LE(HighNibble(stored[i]), 6) << "character " << i;
  }
  EXPECT_EQ(DecodePassword(stored), "abc");
}

TEST(PasswordForm, RoundTripsAnyPasswordInPrintableCharacters) {
  const std::string passwords[] = {
      "", "a", "pass1234", "0@P`p", std::string(31, '~'),
      "はなこ",                                          // double-byte CP932
      "\x80\x81\x9f\xa0\xe0\xfc\xff\x01",                // every high range
  };
  for (const std::string& password : passwords) {
    std::string stored = EncodePassword(password);
    EXPECT_EQ(stored.size(), 2 * password.size());
    for (char c : stored) {
      EXPECT_GE(static_cast<unsigned char>(c), 0x20) << password;
      EXPECT_LE(static_cast<unsigned char>(c), 0x6F) << password;
    }
    EXPECT_EQ(DecodePassword(stored), password);
  }
}

// The fillers in the order they are drawn: for each byte the one of its
// second character, then the one of its first. The rules hold across
// encodings too, since the last filler carries over.
TEST(PasswordForm, FillersFollowTheirRules) {
  std::vector<int> fillers;
  for (int encoding = 0; encoding < 20; ++encoding) {
    std::string stored = EncodePassword("a long password of many bytes");
    for (std::size_t i = 0; i < stored.size(); i += 2) {
      fillers.push_back(HighNibble(stored[i + 1]));
      fillers.push_back(HighNibble(stored[i]));
    }
  }
  for (std::size_t i = 1; i < fillers.size(); ++i) {
    EXPECT_NE(fillers[i], fillers[i - 1]) << "draw " << i;
    if (fillers[i - 1] >= 5) {
      EXPECT_EQ(fillers[i] % 2, 0) << "draw " << i;
    }
  }
  for (int value = 2; value <= 6; ++value) {
    EXPECT_NE(std::find(fillers.begin(), fillers.end(), value), fillers.end()) << value;
  }
}

TEST(PasswordForm, DecodesStoredForms) {
  struct Case {
    std::string stored;
    std::string password;
  } cases[] = {
      {"6!VB&c", "abc"},
      // An odd last character has a low half of 0, so a form whose trailing
      // space the file reader dropped decodes as before.
      {"6!c ", "a0"},
      {"6!c", "a0"},
      {"6!V", "a`"},
      {"  6!", "a"},  // a byte of 0 adds nothing
      {"", ""},
      {std::string(64, 'c'), std::string(31, '3')},  // cut to 31
  };
  for (const Case& c : cases) EXPECT_EQ(DecodePassword(c.stored), c.password) << c.stored;
}

// Each test gets its own install folder.
class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("posyvale-settings-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    InstallDir = folder_.string() + "/";
    SetupSettingsPath();
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path File() const { return folder_ / "Posyvale.ini"; }

  void Put(const std::string& content) const {
    std::ofstream(File(), std::ios::binary) << content;
  }
  std::string Content() const {
    std::ifstream in(File(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path folder_;
};

TEST_F(SettingsFile, PathIsInTheInstallFolder) { EXPECT_EQ(SettingsPath(), File().string()); }

TEST_F(SettingsFile, MissingFileReadsEmpty) {
  EXPECT_EQ(ReadSetting("ID"), "");
  EXPECT_EQ(ReadStoredPassword(), "");
  EXPECT_FALSE(fs::exists(File()));
}

TEST_F(SettingsFile, FirstWriteCreatesTheFileWithCrLf) {
  WriteSetting("ID", "はなこ");
  WriteStoredPassword("secret");

  std::string content = Content();
  std::string expected_start = "[Posyvale]\r\nID=はなこ\r\nPASS=";
  ASSERT_EQ(content.substr(0, expected_start.size()), expected_start);
  std::string stored = content.substr(expected_start.size());
  ASSERT_EQ(stored.size(), 12u + 2u);
  EXPECT_EQ(stored.substr(12), "\r\n");
  EXPECT_EQ(DecodePassword(stored.substr(0, 12)), "secret");

  EXPECT_EQ(ReadSetting("ID"), "はなこ");
  EXPECT_EQ(ReadStoredPassword(), "secret");
  // Written beside the file and renamed: nothing else is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(SettingsFile, ReadsTheDesktopIniConventions) {
  struct Case {
    const char* name;
    std::string content;
    std::string id;
  } cases[] = {
      {"crlf", "[Posyvale]\r\nID=hana\r\nPASS=x\r\n", "hana"},
      {"lf", "[Posyvale]\nID=hana\nPASS=x\n", "hana"},
      {"case and blanks", "[ posyvale ]\n id = hana \t\n", "hana"},
      {"other section first, no final line end", "[Other]\nID=no\n[Posyvale]\nID=hana", "hana"},
      {"comments and other keys", ";ID=no\n[Posyvale]\n; note\nIDX=no\nID=hana\nID=second\n",
       "hana"},
      {"key only in another section", "[Other]\r\nID=no\r\n", ""},
      {"key after the section", "[Posyvale]\nPASS=x\n[Other]\nID=no\n", ""},
      {"empty value", "[Posyvale]\nID=\n", ""},
      {"longest value", "[Posyvale]\nID=" + std::string(200, 'v') + "\n", std::string(127, 'v')},
  };
  for (const Case& c : cases) {
    Put(c.content);
    EXPECT_EQ(ReadSetting("ID"), c.id) << c.name;
  }
}

TEST_F(SettingsFile, WritingKeepsEverythingElse) {
  Put("; settings\n[Other]\nID=other\n\n[POSYVALE]\nid=old\nExtra = keep\n\n[Last]\nA=b");
  WriteSetting("ID", "new");
  WriteSetting("PASS", "6!VB&c");
  EXPECT_EQ(Content(),
            "; settings\n[Other]\nID=other\n\n[POSYVALE]\nID=new\nExtra = keep\nPASS=6!VB&c\n"
            "\n[Last]\nA=b");
  EXPECT_EQ(ReadStoredPassword(), "abc");
}

TEST_F(SettingsFile, WritingAddsTheSectionToAnotherFile) {
  Put("[Other]\r\nA=b");
  WriteSetting("ID", "hana");
  EXPECT_EQ(Content(), "[Other]\r\nA=b\r\n[Posyvale]\r\nID=hana\r\n");
}

}  // namespace
