#include "runner/dos_outputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/message_box.h"
#include "front_end/deliverable.h"
#include "pattern.h"
#include "runner/child_process.h"
#include "runner_fixture.h"

namespace droplet::testing {
namespace {

TEST_F(RunnerTest, ChildPrintingNothingRaisesOneEmptyNotification) {
  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("")), "");
  EXPECT_EQ(runner_.Outputs(), "");
  EXPECT_EQ(chunks_, std::vector<std::string>{""});
  EXPECT_TRUE(desktop_.boxes().empty());
}

TEST_F(RunnerTest, EveryReadIsNotifiedAndTheChunksJoinToTheResult) {
  // Outputs already holds the chunk when its notification arrives.
  std::vector<size_t> sizesSeen;
  runner_.AddReceiveOutputsListener(
      [&](std::string&) { sizesSeen.push_back(runner_.Outputs().size()); });

  const std::string result = runner_.ExecuteCommand(ChildCommand("count:1000"));

  EXPECT_EQ(result, Pattern(1000));
  EXPECT_EQ(runner_.Outputs(), result);
  EXPECT_EQ(Join(chunks_), result);
  ASSERT_GE(chunks_.size(), 5u);  // at least four reads of at most 256 bytes, then the end
  EXPECT_EQ(chunks_.back(), "");
  size_t total = 0;
  for (size_t i = 0; i < chunks_.size(); ++i) {
    EXPECT_LE(chunks_[i].size(), kPipeChunkSize);
    if (i + 1 < chunks_.size()) {
      EXPECT_FALSE(chunks_[i].empty()) << "read " << i;
    }
    total += chunks_[i].size();
    EXPECT_EQ(sizesSeen[i], total);
  }
}

TEST_F(RunnerTest, ListenersWorkOnCopiesOfTheirOwn) {
  std::vector<std::string> seenAfterChange;
  runner_.AddReceiveOutputsListener([](std::string& commandOutputs) { commandOutputs = "X"; });
  runner_.AddReceiveOutputsListener(
      [&](std::string& commandOutputs) { seenAfterChange.push_back(commandOutputs); });

  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("out:intact")), "intact");
  EXPECT_EQ(runner_.Outputs(), "intact");
  EXPECT_EQ(Join(seenAfterChange), "intact");
}

TEST_F(RunnerTest, ArgumentReplacesTheStoredCommandLineAndAnEmptyOneKeepsIt) {
  const std::string first = ChildCommand("out:first");
  const std::string second = ChildCommand("out:second");

  runner_.SetCommandLine(first);
  EXPECT_EQ(runner_.CommandLine(), first);
  EXPECT_EQ(runner_.ExecuteCommand(), "first");
  EXPECT_EQ(runner_.ExecuteCommand(""), "first");
  EXPECT_EQ(runner_.CommandLine(), first);

  EXPECT_EQ(runner_.ExecuteCommand(second), "second");
  EXPECT_EQ(runner_.CommandLine(), second);
  EXPECT_EQ(runner_.ExecuteCommand(), "second");
}

TEST(DOSOutputs, EmptyCommandLineIsReportedInEachProgramsWords) {
  const struct {
    const Deliverable& deliverable;
    std::string text;
  } cases[] = {{OrvaneDeliverable(), "Command Line empty"},
               {TessikDeliverable(), "Command Line vuota ..nessun argomento"}};
  for (const auto& c : cases) {
    ScriptedDesktop desktop;
    DOSOutputs runner(desktop, c.deliverable.runnerTexts);
    int notifications = 0;
    runner.AddReceiveOutputsListener([&](std::string&) { ++notifications; });

    EXPECT_EQ(runner.ExecuteCommand(), "");

    ASSERT_EQ(desktop.boxes().size(), 1u);
    const RecordedBox& box = desktop.boxes()[0];
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.style, kMbOk | kMbIconStop);
    EXPECT_EQ(box.title, kApplicationTitle);
    EXPECT_EQ(box.placement, BoxPlacement::kSystem);
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(runner.Outputs(), "");
  }
}

TEST_F(RunnerTest, FailedRunKeepsThePreviousOutputsAndANewRunStartsAfresh) {
  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("out:previous")), "previous");
  chunks_.clear();

  runner_.SetCommandLine("");
  EXPECT_EQ(runner_.ExecuteCommand(), "");
  EXPECT_EQ(desktop_.texts(), std::vector<std::string>{"Command Line empty"});
  EXPECT_EQ(runner_.Outputs(), "previous");
  EXPECT_TRUE(chunks_.empty());

  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("out:next")), "next");
  EXPECT_EQ(runner_.Outputs(), "next");
}

TEST_F(RunnerTest, OutputAndErrorsShareOnePipeInTheOrderWritten) {
  // The pause makes the reader find the pipe empty in between; that is not the end.
  const std::string result =
      runner_.ExecuteCommand(ChildCommand("out:one err:two sleep:300 out:three err:four"));
  EXPECT_EQ(result, "onetwothreefour");
  EXPECT_EQ(chunks_.back(), "");
}

TEST_F(RunnerTest, LargeOutputArrivesWhole) {
  const size_t size = 4 * 1024 * 1024;
  const std::string result = runner_.ExecuteCommand(ChildCommand("count:" + std::to_string(size)));
  ASSERT_EQ(result.size(), size);
  EXPECT_TRUE(result == Pattern(size)) << "the output differs from the child's bytes";
  EXPECT_EQ(runner_.Outputs().size(), size);
  EXPECT_GE(chunks_.size(), size / kPipeChunkSize + 1);
}

}  // namespace
}  // namespace droplet::testing
