// Orvane.exe and Tessik.exe as the user starts them, each from a program folder of its own: the
// version resource they carry and show, the quit confirmation, and their size at another DPI.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/scoped_win32.h"
#include "common/text_win32.h"
#include "common/working_folders.h"
#include "front_end/deliverable.h"
#include "front_end/resources_win32.h"
#include "front_end/version_resource_win32.h"
#include "shell/opaque_runs.h"
#include "support/pdf_writer.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"
#include "support/win32_support.h"

namespace droplet::testing {
namespace {

// Whether TestConverterFolder() holds poppler's converters or the stand-ins.
constexpr bool kRealConverters = DROPLET_REAL_CONVERTERS;

using std::chrono::milliseconds;
using std::chrono::seconds;

// How a program is started: from which program folder (a fresh one without), with which
// arguments, whether its window is waited for, in which current folder (the program folder
// without), whether the tests' converters are on its search path, and which converter lies
// beside it as shipped (none on the search path then).
struct Start {
  std::string folder;
  std::vector<std::string> arguments;
  bool waitForWindow = true;
  std::string current = {};
  bool convertersOnPath = true;
  std::string converterBeside = {};
};

// One program started from a copy in its program folder, with the tests' converters on its
// search path or its own beside it; ended when the object goes, if it still runs.
class Program {
 public:
  explicit Program(const std::string& fileName, const Start& start = {})
      : folder_(start.folder.empty() ? ownFolder_.str() : start.folder) {
    std::filesystem::create_directories(PathFromUtf8(folder_));
    const std::string copy = folder_ + "\\" + fileName;
    ::CopyFileW(ToWide(BesideTests("programs\\" + fileName)).c_str(), ToWide(copy).c_str(), FALSE);
    const std::string& beside = start.converterBeside;
    if (!beside.empty()) {
      ::CopyFileW(ToWide(TestConverterFolder() + "\\" + beside).c_str(),
                  ToWide(folder_ + "\\" + beside).c_str(), FALSE);
    }
    const SearchPathScope converters(start.convertersOnPath && beside.empty()
                                         ? SearchPathWith(TestConverterFolder())
                                         : SearchPathScope::Current());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + ToWide(copy) + L"\"";
    for (const std::string& argument : start.arguments)
      commandLine += L" \"" + ToWide(argument) + L"\"";
    const std::string current = start.current.empty() ? folder_ : start.current;
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         ToWide(current).c_str(), &startup, &process_) &&
        start.waitForWindow) {
      PumpUntil([this] { return (window_ = FindWindow()) != nullptr; }, seconds(20));
      PumpFor(milliseconds(300));
    }
  }
  ~Program() {
    if (process_.hProcess != nullptr) {
      if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.hProcess, 1);
        ::WaitForSingleObject(process_.hProcess, 5000);
      }
      ::CloseHandle(process_.hProcess);
      ::CloseHandle(process_.hThread);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  HWND window() const { return window_; }
  std::string path() const { return folder_; }
  DWORD processId() const { return process_.dwProcessId; }

  // The next message box the program shows, waited for.
  HWND WaitForBox() const {
    HWND box = nullptr;
    PumpUntil(
        [&] {
          const std::vector<HWND> boxes = MessageBoxesOf(process_.dwProcessId);
          box = boxes.empty() ? nullptr : boxes.front();
          // A box just made may not hold its text yet.
          return box != nullptr && !ReadBox(box).text.empty();
        },
        seconds(10));
    return box;
  }
  // The program's exit status once it has ended within `time`, or nothing.
  std::optional<DWORD> Ended(milliseconds time) const {
    if (::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(time.count())) !=
        WAIT_OBJECT_0) {
      return std::nullopt;
    }
    DWORD status = 0;
    ::GetExitCodeProcess(process_.hProcess, &status);
    return status;
  }

 private:
  HWND FindWindow() const {
    HWND found = nullptr;
    for (HWND window = ::FindWindowExW(nullptr, nullptr, L"DropletForm1", nullptr);
         window != nullptr; window = ::FindWindowExW(nullptr, window, L"DropletForm1", nullptr)) {
      DWORD process = 0;
      ::GetWindowThreadProcessId(window, &process);
      if (process == process_.dwProcessId && ::IsWindowVisible(window)) found = window;
    }
    return found;
  }

  TempFolder ownFolder_;
  std::string folder_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

std::string WindowText(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return FromWide(text);
}

