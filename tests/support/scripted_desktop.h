#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/desktop_services.h"
#include "common/message_box.h"

namespace droplet::testing {

struct RecordedBox {
  std::string text;
  unsigned style = 0;
  BoxTitle title;  // kApplicationTitle or a text of its own
  BoxPlacement placement = BoxPlacement::kSystem;
};

// Thrown by EndProgram so that a test sees where the program would have ended.
struct ProgramEnded {};

// A desktop that answers message boxes from a script and records everything it is asked.
class ScriptedDesktop : public DesktopServices {
 public:
  // Answers given in order to the boxes that follow. With the script used up, a box with Yes
  // and No buttons gets `defaultYesNo`, any other box kIdOk.
  void Answer(int answer) { script_.push_back(answer); }
  void SetDefaultYesNo(int answer) { defaultYesNo_ = answer; }

  void SetBusyPointer(bool busy) override;
  // Queues the call; RunPostedCalls runs what is queued, on the test's thread.
  void PostToWindowThread(std::function<void()> call) override;
  [[noreturn]] void EndProgram() override;

  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  // The texts of all boxes, in order: the most readable thing to compare in a test.
  std::vector<std::string> texts() const;
  bool busy() const { return busyDepth_ > 0; }
  int busyChanges() const { return busyChanges_; }
  bool ended() const { return ended_; }
  void Clear();

  // Runs the calls posted so far, and those they post in turn; returns how many ran.
  int RunPostedCalls();
  // Waits up to `timeout` for a posted call, then runs the queue. Returns how many ran.
  int WaitForPostedCalls(std::chrono::milliseconds timeout);
  // A real box runs the window's event loop while it shows: from now on every box serves the
  // posted calls for `serve` before it is answered (zero: it answers at once).
  void ServePostedCallsInBoxes(std::chrono::milliseconds serve) { serveInBoxes_ = serve; }
  // How many boxes showed while another box was open.
  int nestedBoxes() const { return nestedBoxes_; }

 protected:
  int ShowBox(const std::string& text, unsigned style, const BoxTitle& title,
              BoxPlacement placement) override;

 private:
  int NextAnswer(unsigned style);

  std::deque<int> script_;
  int defaultYesNo_ = kIdYes;
  std::chrono::milliseconds serveInBoxes_{0};
  int openBoxes_ = 0;
  int nestedBoxes_ = 0;
  std::vector<RecordedBox> boxes_;
  int busyDepth_ = 0;
  int busyChanges_ = 0;
  bool ended_ = false;

  std::mutex postedMutex_;
  std::condition_variable postedArrived_;
  std::deque<std::function<void()>> posted_;
};

}  // namespace droplet::testing
