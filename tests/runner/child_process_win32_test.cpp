#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/message_box.h"
#include "front_end/deliverable.h"
#include "runner/dos_outputs.h"
#include "runner_fixture.h"

namespace droplet::testing {
namespace {

TEST(DOSOutputs, ProgramThatCannotBeStartedIsReportedInEachProgramsWords) {
  const struct {
    const Deliverable& deliverable;
    std::string text;
  } cases[] = {{OrvaneDeliverable(), "File or command not found"},
               {TessikDeliverable(), "file o comando non valido"}};
  for (const auto& c : cases) {
    ScriptedDesktop desktop;
    DOSOutputs runner(desktop, c.deliverable.runnerTexts);
    ASSERT_EQ(runner.ExecuteCommand(ChildCommand("out:kept")), "kept");
    int notifications = 0;
    runner.AddReceiveOutputsListener([&](std::string&) { ++notifications; });

    // Given without the interpreter, the line goes to process creation, which fails.
    EXPECT_EQ(runner.ExecuteCommand("droplet-no-such-program-4711.exe a.pdf"), "");

    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.boxes()[0].text, c.text);
    EXPECT_EQ(desktop.boxes()[0].style, kMbOk | kMbIconStop);
    EXPECT_EQ(desktop.boxes()[0].title, kApplicationTitle);
    EXPECT_EQ(runner.Outputs(), "kept");
    EXPECT_EQ(notifications, 0);
  }
}

TEST_F(RunnerTest, ProgramTheInterpreterCannotFindEndsNormallyWithItsComplaint) {
  const std::string result = runner_.ExecuteCommand("cmd /c droplet-no-such-program-4711 a.pdf");
  EXPECT_FALSE(result.empty());
  EXPECT_TRUE(desktop_.boxes().empty());
  EXPECT_EQ(chunks_.back(), "");
}

TEST_F(RunnerTest, AnsiOutputArrivesAsUtf8) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << ::GetACP();
  // The child gets its argument in the ANSI code page and prints it back in it (è is 0xE8, the
  // euro sign 0x80): both crossings of the boundary must convert.
  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("out:perchè out:€")), "perchè€");
}

}  // namespace
}  // namespace droplet::testing
