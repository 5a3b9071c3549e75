#include "settings/options_form.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "common/text_basics.h"
#include "files/file_operations.h"

namespace droplet {

namespace {

constexpr FormSetting kFormSettings[] = {
    {"ckFolder", {"Folders", "open"}, &OptionsFormState::ckFolder, nullptr},
    {"ckRun", {"Folders", "run"}, &OptionsFormState::ckRun, nullptr},
    {"ckRangePag", {"Range", "Active"}, &OptionsFormState::ckRangePag, nullptr},
    {"txtPagStart", {"Range", "Start"}, nullptr, &OptionsFormState::txtPagStart},
    {"txtPagEnd", {"Range", "End"}, nullptr, &OptionsFormState::txtPagEnd},
    // Last: a file saved before it existed keeps its lines, and this one follows them.
    {"Check1", {"Images", "Ignore"}, &OptionsFormState::Check1, nullptr},
};

const FormFont kCheckBoxFont{"Verdana", 8.25, false};
const FormFont kPageBoxFont{"MS Sans Serif", 8.25, true};
const FormFont kLabelFont{"Verdana", 8.25, false};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kGrey{128, 128, 128};
constexpr int kCaptionTailGap = 60;  // twips between the first page box and the caption's tail

FormControl CheckBox(std::string name, std::string caption, TwipsRect place, int tabIndex) {
  return {.name = std::move(name),
          .kind = FormControlKind::kCheckBox,
          .caption = std::move(caption),
          .place = place,
          .tabIndex = tabIndex,
          .font = kCheckBoxFont};
}

FormControl PageBox(std::string name, TwipsRect place, int tabIndex) {
  return {.name = std::move(name),
          .kind = FormControlKind::kTextBox,
          .place = place,
          .tabIndex = tabIndex,
          .font = kPageBoxFont};
}

FormControl Button(std::string name, std::string caption, TwipsRect place, int tabIndex,
                   FormButtonAction action) {
  return {.name = std::move(name),
          .kind = FormControlKind::kButton,
          .caption = std::move(caption),
          .place = place,
          .tabIndex = tabIndex,
          .action = action};
}

FormControl Plain(std::string name, FormControlKind kind, TwipsRect place) {
  return {.name = std::move(name), .kind = kind, .place = place};
}

FormControl Label(std::string name, std::string caption, TwipsRect place, int tabIndex,
                  Rgb colour) {
  return {.name = std::move(name),
          .kind = FormControlKind::kLabel,
          .caption = std::move(caption),
          .place = place,
          .tabIndex = tabIndex,
          .font = kLabelFont,
          .textColour = colour};
}

// A page box's text as a page number: a whole number from 1 up, blanks around it allowed.
// `which` is "iniziale" or "finale"; a text that is no page number gives the reason instead.
std::optional<int> ReadPage(std::string_view text, const char* which, std::string& reason) {
  const std::string_view digits = Trimmed(text);
  const std::string name = std::string("la pagina ") + which;
  if (digits.empty()) {
    reason = "manca " + name;
    return std::nullopt;
  }
  int page = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), page);
  const bool allDigits = digits.find_first_not_of("0123456789") == std::string_view::npos;
  if (allDigits && error == std::errc::result_out_of_range) {
    reason = name + " (" + std::string(digits) + ") supera ogni numero di pagina possibile";
    return std::nullopt;
  }
  if (!allDigits || error != std::errc() || end != digits.data() + digits.size() || page < 1) {
    reason = name + " (\"" + std::string(text) + "\") non è un numero intero da 1 in su";
    return std::nullopt;
  }
  return page;
}

bool Enabled(const OptionsForm& form, std::string_view control) {
  const FormControl* shown = FindControl(form, control);
  return shown != nullptr && shown->enabled;
}

// What the run takes a check box's state for: a greyed box, and any box of an inactive control,
// counts as the box's initial state.
int EffectiveCheck(const OptionsForm& form, const OptionsFormState& state,
                   int OptionsFormState::*check, std::string_view control) {
  if (!Enabled(form, control) || state.*check == kCheckGreyed) return OptionsFormState{}.*check;
  return state.*check;
}

std::string UnusableRangeSentence(const std::string& reason) {
  return "Intervallo di pagine non valido: " + reason + ". Si convertono tutte le pagine.";
}

FormControl& Control(OptionsForm& form, std::string_view name) {
  return *std::find_if(form.controls.begin(), form.controls.end(),
                       [name](const FormControl& control) { return control.name == name; });
}

// The page-range caption leaves blanks for the first page box, which lies over them on the
// caption's line: the text before the blanks shows on the check box up to that page box, the
// text after them ("a :") after it, up to the second page box.
void SplitPageRangeCaption(OptionsForm& form) {
  FormControl& range = Control(form, "ckRangePag");
  const TwipsRect& first = Control(form, "txtPagStart").place;
  const TwipsRect& second = Control(form, "txtPagEnd").place;
  const std::string& caption = range.caption;
  const size_t blanks = caption.find("  ");
  const size_t tail = caption.find_first_not_of(' ', blanks);
  const int tailLeft = first.left + first.width + kCaptionTailGap;
  range.splitCaption = SplitCaption{
      caption.substr(0, blanks), first.left, caption.substr(tail),
      TwipsRect{tailLeft, range.place.top, second.left - tailLeft, range.place.height}};
}

}  // namespace

