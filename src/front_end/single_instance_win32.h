#pragma once

// One running program per working folder on Win32. Windows-only header.

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace droplet {

// Two programs sharing a scratch area would delete each other's copies. The first start for a
// folder becomes its instance: it holds a named mutex of the session (Local\<name>, the name
// from InstanceName) and, once listening, a message-only window whose title is the same name.
// A later start finds the mutex taken and hands its files over to that window with
// WM_COPYDATA (full paths, UTF-16, each ended by a zero) instead of showing a window of its own.
// The system releases the mutex of a program that ended in any way, so no stale lock remains.
class SingleInstance {
 public:
  explicit SingleInstance(const std::string& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is the instance for its folder.
  bool IsFirst() const { return first_; }

  // The instance: from now on calls `receive` on the calling thread, from its message loop, with
  // the files of each later start (none when it named no file). False when the window cannot be
  // made; later starts then cannot reach this one.
  bool Listen(std::function<void(const std::vector<std::string>&)> receive);

  // A later start: hands `files` to the instance and waits until it has taken them. False when
  // the instance did not take them within `timeoutMs` (it may still be starting, or hang).
  bool HandOver(const std::vector<std::string>& files, int timeoutMs);

  // The listening window's title, which later starts look for.
  const std::wstring& windowTitle() const { return title_; }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::wstring title_;
  HANDLE mutex_ = nullptr;
  bool first_ = false;
  HWND window_ = nullptr;
  std::function<void(const std::vector<std::string>&)> receive_;
  std::deque<std::vector<std::string>> received_;  // taken over, not yet handled
};

}  // namespace droplet