std::string FileVersionText(const std::string& path) {
  const std::wstring file = ToWide(path);
  DWORD ignored = 0;
  std::vector<unsigned char> block(::GetFileVersionInfoSizeW(file.c_str(), &ignored));
  if (block.empty() ||
      !::GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
    return {};
  }
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\StringFileInfo\\041004B0\\FileVersion",
                        reinterpret_cast<void**>(&text), &length)) {
    return {};
  }
  return FromWide(text);
}

// A value of the current user's registry that the object sets and puts back when it goes.
class RegistryValueScope {
 public:
  RegistryValueScope(const wchar_t* key, const wchar_t* name, DWORD value)
      : key_(key), name_(name) {
    DWORD size = sizeof previous_;
    had_ = ::RegGetValueW(HKEY_CURRENT_USER, key_, name_, RRF_RT_REG_DWORD, nullptr, &previous_,
                          &size) == ERROR_SUCCESS;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key_, name_, REG_DWORD, &value, sizeof value);
  }
  ~RegistryValueScope() {
    if (had_) {
      ::RegSetKeyValueW(HKEY_CURRENT_USER, key_, name_, REG_DWORD, &previous_, sizeof previous_);
    } else {
      ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key_, name_);
    }
  }
  RegistryValueScope(const RegistryValueScope&) = delete;
  RegistryValueScope& operator=(const RegistryValueScope&) = delete;

 private:
  const wchar_t* key_;
  const wchar_t* name_;
  DWORD previous_ = 0;
  bool had_ = false;
};

