#include "settings/options_form.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/platform.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"

// The options form without widgets: how its settings are parsed, loaded and saved, and both
// programs' designs. The dialogs' own tests check what the widgets make of it.

namespace droplet {
namespace {

// Holds the settings in memory and records every call in order.
class RecordingStore : public SettingsStore {
 public:
  bool Exists() override {
    calls.push_back("exists");
    return exists;
  }
  std::string Read(const SettingKey& key) override {
    const std::string name = std::string(key.section) + "/" + std::string(key.key);
    calls.push_back("read " + name);
    return values[name];
  }
  void Write(const SettingKey& key, const std::string& value) override {
    calls.push_back("write " + std::string(key.section) + "/" + std::string(key.key) + "=" + value);
  }

  bool exists = true;
  std::map<std::string, std::string> values;
  std::vector<std::string> calls;
};

TEST(OptionsForm, CheckValuesAreTheWholeNumbersZeroToTwo) {
  EXPECT_EQ(ParseCheckValue("0"), 0);
  EXPECT_EQ(ParseCheckValue("1"), 1);
  EXPECT_EQ(ParseCheckValue("+2"), 2);
  EXPECT_EQ(ParseCheckValue("002"), 2);
  for (const char* bad : {"", "3", "-1", "x", "1x", " 1", "1.0", "+", "99999999999"}) {
    EXPECT_EQ(ParseCheckValue(bad), std::nullopt) << bad;
  }
}

TEST(OptionsForm, WithoutAFileNothingIsReadAndTheInitialStatesStay) {
  RecordingStore store;
  store.exists = false;
  EXPECT_EQ(LoadOptionsForm(store), OptionsFormState{});
  EXPECT_EQ(store.calls, std::vector<std::string>{"exists"});
  const OptionsFormState initial;
  EXPECT_EQ(initial.ckFolder, kCheckTicked);
  EXPECT_EQ(initial.ckRun, kCheckClear);
  EXPECT_EQ(initial.ckRangePag, kCheckClear);
  EXPECT_EQ(initial.txtPagStart, "1");
  EXPECT_EQ(initial.txtPagEnd, "1");
}

TEST(OptionsForm, LoadReadsInOrderAndKeepsTheInitialStateForABadCheckValue) {
  RecordingStore store;
  store.values = {{"Folders/open", "x"}, {"Folders/run", "2"}, {"Range/Start", "abc"}};
  const OptionsFormState state = LoadOptionsForm(store);
  EXPECT_EQ(store.calls, (std::vector<std::string>{
                             "exists", "read Folders/open", "read Folders/run", "read Range/Active",
                             "read Range/Start", "read Range/End", "read Images/Ignore"}));
  EXPECT_EQ(state.ckFolder, kCheckTicked);  // "x"
  EXPECT_EQ(state.ckRun, kCheckGreyed);
  EXPECT_EQ(state.ckRangePag, kCheckClear);  // absent
  EXPECT_EQ(state.txtPagStart, "abc");
  EXPECT_EQ(state.txtPagEnd, "");  // texts come back as stored, absent as empty
}

TEST(OptionsForm, SaveWritesEverySettingInOrder) {
  RecordingStore store;
  SaveOptionsForm({0, 2, 1, "", "dieci", 1}, store);
  EXPECT_EQ(store.calls,
            (std::vector<std::string>{
                "write Folders/open=0", "write Folders/run=2", "write Range/Active=1",
                "write Range/Start=", "write Range/End=dieci", "write Images/Ignore=1"}));
}

// Through the settings file: loading looks for the existence spelling, saving writes the other.
TEST(OptionsForm, IniStoreSavesAndLoadsTheSettingsFile) {
  testing::TempFolder folder;
  testing::ScriptedDesktop desktop;
  IniSettingsStore store(
      {IniFilePath(folder.str(), "Orvane.INI"), IniFilePath(folder.str(), "Orvane.ini")}, desktop);
  EXPECT_FALSE(store.Exists());
  SaveOptionsForm({}, store);
  // The five settings as ever, "Ignora immagini" after them.
  std::string lines = testing::ReadFile(testing::PathFromUtf8(folder.str() + Sep() + "Orvane.INI"));
  std::erase(lines, '\r');
  EXPECT_EQ(lines,
            "[Folders]\nopen=1\nrun=0\n[Range]\nActive=0\nStart=1\nEnd=1\n[Images]\nIgnore=0\n");
  const OptionsFormState saved{2, 1, 0, "3", "", 1};
  SaveOptionsForm(saved, store);
  EXPECT_EQ(LoadOptionsForm(store), saved);
  EXPECT_TRUE(desktop.boxes().empty());
}

// A settings file over the size limit: the initial states, a note on every active control that
// says so, and a save that leaves the file as it was.
TEST(OptionsForm, AnUnreadableSettingsFileGivesTheInitialStatesAndANotice) {
  testing::TempFolder folder;
  testing::ScriptedDesktop desktop;
  const std::string path = IniFilePath(folder.str(), "Orvane.INI");
  const std::string big = "[Folders]\r\nopen=0\r\nrun=1\r\n" + std::string(2 << 20, ' ');
  testing::WriteFile(testing::PathFromUtf8(path), big);
  IniSettingsStore store({path, path}, desktop);
  EXPECT_EQ(store.UnreadableFile(), "");
  EXPECT_EQ(LoadOptionsForm(store), OptionsFormState{});
  EXPECT_EQ(store.UnreadableFile(), path);
  SaveOptionsForm({0, 1, 1, "2", "3", 1}, store);
  EXPECT_EQ(testing::ReadFile(testing::PathFromUtf8(path)), big);
  EXPECT_EQ(store.UnreadableFile(), path);

  const OptionsForm tessik = TessikOptionsForm({0, 0, 9});
  const std::vector<ControlNotice> notices = FormNotices(tessik, {2, 0, 0, "1", "1", 0}, path);
  std::vector<std::string> controls;
  for (const ControlNotice& notice : notices) {
    controls.push_back(notice.control);
    EXPECT_NE(notice.text.find("Impossibile leggere il file delle impostazioni " + path),
              std::string::npos);
  }
  // Tessik's inactive boxes get none; the greyed box keeps its own note first.
  EXPECT_EQ(controls, (std::vector<std::string>{"ckFolder", "ckRun", "txtPagStart", "txtPagEnd"}));
  EXPECT_TRUE(notices[0].text.starts_with("Casella indeterminata"));
  EXPECT_TRUE(desktop.boxes().empty());
}

TEST(OptionsForm, PageRangesAreTwoWholeNumbersFromOneUpInOrder) {
  EXPECT_EQ(ReadPageRange("3", " 5 ").range, (PageRange{3, 5}));
  EXPECT_EQ(ReadPageRange("07", "7").range, (PageRange{7, 7}));
  const struct {
    const char* start;
    const char* end;
    bool startAtFault, endAtFault;
    const char* reason;
  } bad[] = {
      {"abc", "2", true, false, "la pagina iniziale (\"abc\") non è un numero intero da 1 in su"},
      {"1", "-2", false, true, "la pagina finale (\"-2\") non è un numero intero da 1 in su"},
      {"2.5", "+3", true, true,
       "la pagina iniziale (\"2.5\") non è un numero intero da 1 in su e "
       "la pagina finale (\"+3\") non è un numero intero da 1 in su"},
      {"9", "4", true, true, "la pagina iniziale (9) viene dopo la pagina finale (4)"},
      {" ", "99999999999", true, true,
       "manca la pagina iniziale e la pagina finale (99999999999) supera ogni numero di pagina "
       "possibile"}};
  for (const auto& c : bad) {
    const PageRangeReading reading = ReadPageRange(c.start, c.end);
    EXPECT_EQ(reading.range, std::nullopt) << c.start;
    EXPECT_EQ(reading.reason, c.reason);
    EXPECT_EQ(reading.startAtFault, c.startAtFault) << c.start;
    EXPECT_EQ(reading.endAtFault, c.endAtFault) << c.start;
  }
}

// The run takes greyed and inactive boxes for their initial state; the dialog marks greyed
// boxes and, with the range ticked, the page boxes the run will not follow.
TEST(OptionsForm, RunSettingsAndNoticesFollowTheShownValues) {
  const OptionsForm orvane = OrvaneOptionsForm();
  const OptionsForm tessik = TessikOptionsForm({0, 0, 9});
  EXPECT_EQ(RunSettingsFrom(orvane, {}), RunSettings{});
  EXPECT_EQ(RunSettingsFrom(orvane, {2, 2, 2, "x", "y", 2}), RunSettings{});
  EXPECT_TRUE(FormNotices(orvane, {}).empty());

  RunSettings chosen;
  chosen.openOutputFolder = false;
  chosen.openResultWithoutAsking = true;
  chosen.ignoreImages = true;
  chosen.pages = PageRange{2, 4};
  EXPECT_EQ(RunSettingsFrom(orvane, {0, 1, 1, "2", "4", 1}), chosen);
  chosen.ignoreImages = false;
  chosen.pages.reset();
  EXPECT_EQ(RunSettingsFrom(tessik, {0, 1, 1, "2", "4", 1}), chosen);

  const OptionsFormState unusable{2, 0, 1, "4", "2", 0};
  EXPECT_EQ(RunSettingsFrom(orvane, unusable).unusableRange,
            "Intervallo di pagine non valido: la pagina iniziale (4) viene dopo la pagina finale "
            "(2). Si convertono tutte le pagine.");
  const std::vector<ControlNotice> notices = FormNotices(orvane, unusable);
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].control, "ckFolder");
  EXPECT_EQ(notices[0].kind, NoticeKind::kInformation);
  EXPECT_NE(notices[0].text.find("considera selezionata"), std::string::npos);
  EXPECT_EQ(notices[1], (ControlNotice{"txtPagStart", NoticeKind::kFault,
                                       RunSettingsFrom(orvane, unusable).unusableRange}));
  EXPECT_EQ(notices[2].control, "txtPagEnd");
  // Tessik's inactive boxes never get a note: they change nothing.
  EXPECT_EQ(FormNotices(tessik, {1, 0, 2, "x", "", 2}), std::vector<ControlNotice>{});
  EXPECT_EQ(FormNotices(tessik, {1, 0, 1, "x", "", 0}), std::vector<ControlNotice>{});
}

