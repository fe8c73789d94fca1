// The chat log's size limit: the oldest whole lines give way.
#include <string>

#include <gtest/gtest.h>

#include "client/sidewindows/chat_log.h"

namespace {

// count lines of `width` bytes each (CR LF included), numbered so that they
// can be told apart.
std::string Lines(int count, std::size_t width, const std::string& fill = "x") {
  std::string text;
  for (int i = 0; i < count; ++i) {
    std::string line = std::to_string(i) + ":";
    while (line.size() + fill.size() + 2 <= width) line += fill;
    line.resize(width - 2, '.');
    text += line + "\r\n";
  }
  return text;
}

TEST(ChatLogCapacity, OldestWholeLinesGoWhenTheLogWouldPassItsSize) {
  struct Case {
    const char* name;
    std::string log;
    std::string line;
    std::size_t dropped_bytes;
  };
  const std::string full = Lines(1310, 100);  // 131000 bytes
  const std::string japanese = Lines(1310, 100, "あ");
  const Case cases[] = {
      {"fits exactly", Lines(1310, 100), std::string(69, 'n') + "\r\n", 0},
      {"one byte over drops one line", full, std::string(70, 'n') + "\r\n", 100},
      {"a line over one line's worth drops two", full, std::string(170, 'n') + "\r\n", 200},
      {"double-byte lines go whole", japanese, std::string(70, 'n') + "\r\n", 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string result = AppendWithinCapacity(c.log, c.line);
    EXPECT_LE(result.size(), kChatLogCapacity);
    EXPECT_EQ(result, c.log.substr(c.dropped_bytes) + c.line);
  }
}

TEST(ChatLogCapacity, AnEmptyLogTakesTheLine) {
  EXPECT_EQ(AppendWithinCapacity("", "hello\r\n"), "hello\r\n");
}

}  // namespace
