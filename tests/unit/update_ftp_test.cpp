// The FTP session against a real FTP server on loopback.
#include <sys/stat.h>
#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_files.h"
#include "client/platform/ftp.h"
#include "tests/support/ftp_server.h"

namespace {

using testsupport::ReadFile;
using testsupport::FolderNames;

using platform::FtpEntry;
using platform::FtpSession;
using testsupport::FtpServer;

std::vector<std::pair<int, std::uint32_t>> Reports;

void Record(int status_code, std::uint32_t byte_count) { Reports.emplace_back(status_code, byte_count); }

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  for (const std::string& entry : list) {
    if (entry == item) return true;
  }
  return false;
}

class FtpSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reports.clear();
    char pattern[] = "/tmp/posyvale-ftp-client-XXXXXX";
    folder_ = mkdtemp(pattern);
  }
  void TearDown() override { std::system(("rm -rf " + folder_).c_str()); }

  std::string Local(const std::string& name) const { return folder_ + "/" + name; }

  std::string folder_;
};

// A package-like payload that is not text.
std::string Payload(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return bytes;
}

TEST_F(FtpSessionTest, ReportsTheStatusCodesInTheirOrder) {
  FtpServer server(150);
  const std::string payload = Payload(70000);
  server.AddFile("pub/17.exe", payload);
  {
    FtpSession session(server.Address(), 21, "", "");
    ASSERT_TRUE(session.SetStatusCallback(Record));
    std::vector<FtpEntry> entries;
    ASSERT_TRUE(session.ListFolder("pub/", &entries));
    ASSERT_TRUE(session.GetFile("pub/17.exe", Local("17.exe"), payload.size(), 0644));
  }
  ASSERT_GE(Reports.size(), 8u);

  // Connection set-up, then the greeting and the login command.
  const std::vector<int> opening = {10, 11, 20, 21, 41, 31};
  for (std::size_t i = 0; i < opening.size(); ++i) EXPECT_EQ(Reports[i].first, opening[i]) << "report " << i;
  EXPECT_EQ(Reports[5].second, std::string("USER anonymous\r\n").size());
  // Closing comes last, after the farewell exchange.
  EXPECT_EQ(Reports[Reports.size() - 2].first, 50);
  EXPECT_EQ(Reports.back().first, 51);

  // One connection serves both requests, and every byte of the package is
  // reported as received.
  std::uint64_t received = 0;
  int connects = 0;
  for (const auto& [code, count] : Reports) {
    if (code == 41) received += count;
    if (code == 20) ++connects;
    if (code != 31 && code != 41) {
      EXPECT_EQ(count, 0u) << "code " << code;
    }
  }
  EXPECT_EQ(connects, 1);
  EXPECT_GT(received, payload.size());
  EXPECT_TRUE(ReadFile(Local("17.exe")) == payload) << "the file differs from the package";
}

TEST_F(FtpSessionTest, NoServerStopsAfterConnecting) {
  FtpSession session("127.0.0.151", 21, "", "");
  ASSERT_TRUE(session.SetStatusCallback(Record));
  std::vector<FtpEntry> entries;
  EXPECT_FALSE(session.ListFolder("pub/", &entries));
  EXPECT_FALSE(session.GetFile("pub/17.exe", Local("17.exe"), 0, 0644));
  session.Close();
  std::vector<int> codes;
  for (const auto& report : Reports) codes.push_back(report.first);
  EXPECT_EQ(codes, (std::vector<int>{10, 11, 20, 10, 11, 20}));
  EXPECT_TRUE(FolderNames(folder_).empty());
}

TEST_F(FtpSessionTest, ListsNamesWithTheir64BitSizes) {
  FtpServer server(152);
  server.AddFile("pub/17.exe", Payload(1234));
  server.AddFile("pub/with space.txt", "abc");
  server.AddFile("pub/huge.exe", "x");
  server.ListSizeAs("huge.exe", 5368709120ull);  // 5 GiB
  server.AddFile("pub/old/readme", "");
  FtpSession session(server.Address(), 21, "", "");
  std::vector<FtpEntry> entries;
  ASSERT_TRUE(session.ListFolder("pub/", &entries));

  std::vector<std::pair<std::string, std::uint64_t>> files;
  for (const FtpEntry& entry : entries) {
    if (entry.name != "old") files.emplace_back(entry.name, entry.size);
  }
  std::sort(files.begin(), files.end());
  const std::vector<std::pair<std::string, std::uint64_t>> expected = {
      {"17.exe", 1234}, {"huge.exe", 5368709120ull}, {"with space.txt", 3}};
  EXPECT_EQ(files, expected);
}

