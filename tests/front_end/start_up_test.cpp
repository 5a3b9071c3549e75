// The start-up on a stand-in platform, without a display: what it says and where, the order of
// its steps, its exit codes, and where the files of its command line go.

#include "front_end/start_up.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/message_box.h"
#include "common/platform.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"

namespace droplet::testing {
namespace {

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

// A platform whose answers the test sets and which records, in order, every step the start-up
// takes on it. Files of the command line become "/start/NAME"; the event loop runs what was
// posted, then a later start hands over "later.pdf".
class StandInHost : public ProgramHost {
 public:
  explicit StandInHost(std::vector<std::string> commandLine) : arguments(std::move(commandLine)) {}

  std::vector<std::string> arguments;
  TempFolder programFolder;
  bool first = true;
  bool handOverTaken = true;
  bool listens = true;
  std::string address = "/run/user/orvane.socket";
  int loopExit = 0;

  ScriptedDesktop desktop;
  std::vector<std::string> steps;
  std::vector<std::pair<Channel, std::string>> said;

  std::vector<std::string> Arguments() override { return arguments; }
  std::string ProgramFile() override { return "orvane"; }
  std::string ProgramFolder() override { return programFolder.str(); }
  ToolkitOptions OptionsOfTheToolkit() override {
    return {.withValue = {"platform"}, .flags = {"reverse"}, .joined = {"style"}};
  }
  std::string FullPath(const std::string& file) override { return "/start/" + file; }
  void Say(const std::string& text, Channel channel) override { said.emplace_back(channel, text); }
  void StartToolkit(const std::vector<std::string>& toolkitArguments) override {
    steps.push_back(Joined({"toolkit", Joined(toolkitArguments)}));
  }
  DesktopServices& Desktop() override { return desktop; }
  std::string InstanceFolder(const std::string& workFolder) override {
    return "canonical " + workFolder;
  }
  std::unique_ptr<InstanceClaim> ClaimInstance(const std::string& name) override {
    steps.push_back("claim " + name);
    return std::make_unique<Claim>(*this);
  }
  void ShowMainWindow(const Deliverable& deliverable, const WorkingFolders& folders) override {
    steps.push_back("window of " + deliverable.shortName + " in " + folders.work);
  }
  void CheckConverterSoon() override { steps.push_back("converter check"); }
  void OpenFiles(const std::vector<std::string>& files) override {
    steps.push_back(Joined({"open", Joined(files)}));
  }
  int RunEventLoop() override {
    steps.push_back("loop");
    desktop.RunPostedCalls();
    if (receive_) receive_({"later.pdf"});
    return loopExit;
  }

 private:
  class Claim : public InstanceClaim {
   public:
    explicit Claim(StandInHost& host) : host_(host) {}
    bool IsFirst() const override { return host_.first; }
    bool Listen(std::function<void(const std::vector<std::string>&)> receive) override {
      host_.steps.push_back("listen");
      if (host_.listens) host_.receive_ = std::move(receive);
      return host_.listens;
    }
    bool HandOver(const std::vector<std::string>& files, int timeoutMs) override {
      host_.steps.push_back(
          Joined({"hand over", Joined(files), "within", std::to_string(timeoutMs)}));
      return host_.handOverTaken;
    }
    std::string Address() const override { return host_.address; }

   private:
    StandInHost& host_;
  };

