#include "support/scripted_desktop.h"

#include "common/message_box.h"

namespace droplet::testing {

int ScriptedDesktop::NextAnswer(unsigned style) {
  if (!script_.empty()) {
    const int answer = script_.front();
    script_.pop_front();
    return answer;
  }
  return (style & kMbButtonsMask) == kMbYesNo ? defaultYesNo_ : kIdOk;
}

int ScriptedDesktop::ShowMessageBox(const std::string& text, unsigned style,
                                    const std::string& title) {
  boxes_.push_back({text, style, title, false, false});
  return NextAnswer(style);
}

int ScriptedDesktop::ShowCenteredMessageBox(const std::string& text, unsigned style,
                                            const std::string& title, bool centerOnOwner) {
  boxes_.push_back({text, style, title, true, centerOnOwner});
  return NextAnswer(style);
}

void ScriptedDesktop::SetBusyPointer(bool busy) {
  busyDepth_ += busy ? 1 : -1;
  ++busyChanges_;
}

void ScriptedDesktop::EndProgram() {
  ended_ = true;
  throw ProgramEnded{};
}

std::vector<std::string> ScriptedDesktop::texts() const {
  std::vector<std::string> result;
  for (const auto& box : boxes_) result.push_back(box.text);
  return result;
}

void ScriptedDesktop::Clear() {
  script_.clear();
  boxes_.clear();
  busyDepth_ = 0;
  busyChanges_ = 0;
  ended_ = false;
}

}  // namespace droplet::testing