TEST(OptionsForm, BothDesignsPlaceEveryControlAndTessikDiffers) {
  const OptionsForm orvane = OrvaneOptionsForm();
  const OptionsForm tessik = TessikOptionsForm({0, 0, 9});
  for (const OptionsForm* form : {&orvane, &tessik}) {
    std::vector<std::string> order;
    for (const FormControl* control : TabOrder(*form)) order.push_back(control->name);
    std::vector<std::string> expected = {"ckFolder",   "ckRun",       "Command1",  "Command2",
                                         "ckRangePag", "txtPagStart", "txtPagEnd", "Check1"};
    if (form == &tessik) expected.insert(expected.end(), {"Label3", "Label4", "Label2"});
    EXPECT_EQ(order, expected);
    // Every setting has its control, of the kind its state needs.
    for (const FormSetting& setting : FormSettings()) {
      const FormControl* control = FindControl(*form, setting.control);
      ASSERT_NE(control, nullptr) << setting.control;
      EXPECT_EQ(control->kind,
                setting.check != nullptr ? FormControlKind::kCheckBox : FormControlKind::kTextBox);
    }
    EXPECT_EQ(FindControl(*form, "Command1")->action, FormButtonAction::kSave);
    EXPECT_EQ(FindControl(*form, "Command2")->action, FormButtonAction::kCancel);
    ASSERT_NE(FindControl(*form, "Image1"), nullptr);
    ASSERT_NE(FindControl(*form, "Shape1"), nullptr);
  }

  EXPECT_EQ(orvane.clientWidth, 3885);
  EXPECT_EQ(orvane.clientHeight, 3930);
  EXPECT_EQ(LoadedTitle(orvane, "orvane"), "Opzioni");
  EXPECT_EQ(FindControl(orvane, "ckRun")->caption, "Eseguii Html dopo elaborazione");
  EXPECT_EQ(FindControl(orvane, "ckRangePag")->place, (TwipsRect{210, 2775, 3195, 345}));
  EXPECT_TRUE(FindControl(orvane, "ckRangePag")->enabled);
  EXPECT_EQ(FindControl(orvane, "Label2"), nullptr);

  EXPECT_EQ(tessik.clientWidth, 3855);
  EXPECT_EQ(tessik.clientHeight, 3705);
  EXPECT_EQ(LoadedTitle(tessik, "tessik"),
            "tessik Version: (BETA) 0.0.9 - a cura del gruppo Droplet");
  EXPECT_EQ(FindControl(tessik, "ckRun")->caption, "Apri file txt dopo elaborazione");
  EXPECT_EQ(FindControl(tessik, "ckRangePag")->place, (TwipsRect{210, 2535, 3195, 345}));
  EXPECT_FALSE(FindControl(tessik, "ckRangePag")->enabled);
  EXPECT_FALSE(FindControl(tessik, "Check1")->enabled);
  EXPECT_TRUE(FindControl(tessik, "txtPagStart")->enabled);
  EXPECT_EQ(FindControl(tessik, "Label2")->caption, "a cura del gruppo Droplet");
}

// The page-range caption's blanks hold the first page box: the caption shows on the check box up
// to that box, its tail "a :" 4 pixels after it, up to the second page box, on the caption's line.
TEST(OptionsForm, PageRangeCaptionIsSplitAroundTheFirstPageBox) {
  for (const OptionsForm& form : {OrvaneOptionsForm(), TessikOptionsForm({0, 0, 9})}) {
    const FormControl& range = *FindControl(form, "ckRangePag");
    ASSERT_TRUE(range.splitCaption.has_value());
    EXPECT_EQ(
        *range.splitCaption,
        (SplitCaption{"Converti pagine da :", 2295, "a :", {2790, range.place.top, 345, 345}}));
    EXPECT_FALSE(FindControl(form, "ckFolder")->splitCaption.has_value());
  }
}

}  // namespace
}  // namespace droplet
