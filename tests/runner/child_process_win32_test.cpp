#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/text_win32.h"
#include "files/program_search.h"
#include "front_end/deliverable.h"
#include "runner/dos_outputs.h"
#include "runner_fixture.h"
#include "support/temp_folder.h"

namespace droplet::testing {
namespace {

TEST(DOSOutputs, ProgramThatCannotBeStartedIsReportedInEachProgramsWords) {
  const struct {
    const Deliverable& deliverable;
    std::string text;
  } cases[] = {{OrvaneDeliverable(), "File or command not found"},
               {TessikDeliverable(), "file o comando non valido"}};
  for (const auto& c : cases) {
    ScriptedDesktop desktop;
    DOSOutputs runner(desktop, c.deliverable.runnerTexts);
    ASSERT_EQ(runner.ExecuteCommand(ChildCommand("out:kept")), "kept");
    int notifications = 0;
    runner.AddReceiveOutputsListener([&](std::string&) { ++notifications; });

    // Given without the interpreter, the line goes to process creation, which fails.
    EXPECT_EQ(runner.ExecuteCommand("droplet-no-such-program-4711.exe a.pdf"), "");

    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.boxes()[0].text, c.text);
    EXPECT_EQ(desktop.boxes()[0].style, kMbOk | kMbIconStop);
    EXPECT_EQ(desktop.boxes()[0].title, kApplicationTitle);
    EXPECT_EQ(runner.Outputs(), "kept");
    EXPECT_EQ(notifications, 0);
  }
}

TEST_F(RunnerTest, ProgramTheInterpreterCannotFindEndsNormallyWithItsComplaint) {
  const std::string result = runner_.ExecuteCommand("cmd /c droplet-no-such-program-4711 a.pdf");
  EXPECT_FALSE(result.empty());
  EXPECT_TRUE(desktop_.boxes().empty());
  EXPECT_EQ(chunks_.back(), "");
}

TEST_F(RunnerTest, AnsiOutputArrivesAsUtf8) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << ::GetACP();
  // The child gets its argument in the ANSI code page and prints it back in it (è is 0xE8, the
  // euro sign 0x80): both crossings of the boundary must convert.
  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("out:perchè out:€")), "perchè€");
}

// A copy of the test child at `path`: a program that answers an unknown argument with
// "unknown action".
void CopyChildTo(const std::filesystem::path& path) {
  const std::string tool = ProgramFolder() + Sep() + DROPLET_RUNNER_CHILD_TOOL;
  ASSERT_TRUE(::CopyFileW(ToWide(tool).c_str(), path.c_str(), FALSE)) << Utf8(path);
}

TEST_F(RunnerTest, InterpreterComesFromTheSystemFolderWhateverTheCurrentFolderHolds) {
  TempFolder current;
  CopyChildTo(current.path() / "cmd.exe");
  CopyChildTo(current.path() / "CMD.COM");
  const CurrentFolderScope inCurrent(current.path());
  EXPECT_EQ(runner_.ExecuteCommand("cmd /c echo dal sistema"), "dal sistema\r\n");
  EXPECT_EQ(runner_.ExecuteCommand("  CMD.exe /c echo anche così"), "anche così\r\n");
}

TEST_F(RunnerTest, ConverterBesideTheProgramRunsFromAnyCurrentFolder) {
  TempFolder root;
  const std::filesystem::path program = root.path() / "cartella del programma";
  std::filesystem::create_directories(program);
  const std::string folder = Utf8(program);
  CopyChildTo(program / "pdftotext.exe");
  CopyChildTo(program / "pdfinfo.exe");
  // The interpreter would find a converter of the current folder before one on the path.
  TempFolder current;
  WriteFile(current.path() / "pdftotext.bat", "@echo dalla cartella corrente\r\n");
  const CurrentFolderScope inCurrent(current.path());

  // The test child takes the "document" as its action: it prints what follows "out:".
  // PATHEXT may spell the extensions in capitals.
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  EXPECT_EQ(lower(FindProgram("pdftotext", folder).found), lower(folder + "\\pdftotext.exe"));
  EXPECT_EQ(runner_.ExecuteCommand(BuildCommandLine(TessikDeliverable(), "out:a 100%", folder)),
            "a 100%");
  EXPECT_EQ(runner_.ExecuteCommand(PageCountCommandLine("out:pagine", folder)), "pagine");

  // Without one beside the program, the run and the search both take the current folder's.
  std::filesystem::remove(program / "pdftotext.exe");
  EXPECT_EQ(lower(FindProgram("pdftotext", folder).found), lower(current / "pdftotext.bat"));
  EXPECT_EQ(runner_.ExecuteCommand(BuildCommandLine(TessikDeliverable(), "out:x", folder)),
            "dalla cartella corrente\r\n");
}

}  // namespace
}  // namespace droplet::testing
