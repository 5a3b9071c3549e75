#include "support/scripted_desktop.h"

#include <utility>

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

int ScriptedDesktop::ShowBox(const std::string& text, unsigned style, const BoxTitle& title,
                             BoxPlacement placement) {
  boxes_.push_back({text, style, title, placement});
  if (openBoxes_ > 0) ++nestedBoxes_;
  ++openBoxes_;
  const auto deadline = std::chrono::steady_clock::now() + serveInBoxes_;
  while (std::chrono::steady_clock::now() < deadline) {
    WaitForPostedCalls(std::chrono::milliseconds(20));
  }
  --openBoxes_;
  return NextAnswer(style);
}

void ScriptedDesktop::PostToWindowThread(std::function<void()> call) {
  {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(call));
  }
  postedArrived_.notify_all();
}

int ScriptedDesktop::RunPostedCalls() {
  int ran = 0;
  for (;;) {
    std::function<void()> call;
    {
      std::lock_guard lock(postedMutex_);
      if (posted_.empty()) return ran;
      call = std::move(posted_.front());
      posted_.pop_front();
    }
    call();
    ++ran;
  }
}

int ScriptedDesktop::WaitForPostedCalls(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(postedMutex_);
    postedArrived_.wait_for(lock, timeout, [this] { return !posted_.empty(); });
  }
  return RunPostedCalls();
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
  nestedBoxes_ = 0;
}

}  // namespace droplet::testing
