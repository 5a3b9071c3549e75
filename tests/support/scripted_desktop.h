#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/desktop_services.h"
#include "common/message_box.h"

namespace droplet::testing {

struct RecordedBox {
  std::string text;
  unsigned style = 0;
  std::string title;
  bool centered = false;       // shown through ShowCenteredMessageBox
  bool centerOnOwner = false;  // its placement, when centered
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

  int ShowMessageBox(const std::string& text, unsigned style, const std::string& title) override;
  int ShowCenteredMessageBox(const std::string& text, unsigned style, const std::string& title,
                             bool centerOnOwner) override;
  void SetBusyPointer(bool busy) override;
  [[noreturn]] void EndProgram() override;

  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  // The texts of all boxes, in order: the most readable thing to compare in a test.
  std::vector<std::string> texts() const;
  bool busy() const { return busyDepth_ > 0; }
  int busyChanges() const { return busyChanges_; }
  bool ended() const { return ended_; }
  void Clear();

 private:
  int NextAnswer(unsigned style);

  std::deque<int> script_;
  int defaultYesNo_ = kIdYes;
  std::vector<RecordedBox> boxes_;
  int busyDepth_ = 0;
  int busyChanges_ = 0;
  bool ended_ = false;
};

}  // namespace droplet::testing
