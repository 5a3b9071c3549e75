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

// The lines of `text`, without their line ends (LF or CR LF).
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

TEST_F(RunnerTest, LimitedOutputsKeepTheLastWholeLinesOfAHugeOutput) {
  const size_t limit = 64 * 1024;
  runner_.SetOutputsLimit(limit);
  // About 4.7 MB of numbered lines, waited for and then off the caller's thread.
  const std::string lines = ChildCommand("lines:400000");
  const std::string result = runner_.ExecuteCommand(lines);
  EXPECT_EQ(result, runner_.Outputs());
  RunToTheEnd(lines);
  for (const std::string* kept : {&result, &runner_.Outputs()}) {
    ASSERT_LE(kept->size(), limit);
    EXPECT_GT(kept->size(), limit - 20);
    const std::vector<std::string> kepts = LinesOf(*kept);
    ASSERT_GT(kepts.size(), 1000u);
    // Whole lines, in order, up to the very last one.
    EXPECT_EQ(kepts.back(), "riga 400000");
    const size_t first = 400001 - kepts.size();
    EXPECT_EQ(kepts.front(), "riga " + std::to_string(first));
    EXPECT_EQ(kepts[kepts.size() / 2], "riga " + std::to_string(first + kepts.size() / 2));
  }
  // The listeners still get every byte.
  EXPECT_GT(Join(chunks_).size(), 2 * 4'000'000u);

  // Output without a line end keeps its last bytes; a limit of 0 keeps everything again, from
  // the run after it was asked for.
  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("count:200000")),
            Pattern(200000).substr(200000 - limit));
  runner_.SetOutputsLimit(0);
  EXPECT_EQ(runner_.Outputs().size(), limit);
  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("count:200000")), Pattern(200000));
}

TEST_F(RunnerTest, RunOffTheCallersThreadDeliversEverythingInOrderThenItsEnd) {
  const DOSOutputs::RunEnd end =
      RunToTheEnd(ChildCommand("out:uno sleep:50 count:700 err:due exit:3"));
  EXPECT_TRUE(end.started);
  EXPECT_FALSE(end.stopped);
  EXPECT_TRUE(end.exit.known);
  EXPECT_EQ(end.exit.code, 3);
  EXPECT_EQ(runner_.Outputs(), "uno" + Pattern(700) + "due");
  EXPECT_EQ(Join(chunks_), runner_.Outputs());
  EXPECT_EQ(chunks_.back(), "");
  EXPECT_EQ(chunksAtEnd_, chunks_.size());  // the end comes after the last notification
  EXPECT_FALSE(runner_.Running());
  EXPECT_TRUE(desktop_.boxes().empty());

  // A run that cannot start is reported as the waiting one is, and still ends.
  chunks_.clear();
  runner_.SetCommandLine("");
  const DOSOutputs::RunEnd failed = RunToTheEnd("");
  EXPECT_FALSE(failed.started);
  EXPECT_EQ(desktop_.texts(), std::vector<std::string>{"Command Line empty"});
  EXPECT_EQ(runner_.Outputs(), "uno" + Pattern(700) + "due");
}

TEST_F(RunnerTest, StoppedRunEndsAtOnceWithWhatItHadPrinted) {
  const auto start = std::chrono::steady_clock::now();
  const DOSOutputs::RunEnd end = RunToTheEnd(ChildCommand("out:prima sleep:30000 out:dopo"), [&] {
    while (chunks_.empty()) desktop_.WaitForPostedCalls(std::chrono::milliseconds(20));
    runner_.StopCommand();
  });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(end.started);
  EXPECT_TRUE(end.stopped);
  EXPECT_EQ(runner_.Outputs(), "prima");

  // The next run is a run like any other.
  EXPECT_FALSE(RunToTheEnd(ChildCommand("out:ancora")).stopped);
  EXPECT_EQ(runner_.Outputs(), "ancora");
}

}  // namespace
}  // namespace droplet::testing