TEST(ProgramsWin32, CarryTheirVersionShowItAndAskBeforeQuitting) {
  struct Case {
    const char* file;
    const Deliverable& deliverable;
    const char* fileVersion;
    const char* caption;
    const char* quitTitle;
  };
  for (const Case& c : {Case{"Orvane.exe", OrvaneDeliverable(), "1.00.0007", "", ""},
                        Case{"Tessik.exe", TessikDeliverable(), "0.00.0009", "Tessik - Ver: 0.0",
                             "Tessik Version: (BETA) 0.0.9"}}) {
    SCOPED_TRACE(c.file);
    const std::optional<VersionResource> resource =
        ReadVersionResource(BesideTests(std::string("programs\\") + c.file));
    ASSERT_TRUE(resource.has_value());
    EXPECT_EQ(resource->fileDescription, c.deliverable.fileDescription);
    EXPECT_EQ(resource->version.major, c.deliverable.version.major);
    EXPECT_EQ(resource->version.minor, c.deliverable.version.minor);
    EXPECT_EQ(resource->version.revision, c.deliverable.version.revision);
    EXPECT_EQ(FileVersionText(BesideTests(std::string("programs\\") + c.file)), c.fileVersion);
    // The icon, both pictures and the manifest travel inside the program file (resource types
    // 14, 2 and 24).
    const HMODULE image =
        ::LoadLibraryExW(ToWide(BesideTests(std::string("programs\\") + c.file)).c_str(), nullptr,
                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(DROPLET_ICON), MAKEINTRESOURCEW(14)),
              nullptr);
    EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(DROPLET_PICTURE), MAKEINTRESOURCEW(2)),
              nullptr);
    EXPECT_NE(
        ::FindResourceW(image, MAKEINTRESOURCEW(DROPLET_OPTIONS_PICTURE), MAKEINTRESOURCEW(2)),
        nullptr);
    EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
    ::FreeLibrary(image);

    const Program program(c.file);
    ASSERT_NE(program.window(), nullptr) << "no window";
    // An empty caption leaves the window's accessible name as its text.
    EXPECT_EQ(WindowText(program.window()),
              *c.caption != '\0' ? c.caption : c.deliverable.window.accessibleName);
    EXPECT_TRUE(::GetWindowLongW(program.window(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    ::PostMessageW(program.window(), WM_CLOSE, 0, 0);
    HWND box = program.WaitForBox();
    ASSERT_NE(box, nullptr);
    const SeenBox asked = ReadBox(box);
    EXPECT_EQ(asked.title, c.quitTitle);
    EXPECT_EQ(asked.text, QuitQuestion(c.deliverable));
    PressBoxButton(box, IDNO);
    EXPECT_FALSE(program.Ended(milliseconds(700)).has_value()) << "No keeps the program";
    EXPECT_TRUE(::IsWindowVisible(program.window()));

    ::PostMessageW(program.window(), WM_CLOSE, 0, 0);
    box = program.WaitForBox();
    ASSERT_NE(box, nullptr);
    PressBoxButton(box, IDYES);
    EXPECT_EQ(program.Ended(seconds(10)), std::optional<DWORD>(0)) << "Yes ends it at once";
  }
}

// Installed by the per-user installer, the program works in %LOCALAPPDATA%\<Program> and writes
// nothing beside itself; when that folder cannot be made it says which and why, and ends.
TEST(ProgramsWin32, TheInstalledProgramWorksInLocalAppData) {
  TempFolder local;
  const EnvironmentScope localAppData("LOCALAPPDATA", local.str());
  const std::string installed = local / "Programs\\Orvane";
  WriteFile(local.path() / "Orvane", "un file dove andrebbe la cartella");
  {
    const Program blocked("Orvane.exe", {installed, {}, false});
    const HWND box = blocked.WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(ReadBox(box).text.starts_with(
        "Orvane non può usare la sua cartella di lavoro\r\n\r\n" + (local / "Orvane")))
        << ReadBox(box).text;
    PressBoxButton(box, IDOK);
    EXPECT_EQ(blocked.Ended(seconds(10)), std::optional<DWORD>(1));
  }
  EXPECT_EQ(ReadFile(local.path() / "Orvane"), "un file dove andrebbe la cartella");
  EXPECT_EQ(NamesIn(PathFromUtf8(installed)), std::vector<std::string>{"Orvane.exe"});

  std::filesystem::remove(local.path() / "Orvane");
  const Program program("Orvane.exe", {installed, {}, true});
  ASSERT_NE(program.window(), nullptr);
  EXPECT_TRUE(std::filesystem::is_directory(local.path() / "Orvane"));
  EXPECT_EQ(NamesIn(PathFromUtf8(installed)), std::vector<std::string>{"Orvane.exe"});
}

// What a program started with its output and error output sent to files wrote there, and its
// exit status.
struct Printed {
  std::string output;
  std::string errors;
  DWORD status = 0;
};

Printed RunPrinting(const std::string& fileName, const std::string& arguments) {
  TempFolder files;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const auto open = [&](const char* name) {
    return ::CreateFileW(ToWide(files / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                         CREATE_ALWAYS, 0, nullptr);
  };
  const ScopedHandle output(open("out.txt"));
  const ScopedHandle errors(open("err.txt"));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output.get();
  startup.hStdError = errors.get();
  std::wstring commandLine =
      L"\"" + ToWide(BesideTests("programs\\" + fileName)) + L"\" " + ToWide(arguments);
  PROCESS_INFORMATION process{};
  Printed printed;
  if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
      ::TerminateProcess(process.hProcess, 99);
    }
    ::GetExitCodeProcess(process.hProcess, &printed.status);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  printed.output = ReadFile(files.path() / "out.txt");
  printed.errors = ReadFile(files.path() / "err.txt");
  return printed;
}

// A window program has no console of its own: what --help, --version and a wrong option print
// goes to the output the caller gave it, with Windows' line ends, or into a box.
TEST(ProgramsWin32, CommandLineAnswersHelpVersionAndAWrongOption) {
  Printed printed = RunPrinting("Tessik.exe", "--version");
  EXPECT_EQ(printed.status, 0u);
  EXPECT_EQ(printed.output, "Tessik 0.0.9\r\n");
  printed = RunPrinting("Orvane.exe", "--help");
  EXPECT_EQ(printed.status, 0u);
  EXPECT_TRUE(printed.output.starts_with("Usage: Orvane.exe [FILE...]\r\n")) << printed.output;
  EXPECT_NE(printed.output.find("\r\nResults:  " + BesideTests("programs\\output") + "\r\n"),
            std::string::npos)
      << printed.output;
  printed = RunPrinting("Orvane.exe", "--colore");
  EXPECT_EQ(printed.status, 2u);
  EXPECT_EQ(printed.output, "");
  EXPECT_EQ(printed.errors,
            "Orvane.exe: unknown option --colore\r\nTry 'Orvane.exe --help' for more "
            "information.\r\n");

  const Program boxed("Tessik.exe", {{}, {"--version"}, false});
  if (boxed.Ended(seconds(2)).has_value()) {
    GTEST_SKIP() << "Wine lets the program attach to the test's console, which took the text";
  }
  const HWND box = boxed.WaitForBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ReadBox(box).text, "Tessik 0.0.9\n");
  PressBoxButton(box, IDOK);
  EXPECT_EQ(boxed.Ended(seconds(10)), std::optional<DWORD>(0));
}