  std::function<void(const std::vector<std::string>&)> receive_;
};

std::string InstanceOf(const StandInHost& host) {
  return "claim " + InstanceName("Orvane", "canonical " + host.programFolder.str());
}

TEST(StartUp, CommandLineNamesFilesAndAsksForHelpOrTheVersion) {
  const CommandLine line = ParseCommandLine({"a.pdf", "-", "--version", "--", "--help", "-x"});
  EXPECT_EQ(line.files, (std::vector<std::string>{"a.pdf", "-", "--help", "-x"}));
  EXPECT_TRUE(line.version);
  EXPECT_FALSE(line.help);
  EXPECT_EQ(line.unknownOption, "");
  EXPECT_TRUE(ParseCommandLine({"-h"}).help);
  EXPECT_EQ(ParseCommandLine({"b.pdf", "--aiuto", "-z"}).unknownOption, "--aiuto");

  // The toolkit's options pass, with one dash or two, their values taken along; after "--" they
  // are files.
  const ToolkitOptions qt{.withValue = {"platform"}, .flags = {"reverse"}, .joined = {"style"}};
  const CommandLine mixed = ParseCommandLine(
      {"-platform", "xcb", "a.pdf", "--reverse", "-style=fusion", "-style", "--", "-reverse"}, qt);
  EXPECT_EQ(mixed.toolkitArguments,
            (std::vector<std::string>{"-platform", "xcb", "--reverse", "-style=fusion"}));
  EXPECT_EQ(mixed.unknownOption, "-style");
  EXPECT_EQ(mixed.files, (std::vector<std::string>{"a.pdf", "-reverse"}));
  EXPECT_EQ(ParseCommandLine({"a.pdf", "--platform"}, qt).toolkitArguments,
            std::vector<std::string>{"--platform"});

  EXPECT_EQ(VersionText(TessikDeliverable()), "Tessik 0.0.9\n");
  const WorkingFolders folders{"/usr/bin", "/home/anna/.local/share/Orvane",
                               "/home/anna/.config/Orvane", true};
  const std::string help = HelpText(OrvaneDeliverable(), "orvane", folders);
  EXPECT_TRUE(help.starts_with("Usage: orvane [FILE...]\nConverts a PDF file into HTML pages"));
  EXPECT_NE(help.find("Results:  /home/anna/.local/share/Orvane" + Sep() + "output\n"),
            std::string::npos);
  EXPECT_NE(help.find("Settings: /home/anna/.config/Orvane" + Sep() + "Orvane.INI\n"),
            std::string::npos);
}

// Nothing of the toolkit starts for them, so they need no display.
TEST(StartUp, HelpVersionAndAWrongOptionAreAnsweredBeforeTheToolkitStarts) {
  StandInHost help({"-platform", "xcb", "--help", "a.pdf"});
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), help), 0);
  ASSERT_EQ(help.said.size(), 1u);
  EXPECT_EQ(help.said[0].first, ProgramHost::Channel::kOutput);
  EXPECT_TRUE(help.said[0].second.starts_with("Usage: orvane [FILE...]\n"));
  EXPECT_NE(help.said[0].second.find("Results:  " + help.programFolder.str() + Sep() + "output\n"),
            std::string::npos);

  StandInHost version({"a.pdf", "--version"});
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), version), 0);
  EXPECT_EQ(version.said, (std::vector<std::pair<ProgramHost::Channel, std::string>>{
                              {ProgramHost::Channel::kOutput, "Orvane 1.0.7\n"}}));

  StandInHost wrong({"-platform", "xcb", "a.pdf", "--colore", "-z"});
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), wrong), 2);
  EXPECT_EQ(wrong.said, (std::vector<std::pair<ProgramHost::Channel, std::string>>{
                            {ProgramHost::Channel::kError,
                             "orvane: unknown option --colore\nTry 'orvane --help' for more "
                             "information.\n"}}));

  for (const StandInHost* host : {&help, &version, &wrong}) {
    EXPECT_TRUE(host->steps.empty()) << Joined(host->steps);
    EXPECT_TRUE(host->desktop.boxes().empty());
  }
}

TEST(StartUp, TheFirstStartShowsItsWindowListensAndThenOpensTheFilesInTurn) {
  StandInHost host({"-platform", "xcb", "a.pdf", "--", "-b.pdf"});
  host.loopExit = 3;
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), host), 3);
  EXPECT_EQ(host.steps,
            (std::vector<std::string>{"toolkit -platform xcb", InstanceOf(host),
                                      "window of Orvane in " + host.programFolder.str(),
                                      "converter check", "listen", "loop",
                                      "open /start/a.pdf /start/-b.pdf", "open later.pdf"}));
  EXPECT_TRUE(host.said.empty());
  EXPECT_TRUE(host.desktop.boxes().empty());

  // Without files nothing is opened for the command line.
  StandInHost bare({});
  EXPECT_EQ(RunProgram(TessikDeliverable(), bare), 0);
  EXPECT_EQ(bare.steps.back(), "open later.pdf");
  EXPECT_EQ(std::count(bare.steps.begin(), bare.steps.end(), "open later.pdf"), 1);
}