std::optional<int> ParseCheckValue(std::string_view text) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  int value = -1;
  const auto [end, error] = std::from_chars(first, last, value);
  if (first == last || error != std::errc() || end != last || value < kCheckClear ||
      value > kCheckGreyed) {
    return std::nullopt;
  }
  return value;
}

std::span<const FormSetting> FormSettings() {
  return kFormSettings;
}

IniSettingsStore::IniSettingsStore(SettingsFile file, DesktopServices& desktop)
    : file_(std::move(file)), desktop_(desktop) {}

bool IniSettingsStore::Exists() {
  return FileExists(file_.existencePath, desktop_);
}

const ProfileReader& IniSettingsStore::Reader() {
  if (!reader_) reader_.emplace(file_.path);
  return *reader_;
}

bool IniSettingsStore::Readable() {
  return !Reader().unreadable();
}

std::string IniSettingsStore::Read(const SettingKey& key) {
  return Reader().Read(std::string(key.section), std::string(key.key));
}

void IniSettingsStore::Write(const SettingKey& key, const std::string& value) {
  WriteIniValue(file_.path, std::string(key.section), std::string(key.key), value);
  // The next read sees the file as it is now, not as it was loaded. Whether it could be read
  // stays what the load found, for the dialog's notes.
  if (reader_ && !reader_->unreadable()) reader_.reset();
}

std::string IniSettingsStore::UnreadableFile() const {
  return reader_ && reader_->unreadable() ? file_.path : std::string();
}

OptionsFormState LoadOptionsForm(SettingsStore& store) {
  OptionsFormState state;
  if (!store.Exists() || !store.Readable()) return state;
  for (const FormSetting& setting : FormSettings()) {
    const std::string value = store.Read(setting.key);
    if (setting.text != nullptr) {
      state.*setting.text = value;
    } else if (const std::optional<int> check = ParseCheckValue(value)) {
      state.*setting.check = *check;
    }
  }
  return state;
}

void SaveOptionsForm(const OptionsFormState& state, SettingsStore& store) {
  for (const FormSetting& setting : FormSettings()) {
    store.Write(setting.key, setting.text != nullptr ? state.*setting.text
                                                     : std::to_string(state.*setting.check));
  }
}