// Answers the boxes of `programs` as a user who wants every file converted and nothing opened,
// until `done` holds for the texts of the boxes seen and no box is open; returns those texts.
std::vector<std::string> AnswerBoxes(
    const std::vector<const Program*>& programs, const std::string& question,
    const std::function<bool(const std::vector<std::string>&)>& done) {
  std::vector<std::string> texts;
  PumpUntil(
      [&] {
        bool answered = false;
        for (const Program* program : programs) {
          for (const HWND box : MessageBoxesOf(program->processId())) {
            const SeenBox seen = ReadBox(box);
            texts.push_back(seen.text);
            PressBoxButton(box, !seen.yesNo                       ? IDOK
                                : seen.text.starts_with(question) ? IDYES
                                                                  : IDNO);
            answered = true;
            PumpFor(milliseconds(200));
          }
        }
        if (!answered) PumpFor(milliseconds(300));
        return !answered && done(texts);
      },
      seconds(60));
  return texts;
}

// Two quick "Open with" starts of the installed program: one runs, the other hands its file
// over and ends; both files are one batch (one question, one report), converted into the
// per-user output folder.
TEST(ProgramsWin32, TwoQuickStartsGiveOneBatchInOneProgram) {
  TempFolder local;
  TempFolder documents;
  const EnvironmentScope localAppData("LOCALAPPDATA", local.str());
  const std::string installed = local / "Programs\\Tessik";
  std::filesystem::create_directories(local.path() / "Tessik");
  WriteFile(local.path() / "Tessik" / "Tessik.INI", "[Folders]\nopen=0\n");
  WritePdf(documents.path() / "uno.pdf", NumberedPages(2));
  WritePdf(documents.path() / "due.pdf", NumberedPages(3));

  const Program first("Tessik.exe", {installed, {documents / "uno.pdf"}, false});
  const Program second("Tessik.exe", {installed, {documents / "due.pdf"}, false});
  const std::filesystem::path output = local.path() / "Tessik" / "output";
  const char report[] = "Conversione completa\r\n\r\nConvertiti 2 PDF su 2.";
  const std::vector<std::string> texts =
      AnswerBoxes({&first, &second}, TessikDeliverable().confirmationQuestion,
                  [&](const std::vector<std::string>& seen) {
                    return std::count(seen.begin(), seen.end(), report) == 1;
                  });
  EXPECT_NE(ReadFile(output / "uno.txt").find("Pagina 2"), std::string::npos);
  EXPECT_NE(ReadFile(output / "due.txt").find("Pagina 3"), std::string::npos);
  ASSERT_EQ(texts.size(), 2u) << ::testing::PrintToString(texts);
  EXPECT_TRUE(texts[0].ends_with("2 file PDF: uno.pdf e due.pdf") ||
              texts[0].ends_with("2 file PDF: due.pdf e uno.pdf"))
      << texts[0];
  EXPECT_EQ(texts[1], report);
  // Exactly one of them handed its file over and ended at once.
  const bool firstEnded = first.Ended(milliseconds(0)).has_value();
  const bool secondEnded = second.Ended(milliseconds(0)).has_value();
  EXPECT_NE(firstEnded, secondEnded);
  EXPECT_EQ((firstEnded ? first : second).Ended(milliseconds(0)), std::optional<DWORD>(0));
  EXPECT_EQ(NamesIn(PathFromUtf8(installed)), std::vector<std::string>{"Tessik.exe"});
}

// Started from another folder, one that holds a cmd.exe of its own, the droplet runs the
// system's interpreter and the converter that lies beside it, which its search path lacks; the
// start-up check finds that converter too.
TEST(ProgramsWin32, ConverterBesideTheProgramIsUsedFromAnyFolderAndAStrayCmdIsNot) {
  TempFolder program;
  TempFolder elsewhere;
  TempFolder documents;
  const auto copy = [](const std::string& from, const std::filesystem::path& to) {
    ASSERT_TRUE(::CopyFileW(ToWide(from).c_str(), to.c_str(), FALSE)) << from;
  };
  copy(TestConverterFolder() + "\\pdftotext.exe", program.path() / "pdftotext.exe");
  copy(TestConverterFolder() + "\\pdftohtml.exe", elsewhere.path() / "cmd.exe");
  WriteFile(program.path() / "Tessik.INI", "[Folders]\nopen=0\n");
  WritePdf(documents.path() / "uno.pdf", NumberedPages(2));

  const Program tessik("Tessik.exe",
                       {program.str(), {documents / "uno.pdf"}, false, elsewhere.str(), false});
  const std::vector<std::string> texts =
      AnswerBoxes({&tessik}, TessikDeliverable().confirmationQuestion,
                  [](const std::vector<std::string>& seen) {
                    return std::count(seen.begin(), seen.end(), "Conversione completa") == 1;
                  });
  EXPECT_NE(ReadFile(program.path() / "output" / "uno.txt").find("Pagina 2"), std::string::npos)
      << ::testing::PrintToString(texts);
  for (const std::string& text : texts)
    EXPECT_EQ(text.find("non è stato trovato"), std::string::npos);
  EXPECT_EQ(NamesIn(elsewhere.path()), std::vector<std::string>{"cmd.exe"});
  EXPECT_EQ(NamesIn(documents.path()), std::vector<std::string>{"uno.pdf"});
}

