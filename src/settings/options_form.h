#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/desktop_services.h"
#include "common/twips.h"
#include "common/version.h"
#include "settings/ini_settings.h"
#include "settings/profile.h"

// The options dialog without its widgets: the settings it shows and how they are loaded and
// saved, and each program's design of the form. The Qt and Win32 dialogs create what the design
// lists and move values in and out through OptionsFormState.

namespace droplet {

// A setting as the settings file names it.
struct SettingKey {
  std::string_view section;
  std::string_view key;
};

// A check box's state as the dialog shows and stores it.
inline constexpr int kCheckClear = 0;
inline constexpr int kCheckTicked = 1;
inline constexpr int kCheckGreyed = 2;

// A stored check-box value: one of the whole numbers 0, 1 and 2 (an optional "+" allowed), or
// nothing for anything else, the empty text included.
std::optional<int> ParseCheckValue(std::string_view text);

// What the dialog shows of the settings, one field per control that shows one. Default
// constructed it holds the controls' initial states.
struct OptionsFormState {
  int ckFolder = kCheckTicked;
  int ckRun = kCheckClear;
  int ckRangePag = kCheckClear;
  std::string txtPagStart = "1";
  std::string txtPagEnd = "1";
  int Check1 = kCheckClear;  // "Ignora immagini"

  bool operator==(const OptionsFormState&) const = default;
};

// One setting of the form: the control that shows it, its key, and its field in the state
// (a check box's state or a text box's text; exactly one of the two is set).
struct FormSetting {
  std::string_view control;
  SettingKey key;
  int OptionsFormState::*check = nullptr;
  std::string OptionsFormState::*text = nullptr;
};

// The form's settings in the order in which the dialog loads and saves them.
std::span<const FormSetting> FormSettings();

// What loading and saving need of the settings file.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual bool Exists() = 0;
  // False when the file exists but cannot be read (too large, not a plain file, refused); the
  // load then keeps every initial state. Asked once Exists has said yes.
  virtual bool Readable() { return true; }
  virtual std::string Read(const SettingKey& key) = 0;
  virtual void Write(const SettingKey& key, const std::string& value) = 0;
};

// The settings file through the settings operations. Its existence is asked of FileExists under
// the existence spelling; a search that fails reports itself there and counts as no file. The
// file is read once for all the values of a load (ProfileReader), again after a write.
class IniSettingsStore : public SettingsStore {
 public:
  IniSettingsStore(SettingsFile file, DesktopServices& desktop);
  bool Exists() override;
  bool Readable() override;
  std::string Read(const SettingKey& key) override;
  void Write(const SettingKey& key, const std::string& value) override;

  // The settings file's path when the last read found it unreadable, otherwise empty text: what
  // FormNotices takes to say so.
  std::string UnreadableFile() const;

 private:
  const ProfileReader& Reader();

  SettingsFile file_;
  DesktopServices& desktop_;
  std::optional<ProfileReader> reader_;
};

// Form_Load: the initial state, with the stored values in their places when the file exists.
// A stored check value other than 0, 1 or 2 leaves that box in its initial state; texts come
// back exactly as stored. Without a file nothing is read.
OptionsFormState LoadOptionsForm(SettingsStore& store);

// "Salva": every setting written in order, check states as "0", "1" or "2", texts as they
// stand, whether or not the file existed.
void SaveOptionsForm(const OptionsFormState& state, SettingsStore& store);

// --- The design of each program's form ---

enum class FormControlKind { kCheckBox, kTextBox, kButton, kPicture, kShape, kLabel };

// What a button does.
enum class FormButtonAction { kNone, kSave, kCancel };

struct FormFont {
  std::string face;  // empty: the dialog's own font
  double points = 0;
  bool bold = false;
};

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
};

// A caption written in two places around a control that lies on the caption's line, over
// blanks the caption leaves for it (the page-range box's caption, whose blanks hold the first
// page box): `head` on the captioned control, which ends at `headEnd`, where the control on the
// line begins; `tail` at its own place after that control.
struct SplitCaption {
  std::string head;
  int headEnd = 0;  // twips
  std::string tail;
  TwipsRect tailPlace;

  bool operator==(const SplitCaption&) const = default;
};

