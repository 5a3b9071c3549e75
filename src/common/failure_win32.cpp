#include <windows.h>

#include <iterator>

#include "common/failure.h"
#include "common/text_win32.h"

namespace droplet {

std::string DescribeSystemError(long code) {
  wchar_t buffer[512];
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(code), 0, buffer,
                                        static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) return "Errore " + std::to_string(code);
  return FromWide(text);
}

}  // namespace droplet