// The portable Orvane.exe as its zip unpacks it, pdftohtml.exe beside it and none on the search
// path: a PDF on its command line becomes the HTML pages and their background images of poppler's
// converter in its output folder, and the converter stays where it was.
TEST(ProgramsWin32, OrvaneWithItsConverterBesideItMakesPagesAndTheirImages) {
  if (!kRealConverters) GTEST_SKIP() << "the stand-in converters write placeholder pages";
  TempFolder folder;
  TempFolder documents;
  // Nothing opened afterwards (an explorer started by the test would outlive it).
  WriteFile(folder.path() / "Orvane.INI", "[Folders]\nopen=0\n");
  WritePdf(documents.path() / "foto.pdf",
           {PdfPage{{"Pagina con una foto"}, true}, PdfPage{{"Seconda pagina"}, true}});
  const Program orvane("Orvane.exe", {.folder = folder.str(),
                                      .arguments = {documents / "foto.pdf"},
                                      .waitForWindow = false,
                                      .converterBeside = "pdftohtml.exe"});
  const std::vector<std::string> texts =
      AnswerBoxes({&orvane}, OrvaneDeliverable().confirmationQuestion,
                  [](const std::vector<std::string>& seen) {
                    return std::count(seen.begin(), seen.end(), "Conversione completa") == 1;
                  });
  ASSERT_EQ(std::count(texts.begin(), texts.end(), "Conversione completa"), 1)
      << ::testing::PrintToString(texts);
  const std::filesystem::path output = PathFromUtf8(orvane.path()) / "output";
  EXPECT_EQ(NamesIn(output),
            (std::vector<std::string>{"foto-1.html", "foto-2.html", "foto.html", "foto001.png",
                                      "foto002.png", "foto_ind.html"}));
  EXPECT_NE(ReadFile(output / "foto-1.html").find("foto001.png"), std::string::npos);
  EXPECT_GT(std::filesystem::file_size(output / "foto002.png"), 1000u) << "no rendered page";
  EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(orvane.path()) / "pdftohtml.exe"));
}

// A program that holds the working folder but never takes files over: the later start says
// which files were not converted and ends.
TEST(ProgramsWin32, AHandOverNobodyTakesIsReported) {
  TempFolder folder;
  std::wstring spelling = ToWide(folder.str());
  ::CharUpperBuffW(spelling.data(), static_cast<DWORD>(spelling.size()));
  const ScopedHandle holder(::CreateMutexW(
      nullptr, FALSE, ToWide("Local\\" + InstanceName("Orvane", FromWide(spelling))).c_str()));
  const std::string pdf = folder / "uno.pdf";
  const Program later("Orvane.exe", {folder.str(), {pdf}, false});
  HWND box = nullptr;
  PumpUntil([&] { return (box = later.WaitForBox()) != nullptr; }, seconds(20));
  ASSERT_NE(box, nullptr);
  const std::string text = ReadBox(box).text;
  EXPECT_TRUE(text.starts_with("Orvane è già in esecuzione con la cartella di lavoro\r\n\r\n" +
                               folder.str() + "\r\n\r\nma non risponde."))
      << text;
  EXPECT_TRUE(text.ends_with("\r\n" + pdf)) << text;
  PressBoxButton(box, IDOK);
  EXPECT_EQ(later.Ended(seconds(10)), std::optional<DWORD>(1));
}

TEST(ProgramsWin32, PictureAndShapeGrowWithTheScreensDpi) {
  // Wine reads the screen's DPI from here when a program starts.
  const RegistryValueScope dpi(L"Control Panel\\Desktop", L"LogPixels", 144);
  // Window sizes in the other program's own pixels.
  ::SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const Program program("Orvane.exe");
  ASSERT_NE(program.window(), nullptr);
  RECT outer{};
  ::GetWindowRect(program.window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 348);
  EXPECT_EQ(outer.bottom - outer.top, 180);
  ScopedRegion shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(program.window(), shape.get()), ERROR);
  RECT box{};
  ::GetRgnBox(shape.get(), &box);
  EXPECT_GT(box.right - box.left, 232) << "the shape grew with the picture";
  EXPECT_GT(box.bottom - box.top, 120);
  // Every pixel of the grown picture's bottom-left corner is cut away, as at 96 DPI.
  EXPECT_FALSE(::PtInRegion(shape.get(), 0, 179));
}

}  // namespace
}  // namespace droplet::testing