const FormControl* FindControl(const OptionsForm& form, std::string_view name) {
  for (const FormControl& control : form.controls) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

std::vector<const FormControl*> TabOrder(const OptionsForm& form) {
  std::vector<const FormControl*> order;
  for (const FormControl& control : form.controls) {
    if (control.tabIndex >= 0) order.push_back(&control);
  }
  std::stable_sort(order.begin(), order.end(), [](const FormControl* a, const FormControl* b) {
    return a->tabIndex < b->tabIndex;
  });
  return order;
}

std::string LoadedTitle(const OptionsForm& form, const std::string& programFileStem) {
  if (form.titleAfterProgramName.empty()) return form.title;
  return programFileStem + form.titleAfterProgramName;
}

OptionsForm OrvaneOptionsForm() {
  OptionsForm form;
  form.clientWidth = 3885;
  form.clientHeight = 3930;
  form.title = "Opzioni";
  form.controls = {
      Plain("Shape1", FormControlKind::kShape, {30, 30, 3795, 3855}),
      Plain("Image1", FormControlKind::kPicture, {420, 135, 1320, 1455}),
      CheckBox("ckFolder", "Apri cartella dopo elaborazione", {210, 1620, 3120, 345}, 0),
      CheckBox("ckRun", "Eseguii Html dopo elaborazione", {210, 1875, 3195, 345}, 1),
      Button("Command1", "Salva", {2430, 3315, 1215, 360}, 2, FormButtonAction::kSave),
      Button("Command2", "Annulla", {1155, 3315, 1215, 360}, 3, FormButtonAction::kCancel),
      // The blanks leave room for txtPagStart, which lies on the caption's line.
      CheckBox("ckRangePag", "Converti pagine da :         a :", {210, 2775, 3195, 345}, 4),
      PageBox("txtPagStart", {2295, 2835, 435, 255}, 5),
      PageBox("txtPagEnd", {3135, 2835, 435, 255}, 6),
      CheckBox("Check1", "Ignora immagini", {210, 2160, 3195, 345}, 7),
  };
  SplitPageRangeCaption(form);
  return form;
}

OptionsForm TessikOptionsForm(const Version& version) {
  OptionsForm form = OrvaneOptionsForm();
  form.clientWidth = 3855;
  form.clientHeight = 3705;
  form.titleAfterProgramName =
      " Version: (BETA) " + FormatVersion(version) + " - " + std::string(kTessikAuthorCredit);
  Control(form, "Shape1").place.height = 3645;
  Control(form, "Image1").place = {2100, 75, 1710, 1635};
  Control(form, "ckFolder").place.top = 1680;
  FormControl& ckRun = Control(form, "ckRun");
  ckRun.caption = "Apri file txt dopo elaborazione";
  ckRun.place.top = 1935;
  Control(form, "Command1").place = {2625, 3015, 1065, 285};
  Control(form, "Command2").place = {1515, 3030, 1065, 285};
  FormControl& ckRangePag = Control(form, "ckRangePag");
  ckRangePag.place.top = 2535;
  ckRangePag.enabled = false;
  Control(form, "txtPagStart").place.top = 2595;
  Control(form, "txtPagEnd").place.top = 2595;
  FormControl& check1 = Control(form, "Check1");
  check1.place.top = 2220;
  check1.enabled = false;
  form.controls.push_back(Label("Label3", kTessikWebSite, {135, 270, 3135, 255}, 8, kBlue));
  form.controls.push_back(Label("Label4", kTessikMailAddress, {135, 465, 2655, 255}, 9, kBlue));
  form.controls.push_back(Label("Label2", kTessikAuthorCredit, {300, 3405, 3285, 195}, 10, kGrey));
  SplitPageRangeCaption(form);
  return form;
}

PageRangeReading ReadPageRange(std::string_view start, std::string_view end) {
  PageRangeReading reading;
  std::string startReason;
  std::string endReason;
  const std::optional<int> first = ReadPage(start, "iniziale", startReason);
  const std::optional<int> last = ReadPage(end, "finale", endReason);
  reading.startAtFault = !first;
  reading.endAtFault = !last;
  if (first && last && *first > *last) {
    reading.startAtFault = reading.endAtFault = true;
    reading.reason = "la pagina iniziale (" + std::to_string(*first) +
                     ") viene dopo la pagina finale (" + std::to_string(*last) + ")";
  } else if (first && last) {
    reading.range = PageRange{*first, *last};
  } else {
    reading.reason = startReason;
    if (!startReason.empty() && !endReason.empty()) reading.reason += " e ";
    reading.reason += endReason;
  }
  return reading;
}

RunSettings RunSettingsFrom(const OptionsForm& form, const OptionsFormState& state) {
  const auto ticked = [&](int OptionsFormState::*check, std::string_view control) {
    return EffectiveCheck(form, state, check, control) == kCheckTicked;
  };
  RunSettings settings;
  settings.openOutputFolder = ticked(&OptionsFormState::ckFolder, "ckFolder");
  settings.openResultWithoutAsking = ticked(&OptionsFormState::ckRun, "ckRun");
  settings.ignoreImages = ticked(&OptionsFormState::Check1, "Check1");
  if (ticked(&OptionsFormState::ckRangePag, "ckRangePag")) {
    PageRangeReading reading = ReadPageRange(state.txtPagStart, state.txtPagEnd);
    settings.pages = reading.range;
    if (!reading.range) settings.unusableRange = UnusableRangeSentence(reading.reason);
  }
  return settings;
}

std::vector<ControlNotice> FormNotices(const OptionsForm& form, const OptionsFormState& state,
                                       const std::string& unreadableSettings) {
  std::vector<ControlNotice> notices;
  for (const FormSetting& setting : FormSettings()) {
    if (setting.check == nullptr || state.*setting.check != kCheckGreyed ||
        !Enabled(form, setting.control)) {
      continue;
    }
    const bool initiallyTicked = OptionsFormState{}.*setting.check == kCheckTicked;
    notices.push_back({std::string(setting.control), NoticeKind::kInformation,
                       std::string("Casella indeterminata: la conversione la considera ") +
                           (initiallyTicked ? "selezionata" : "non selezionata") +
                           ", come la scelta predefinita. Un clic la seleziona o la "
                           "deseleziona."});
  }
  if (state.ckRangePag == kCheckTicked && Enabled(form, "ckRangePag")) {
    const PageRangeReading reading = ReadPageRange(state.txtPagStart, state.txtPagEnd);
    const std::string text = UnusableRangeSentence(reading.reason);
    if (reading.startAtFault) notices.push_back({"txtPagStart", NoticeKind::kFault, text});
    if (reading.endAtFault) notices.push_back({"txtPagEnd", NoticeKind::kFault, text});
  }
  if (!unreadableSettings.empty()) {
    const std::string text = "Impossibile leggere il file delle impostazioni " +
                             unreadableSettings +
                             " (più grande di 1 MiB, o non leggibile): valgono le scelte "
                             "predefinite, e \"Salva\" lascia il file com'è.";
    for (const FormSetting& setting : FormSettings()) {
      if (!Enabled(form, setting.control)) continue;
      const auto own = std::find_if(notices.begin(), notices.end(), [&](const ControlNotice& n) {
        return n.control == setting.control;
      });
      if (own != notices.end()) {
        own->text += " " + text;
      } else {
        notices.push_back({std::string(setting.control), NoticeKind::kInformation, text});
      }
    }
  }
  return notices;
}

}  // namespace droplet