TEST(StartUp, ALaterStartHandsItsFilesOverOrSaysWhichWereNotTaken) {
  StandInHost taken({"a.pdf", "b.pdf"});
  taken.first = false;
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), taken), 0);
  EXPECT_EQ(taken.steps,
            (std::vector<std::string>{"toolkit ", InstanceOf(taken),
                                      "hand over /start/a.pdf /start/b.pdf within 10000"}));
  EXPECT_TRUE(taken.desktop.boxes().empty());

  StandInHost refused({"a.pdf"});
  refused.first = false;
  refused.handOverTaken = false;
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), refused), 1);
  ASSERT_EQ(refused.desktop.boxes().size(), 1u);
  const RecordedBox& box = refused.desktop.boxes()[0];
  EXPECT_EQ(box.text,
            HandOverFailedText(OrvaneDeliverable(),
                               ResolveWorkingFolders(refused.programFolder.str(), "Orvane"),
                               {"/start/a.pdf"}));
  EXPECT_TRUE(box.text.ends_with("\r\n/start/a.pdf")) << box.text;
  EXPECT_EQ(box.style, kMbIconExclamation);
  EXPECT_EQ(refused.steps.back(), "hand over /start/a.pdf within 10000");
}

// Later starts could not reach this one: the user learns it where the platform says such
// things, and the program runs on. An unguarded start (no address) has said so already.
TEST(StartUp, AFailedListenIsSaidAndTheProgramRunsOn) {
  StandInHost deaf({});
  deaf.listens = false;
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), deaf), 0);
  EXPECT_EQ(deaf.said, (std::vector<std::pair<ProgramHost::Channel, std::string>>{
                           {ProgramHost::Channel::kError,
                            "orvane: cannot listen on /run/user/orvane.socket; a later start "
                            "cannot hand its files over\n"}}));
  EXPECT_EQ(deaf.steps.back(), "loop");

  StandInHost unguarded({});
  unguarded.listens = false;
  unguarded.address.clear();
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), unguarded), 0);
  EXPECT_TRUE(unguarded.said.empty());
}

// A program folder that does not exist is no scratch area: the per-user folders, which here lie
// below a file (XDG_DATA_HOME on POSIX, LOCALAPPDATA on Windows), cannot be made. The box says
// which and why, and nothing else happens.
TEST(StartUp, AWorkingFolderThatCannotBeMadeIsShownAndEndsTheProgram) {
  TempFolder home;
  WriteFile(home.path() / "dati", "un file, non una cartella");
  const EnvironmentScope homeVariable("HOME", home.str());
  const EnvironmentScope data("XDG_DATA_HOME", home / "dati");
  const EnvironmentScope config("XDG_CONFIG_HOME", home / "dati");
  const EnvironmentScope localAppData("LOCALAPPDATA", home / "dati");
  StandInHost host({"a.pdf"});
  std::filesystem::remove(host.programFolder.path());
  EXPECT_EQ(RunProgram(OrvaneDeliverable(), host), 1);
  ASSERT_EQ(host.desktop.boxes().size(), 1u);
  EXPECT_TRUE(host.desktop.boxes()[0].text.starts_with(
      "Orvane non può usare la sua cartella di lavoro\r\n\r\n" + (home / "dati") + Sep() +
      "Orvane\r\n"))
      << host.desktop.boxes()[0].text;
  EXPECT_EQ(host.steps, std::vector<std::string>{"toolkit "});
  EXPECT_EQ(NamesIn(home.path()), std::vector<std::string>{"dati"});
}

}  // namespace
}  // namespace droplet::testing
