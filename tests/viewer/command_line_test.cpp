// The command text of the page viewer, read into width, height, caption and
// URL. The literals here are CP932 bytes, as the client writes them.
#include "viewer/command_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

struct ParseCase {
  const char* name;
  std::string text;
  std::optional<ViewerCommandLine> expected;
};

ViewerCommandLine Fields(int width, int height, std::string caption, std::string url) {
  return ViewerCommandLine{width, height, std::move(caption), std::move(url)};
}

void ExpectSameCommand(const std::optional<ViewerCommandLine>& actual,
                       const std::optional<ViewerCommandLine>& expected) {
  ASSERT_EQ(actual.has_value(), expected.has_value());
  if (!expected) return;
  EXPECT_EQ(actual->width, expected->width);
  EXPECT_EQ(actual->height, expected->height);
  EXPECT_EQ(actual->caption, expected->caption);
  EXPECT_EQ(actual->url, expected->url);
}

const std::string kLongUrl = "http://host/" + std::string(400, 'a') + "\n";

const std::vector<ParseCase> kParseCases = {
    {"news page with the built-in caption", "450@320@-@http://host/oshirase/oshirase.htm\n",
     Fields(450, 320, "-", "http://host/oshirase/oshirase.htm\n")},
    {"caption with CP932 characters", "700@500@Posyvale_伝言版@http://host/bbs\n",
     Fields(700, 500, "Posyvale_伝言版", "http://host/bbs\n")},
    {"full-width caption", "650@500@アイテムＳｈｏｐ@http://host/shop?id=a&pass=b\n",
     Fields(650, 500, "アイテムＳｈｏｐ", "http://host/shop?id=a&pass=b\n")},
    {"URL cut at its first @", "650@500@t@http://user@host/x\n", Fields(650, 500, "t", "http://user")},
    {"runs of @ are one separator", "450@@@320@@t@@@http://host/\n", Fields(450, 320, "t", "http://host/\n")},
    {"leading @ skipped", "@@450@320@t@u\n", Fields(450, 320, "t", "u\n")},
    {"line feed alone is a URL", "450@320@t@\n", Fields(450, 320, "t", "\n")},
    {"no line feed at all", "450@320@t@u", Fields(450, 320, "t", "u")},
    {"non-numeric sizes read as 0", "wide@tall@t@u\n", Fields(0, 0, "t", "u\n")},
    {"sizes read by their leading digits", "450px@32x0@t@u\n", Fields(450, 32, "t", "u\n")},
    {"blanks and signs before the digits", " \t-30@+40@t@u\n", Fields(-30, 40, "t", "u\n")},
    {"oversized numbers stop at the 32-bit range", "99999999999@-99999999999@t@u\n",
     Fields(INT_MAX, INT_MIN, "t", "u\n")},
    {"no length limit of its own", "650@500@t@" + kLongUrl, Fields(650, 500, "t", kLongUrl)},
    {"empty caption: three fields", "450@320@@http://host/\n", std::nullopt},
    {"width and height only", "450@320\n", std::nullopt},
    {"three fields", "450@320@t\n", std::nullopt},
    {"only separators", "@@@@", std::nullopt},
    {"empty text", "", std::nullopt},
};

TEST(ViewerCommandLineParse, ReadsTheFourFieldsOrNothing) {
  for (const ParseCase& c : kParseCases) {
    SCOPED_TRACE(c.name);
    ExpectSameCommand(ParseViewerCommandLine(c.text), c.expected);
  }
}

TEST(ViewerCommandLineParse, ReadsArgumentOneAfterItsLeadingBlanks) {
  struct ArgumentCase {
    const char* name;
    std::vector<const char*> arguments;
    std::optional<ViewerCommandLine> expected;
  };
  const std::vector<ArgumentCase> cases = {
      {"the second copy is read", {"1@2@first@a\n", "450@320@-@http://host/\n"},
       Fields(450, 320, "-", "http://host/\n")},
      {"blanks and control bytes before it skipped", {"x", "\n \x01\t450@320@t@u\n"}, Fields(450, 320, "t", "u\n")},
      {"a space stays inside its field", {"x", "450@320@a b@u\n"}, Fields(450, 320, "a b", "u\n")},
      {"program name only", {"450@320@-@http://host/\n"}, std::nullopt},
      {"second copy too short", {"450@320@-@http://host/\n", "450@320\n"}, std::nullopt},
  };
  for (const ArgumentCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<const char*> argv = c.arguments;
    argv.push_back(nullptr);
    ExpectSameCommand(ParseViewerArguments(static_cast<int>(c.arguments.size()), argv.data()), c.expected);
  }
}

TEST(ViewerCommandLineParse, OnlyASingleDashKeepsTheBuiltInCaption) {
  EXPECT_TRUE(KeepsBuiltInCaption("-"));
  EXPECT_FALSE(KeepsBuiltInCaption("--"));
  EXPECT_FALSE(KeepsBuiltInCaption("Posyvale_伝言版"));
}

TEST(ViewerCommandLineParse, TheClosingLineFeedIsNoPartOfTheAddress) {
  EXPECT_EQ(NavigableUrl("http://host/oshirase/oshirase.htm\n"), "http://host/oshirase/oshirase.htm");
  EXPECT_EQ(NavigableUrl("http://user"), "http://user");
  EXPECT_EQ(NavigableUrl("\n"), "");
  // Only the one closing line feed goes.
  EXPECT_EQ(NavigableUrl("http://host/\n\n"), "http://host/\n");
}

}  // namespace