TEST(FtpListLine, ReadsUnixAndDosLines) {
  struct Case {
    const char* line;
    bool parsed;
    const char* name;
    std::uint64_t size;
  };
  const Case cases[] = {
      {"-rw-r--r--   1 ftp      ftp          1234 Jan 02 12:00 17.exe\r\n", true, "17.exe", 1234},
      {"-rw-r--r--   1 ftp   5368709120 Dec 31  2023 big file.exe", true, "big file.exe", 5368709120ull},
      {"lrwxrwxrwx   1 root root 7 Mar 04 10:00 latest.exe -> 17.exe", true, "latest.exe", 7},
      {"drwxr-xr-x   2 root root 4096 Mar 04 10:00 old", true, "old", 4096},
      {"01-15-24  10:30AM               4321 18.exe", true, "18.exe", 4321},
      {"01-15-24  10:30AM       <DIR>          pub", true, "pub", 0},
      {"total 12", false, "", 0},
      {"", false, "", 0},
      {"-rw-r--r-- 1 ftp ftp 99999999999999999999999 Jan 02 12:00 overflow.exe", false, "", 0},
      {"-rw-r--r-- 1 ftp ftp 12 Jan 02 12:00", false, "", 0},
  };
  for (const Case& c : cases) {
    FtpEntry entry{"", 0};
    EXPECT_EQ(platform::ParseFtpListLine(c.line, &entry), c.parsed) << c.line;
    if (!c.parsed) continue;
    EXPECT_EQ(entry.name, c.name) << c.line;
    EXPECT_EQ(entry.size, c.size) << c.line;
  }
}

// Active mode first; passive only when the server cannot use active mode.
TEST_F(FtpSessionTest, UsesActiveModeAndFallsBackToPassive) {
  struct Case {
    FtpServer::Mode mode;
    int octet;
    bool expect_passive;
  };
  const Case cases[] = {
      {FtpServer::Mode::Normal, 153, false},
      {FtpServer::Mode::RefuseActive, 154, true},
      {FtpServer::Mode::UnreachableActive, 155, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.octet);
    FtpServer server(c.octet, c.mode);
    const std::string payload = Payload(5000);
    server.AddFile("pub/17.exe", payload);
    const std::string local = Local(std::to_string(c.octet) + ".exe");
    {
      FtpSession session(server.Address(), 21, "", "");
      std::vector<FtpEntry> entries;
      ASSERT_TRUE(session.ListFolder("pub/", &entries));
      ASSERT_EQ(entries.size(), 1u);
      ASSERT_TRUE(session.GetFile("pub/17.exe", local, payload.size(), 0644));
    }
    EXPECT_TRUE(ReadFile(local) == payload) << "the file differs from the package";
    const std::vector<std::string> commands = server.Commands();
    const bool active = Contains(commands, "EPRT") || Contains(commands, "PORT");
    const bool passive = Contains(commands, "EPSV") || Contains(commands, "PASV");
    EXPECT_TRUE(active) << "active mode is always tried first";
    EXPECT_EQ(passive, c.expect_passive);
  }
}

TEST_F(FtpSessionTest, DownloadedFileGetsThePermissionBits) {
  FtpServer server(156);
  server.AddFile("pub/17.exe", "#!/bin/sh\n");
  FtpSession session(server.Address(), 21, "", "");
  ASSERT_TRUE(session.GetFile("pub/17.exe", Local("17.exe"), 0, 0755));
  struct stat info {};
  ASSERT_EQ(stat(Local("17.exe").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
  EXPECT_EQ(FolderNames(folder_), std::vector<std::string>{"17.exe"});
}

// A failed download leaves an existing file alone and no partial file.
TEST_F(FtpSessionTest, IncompleteDownloadsLeaveNothingBehind) {
  struct Case {
    const char* what;
    FtpServer::Mode mode;
    int octet;
    const char* remote;
    std::uint64_t expected_size;
  };
  const std::string payload = Payload(20000);
  const Case cases[] = {
      {"missing file", FtpServer::Mode::Normal, 157, "pub/18.exe", 0},
      {"transfer cut in half", FtpServer::Mode::TruncateTransfers, 158, "pub/17.exe", payload.size()},
      {"more bytes than listed", FtpServer::Mode::Normal, 159, "pub/17.exe", payload.size() - 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FtpServer server(c.octet, c.mode);
    server.AddFile("pub/17.exe", payload);
    std::ofstream(Local("17.exe")) << "old";
    FtpSession session(server.Address(), 21, "", "");
    EXPECT_FALSE(session.GetFile(c.remote, Local("17.exe"), c.expected_size, 0755));
    EXPECT_TRUE(ReadFile(Local("17.exe")) == "old") << "the existing file was replaced";
    EXPECT_EQ(FolderNames(folder_), std::vector<std::string>{"17.exe"});
  }
}

}  // namespace