// Written with designated initializers: a field left out keeps the value given here.
struct FormControl {
  std::string name{};  // "ckFolder", ...
  FormControlKind kind = FormControlKind::kLabel;
  std::string caption{};  // check boxes, buttons and labels; a text box's text is a setting
  std::optional<SplitCaption> splitCaption{};  // how the caption is written when it is split
  TwipsRect place{};
  int tabIndex = -1;  // -1: outside the tab order
  bool enabled = true;
  FormFont font{};
  std::optional<Rgb> textColour{};
  FormButtonAction action = FormButtonAction::kNone;
  // What assistive technologies call a control whose caption does not say it (a text box).
  std::string accessibleName{};
};

struct OptionsForm {
  int clientWidth = 0;  // twips
  int clientHeight = 0;
  // In the order the dialog creates them: each control lies above those before it.
  std::vector<FormControl> controls;
  std::string title;  // the title bar's text
  // When not empty, the title once the form has loaded: the running program file's name
  // without its extension, then this text.
  std::string titleAfterProgramName;
  // What assistive technologies say of the dialog.
  std::string accessibleName;
  std::string accessibleDescription;
};

// The control named `name`, or nullptr.
const FormControl* FindControl(const OptionsForm& form, std::string_view name);
// The controls that take part in the tab order, in that order.
std::vector<const FormControl*> TabOrder(const OptionsForm& form);
// The title the loaded form shows, given the running program file's name without extension.
std::string LoadedTitle(const OptionsForm& form, const std::string& programFileStem);

OptionsForm OrvaneOptionsForm();
// Tessik's form: other places and texts, two inactive boxes, three labels, and its version in
// the title.
OptionsForm TessikOptionsForm(const Version& version);

// Who made Tessik and where to reach them, as its options dialog (title and labels) and its
// About text both show it.
inline constexpr const char* kTessikAuthorCredit = "a cura del gruppo Droplet";
inline constexpr const char* kTessikWebSite = "www.tessik.example.org";
inline constexpr const char* kTessikMailAddress = "tessik@example.org";

// --- What the settings ask of a conversion run ---

// Pages `first` to `last` of a document, counted from 1.
struct PageRange {
  int first = 1;
  int last = 1;
  bool operator==(const PageRange&) const = default;
};

// The page boxes' texts read as a range: two whole numbers from 1 up, blanks around them
// allowed, the first not after the last. Otherwise no range, the reason in plain Italian and
// the boxes at fault (both when the first page comes after the last).
struct PageRangeReading {
  std::optional<PageRange> range;
  std::string reason;
  bool startAtFault = false;
  bool endAtFault = false;
};
PageRangeReading ReadPageRange(std::string_view start, std::string_view end);

// What a run does with the settings. A greyed box counts as its initial state, and so does
// every box the form shows inactive: such a box changes nothing. Default constructed it is the
// run with the initial states.
struct RunSettings {
  bool openOutputFolder = true;          // ckFolder, "open"
  bool openResultWithoutAsking = false;  // ckRun, "run": otherwise the run asks
  bool ignoreImages = false;             // Check1: pages without their background images
  std::optional<PageRange> pages;        // ckRangePag with usable page boxes: only these pages
  // A ticked range that the page boxes do not give: the sentence that tells the user so and
  // that every page is converted instead. Empty otherwise.
  std::string unusableRange;

  bool operator==(const RunSettings&) const = default;
};
RunSettings RunSettingsFrom(const OptionsForm& form, const OptionsFormState& state);

// --- What the dialog points out before the next run ---

enum class NoticeKind {
  kInformation,  // the control's value is followed, in a way worth saying: a tool tip
  kFault,        // the run will not follow the value as shown: a tool tip and kFaultBackground
};

// A note on one control, for its tool tip (and for assistive technologies).
struct ControlNotice {
  std::string control;  // "txtPagStart", ...
  NoticeKind kind = NoticeKind::kInformation;
  std::string text;  // plain Italian
  bool operator==(const ControlNotice&) const = default;
};

// The background of a control whose value the run will not follow.
inline constexpr Rgb kFaultBackground{255, 214, 214};

// The notes the dialog shows for the values it shows now; the dialog asks again whenever the
// user changes one. Controls not listed carry no note. Inactive controls never get one. With
// `unreadableSettings` (the path of a settings file that could not be read) every active
// setting's control says so too, after its own note when it has one.
std::vector<ControlNotice> FormNotices(const OptionsForm& form, const OptionsFormState& state,
                                       const std::string& unreadableSettings = {});

}  // namespace droplet
