#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/scoped_win32.h"
#include "common/text_win32.h"
#include "runner/child_process.h"

namespace droplet {
namespace {

// The child writes in the ANSI code page; the program speaks UTF-8. In a double-byte code page
// a lead byte that ends one read waits for its trail byte from the next one, so no character
// is cut in two.
class AnsiDecoder {
 public:
  AnsiDecoder() {
    CPINFO info{};
    doubleByte_ = ::GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
  }

  std::string Take(std::string_view bytes) {
    pending_.append(bytes);
    size_t complete = pending_.size();
    if (doubleByte_) {
      size_t i = 0;
      while (i < pending_.size()) {
        i += ::IsDBCSLeadByte(static_cast<BYTE>(pending_[i])) ? 2 : 1;
      }
      if (i > pending_.size()) complete = pending_.size() - 1;
    }
    std::string text = ToUtf8(std::string_view(pending_).substr(0, complete));
    pending_.erase(0, complete);
    return text;
  }

  // What is left over: a lone lead byte at the very end of the output, or nothing.
  std::string Rest() {
    std::string text = ToUtf8(pending_);
    pending_.clear();
    return text;
  }

 private:
  static std::string ToUtf8(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int size =
        ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), size);
    return FromWide(wide);
  }

  bool doubleByte_ = false;
  std::string pending_;
};

// A job object that ends every process in it when it is closed: the child, whatever it
// starts, and nothing else. Null when the system gives none; the child then runs outside a job.
HANDLE CreateKillOnCloseJob() {
  HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
  if (job == nullptr) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

// The command interpreter of the system folder when `line` starts one by its bare name ("cmd",
// "cmd.exe"), else empty text. Looking for a bare name, CreateProcess tries the program's folder
// and the current folder before the system's: a cmd.exe lying in either would run instead.
std::wstring SystemInterpreterFor(const std::wstring& line) {
  const size_t start = line.find_first_not_of(L" \t");
  if (start == std::wstring::npos) return {};
  const size_t end = line.find_first_of(L" \t", start);
  std::wstring word = line.substr(start, end == std::wstring::npos ? end : end - start);
  // The names compared are ASCII; folding only A-Z keeps the runner off user32.
  for (wchar_t& c : word) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  if (word != L"cmd" && word != L"cmd.exe") return {};
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\cmd.exe";
}

}  // namespace

SpawnResult RunWithMergedOutput(const std::string& commandLine,
                                const std::function<void(std::string_view)>& onChunk,
                                RunStopper* stopper) {
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = TRUE;

  HANDLE pipeRead = nullptr;
  HANDLE pipeWrite = nullptr;
  if (!::CreatePipe(&pipeRead, &pipeWrite, &security, 0)) {
    return {SpawnStatus::kPipeFailed, static_cast<long>(::GetLastError()), {}, false};
  }
  ScopedHandle readEnd(pipeRead);
  ScopedHandle writeEnd(pipeWrite);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();

  // CreateProcessW may write into its command line, so it gets a copy of its own.
  const std::wstring wide = ToWide(commandLine);
  std::vector<wchar_t> line(wide.begin(), wide.end());
  line.push_back(L'\0');
  const std::wstring interpreter = SystemInterpreterFor(wide);

  // The child starts suspended so that it is in its job before it can start anything.
  ScopedHandle job(CreateKillOnCloseJob());
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(interpreter.empty() ? nullptr : interpreter.c_str(), line.data(), &security,
                        &security, TRUE, NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &info)) {
    const DWORD error = ::GetLastError();
    writeEnd.reset();
    readEnd.reset();
    return {SpawnStatus::kProcessFailed, static_cast<long>(error), {}, false};
  }
  ScopedHandle process(info.hProcess);
  ScopedHandle thread(info.hThread);
  const bool inJob = job.get() != nullptr && ::AssignProcessToJobObject(job.get(), process.get());
  ::ResumeThread(thread.get());
  if (stopper != nullptr) {
    HANDLE target = inJob ? job.get() : process.get();
    stopper->Arm([target, inJob] {
      if (inJob) {
        ::TerminateJobObject(target, 1);
      } else {
        ::TerminateProcess(target, 1);
      }
    });
  }

  // From here on only the child side holds the write end: the pipe ends when it lets go.
  writeEnd.reset();

  AnsiDecoder decoder;
  char buffer[kPipeChunkSize];
  for (;;) {
    DWORD count = 0;
    if (!::ReadFile(readEnd.get(), buffer, static_cast<DWORD>(sizeof buffer), &count, nullptr)) {
      break;
    }
    onChunk(decoder.Take(std::string_view(buffer, count)));
  }
  if (std::string rest = decoder.Rest(); !rest.empty()) onChunk(rest);
  onChunk(std::string_view());

  if (stopper != nullptr) stopper->Disarm();
  SpawnResult result{SpawnStatus::kStarted, 0, {}, false};
  DWORD code = 0;
  if (::WaitForSingleObject(process.get(), INFINITE) == WAIT_OBJECT_0 &&
      ::GetExitCodeProcess(process.get(), &code)) {
    result.exit = {true, false, static_cast<int>(code)};
  }
  result.stopped = stopper != nullptr && stopper->StopRequested();
  process.reset();
  thread.reset();
  readEnd.reset();
  return result;
}

}  // namespace droplet
