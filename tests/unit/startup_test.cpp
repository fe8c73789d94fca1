// Start-up services: the step clock, the viewer command, the text encoding
// of the build and the field reader of messages.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "client/session/program.h"
#include "client/session/startup.h"
#include "client/session/wire_fields.h"

namespace {

int steps_run = 0;
void CountStep() { ++steps_run; }

TEST(StepClock, TakesEveryDueStepAndKeepsTheRemainder) {
  struct Case {
    double step_clock;
    std::uint32_t now;
    int steps;
    double step_clock_after;
  };
  const Case cases[] = {
      {1000.0, 1050, 2, 1033.4},                 // 50 ms late: two steps, 16.6 ms left over
      {1000.0, 1010, 0, 1000.0},                 // 10 ms: nothing is due
      {1000.0, 1016, 0, 1000.0},                 // just short of one step
      {1000.0, 1017, 1, 1016.7},
      {4294967290.0, 5, 0, 5.0},                 // the counter wrapped: restart at now
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.now);
    StepClock = c.step_clock;
    steps_run = 0;
    EXPECT_EQ(AdvanceStepClock(c.now, CountStep), c.steps);
    EXPECT_EQ(steps_run, c.steps);
    EXPECT_NEAR(StepClock, c.step_clock_after, 1e-6);
  }
}

TEST(StepClock, StepsAccumulateWithoutRoundingToWholeMilliseconds) {
  StepClock = 0.0;
  int total = 0;
  // 600 steps of 16.7 ms end at 10020 ms; steps rounded to 16 or 17 ms
  // would give 626 or 589.
  for (std::uint32_t now = 1; now <= 10021; ++now) total += AdvanceStepClock(now, CountStep);
  EXPECT_EQ(total, 600);
  EXPECT_NEAR(StepClock, 10020.0, 1e-6);
}

TEST(TextEncoding, NarrowLiteralsAreCp932Bytes) {
  EXPECT_EQ(std::string("確認"), std::string("\x8A\x6D\x94\x46"));
}

TEST(ViewerCommand, JoinsTheFieldsWithAtSignsAndEndsWithALineFeed) {
  EXPECT_EQ(ViewerCommandLine(450, 320, "-", "http://host/oshirase/oshirase.htm"),
            "450@320@-@http://host/oshirase/oshirase.htm\n");
}

TEST(ViewerCommand, StartsTheViewerOfTheInstallFolderWithTheCommandAsArgument) {
  char pattern[] = "/tmp/posyvale-viewer-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  InstallDir = folder + "/";
  {
    std::ofstream viewer(InstallDir + "Posyvales");
    viewer << "#!/bin/sh\nprintf '%s' \"$1\" > \"$PWD/args.tmp\" && mv \"$PWD/args.tmp\" \"$PWD/args\"\n";
  }
  chmod((InstallDir + "Posyvales").c_str(), 0755);

  EXPECT_EQ(OpenPageViewer(650, 500, "title", "http://host/page"), 0);

  std::string seen;
  for (int tries = 0; tries < 500 && seen.empty(); ++tries) {
    std::ifstream args(InstallDir + "args");
    std::ostringstream text;
    text << args.rdbuf();
    seen = text.str();
    if (seen.empty()) usleep(10 * 1000);
  }
  EXPECT_EQ(seen, "650@500@title@http://host/page\n");
  std::system(("rm -rf " + folder).c_str());
}

TEST(WireFields, RunsOfCommasCountAsOneSeparator) {
  const WireFields fields = SplitWireFields(",,12,,3,100,");
  ASSERT_EQ(fields.count, 3);
  EXPECT_EQ(fields.field[0], "12");
  EXPECT_EQ(fields.field[1], "3");
  EXPECT_EQ(fields.field[2], "100");
  EXPECT_EQ(SplitWireFields("a,b,c,d", 2).count, 2);
  EXPECT_EQ(SplitWireFields("").count, 0);
}

TEST(WireFields, NumbersReadLikeTheDesktopIntegerReader) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {
      {"17", 17}, {"  -5x", -5}, {"+7", 7}, {"abc", 0}, {"", 0}, {"-", 0},
      {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadWireInt(c.text), c.value) << c.text;
}

}  // namespace
