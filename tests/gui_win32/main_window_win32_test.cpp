// The Win32 main window on the screen under Wine: its shape, layer, menu, close requests and
// drops; and the two programs themselves, started as the user starts them.

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/scoped_win32.h"
#include "common/text_win32.h"
#include "front_end/deliverable.h"
#include "front_end/main_window_win32.h"
#include "front_end/version_resource_win32.h"
#include "settings/options_dialog_win32.h"
#include "shell/box_position.h"
#include "shell/dib_section.h"
#include "shell/dib_section_win32.h"
#include "support/pdf_writer.h"
#include "support/recording_opener.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"
#include "support/win32_support.h"
#include "test_pictures_win32.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kEntryOptions = 0;
constexpr int kEntryInfo = 1;
constexpr int kEntryOpenPath = 3;
constexpr int kEntrySvuota = 4;
constexpr int kEntryConverti = 5;
constexpr int kEntryInterrompi = 6;
constexpr int kEntryExit = 7;

bool IsTessik(const Deliverable& deliverable) {
  return &deliverable == &TessikDeliverable();
}

class MainWindowWin32Test : public ::testing::Test {
 protected:
  MainWindowWin32Test() : converters_(SearchPathWith(TestConverterFolder())) {}

  Form1& ShowForm(const Deliverable& deliverable, POINT at = POINT{300, 200}) {
    const bool tessik = IsTessik(deliverable);
    form_ =
        std::make_unique<Form1>(deliverable, program_.str(),
                                Win32Pictures{::GetModuleHandleW(nullptr),
                                              tessik ? TEST_TESSIK_PICTURE : TEST_ORVANE_PICTURE,
                                              tessik ? TEST_TESSIK_OPTIONS : TEST_ORVANE_OPTIONS},
                                std::make_unique<RecordingOpener>(opened_));
    ::SetWindowPos(form_->hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(form_->hwnd(), SW_SHOW);
    ::UpdateWindow(form_->hwnd());
    PumpFor(milliseconds(300));
    return *form_;
  }

  // Right-clicks at `at` (screen) and chooses the menu entry `index` (-1: none).
  MenuChooser::Seen ChooseEntry(int index, POINT at) {
    MenuChooser chooser(index);
    ClickMouse(at, true);
    PumpUntil([&] { return chooser.seen().shown; }, seconds(5));
    PumpFor(milliseconds(300));
    return chooser.seen();
  }

  POINT ClientToScreenPoint(POINT client) const {
    ::ClientToScreen(form_->hwnd(), &client);
    return client;
  }

  bool Settled() {
    return PumpUntil([&] { return !form_->workflow().Busy(); }, seconds(60));
  }

  const ScopedOleInitialize ole_;
  SearchPathScope converters_;
  TempFolder program_;
  TempFolder documents_;
  std::vector<RecordingOpener::Request> opened_;
  std::unique_ptr<Form1> form_;
};

TEST_F(MainWindowWin32Test, PictureShowsThroughItsShapeAboveOrdinaryWindows) {
  const ColourWindow behind(RECT{250, 150, 700, 450}, RGB(255, 0, 255));
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    Form1& form = ShowForm(*deliverable);
    const HWND window = form.hwnd();
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    // Orvane's caption is empty: its window text is the name screen readers give it.
    EXPECT_EQ(FromWide(caption),
              IsTessik(*deliverable) ? "Tessik - Ver: 0.0" : deliverable->window.accessibleName);

    const ScopedBitmap picture(static_cast<HBITMAP>(::LoadImageW(
        ::GetModuleHandleW(nullptr),
        MAKEINTRESOURCEW(IsTessik(*deliverable) ? TEST_TESSIK_PICTURE : TEST_ORVANE_PICTURE),
        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    cDIBSection dib;
    CreateFromPicture(dib, picture.get());
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, dib.Width());
    EXPECT_EQ(client.bottom, dib.Height());

    // The bottom-left pixel is the key: cut away, the window behind shows there.
    EXPECT_EQ(ScreenPixel(ClientToScreenPoint(POINT{0, dib.Height() - 1})), 0xFF00FF);
    const POINT opaque = OpaquePoint(form);
    POINT inside = opaque;
    ::ScreenToClient(window, &inside);
    EXPECT_EQ(ScreenPixel(opaque), dib.PixelColour(inside.x, dib.Height() - 1 - inside.y));

    // The progress bar lies wholly inside the shape.
    const RECT bar = form.progressBarRect();
    ASSERT_FALSE(::IsRectEmpty(&bar));
    ScopedRegion shape(::CreateRectRgn(0, 0, 0, 0));
    ::GetWindowRgn(window, shape.get());
    for (const POINT corner :
         {POINT{bar.left, bar.top}, POINT{bar.right - 1, bar.top}, POINT{bar.left, bar.bottom - 1},
          POINT{bar.right - 1, bar.bottom - 1}}) {
      EXPECT_TRUE(::PtInRegion(shape.get(), corner.x, corner.y));
    }
    form_.reset();
  }
}

TEST_F(MainWindowWin32Test, MenuShowsAtTheMouseAndEveryEntryRunsItsCommand) {
  Form1& form = ShowForm(TessikDeliverable());
  const POINT at = OpaquePoint(form);
  BoxAnswerer answerer;

  // The right button shows mnu1 at the mouse, "Interrompi conversione" greyed without a run.
  const MenuChooser::Seen menu = ChooseEntry(kEntryOptions, at);
  ASSERT_TRUE(menu.shown);
  EXPECT_EQ(menu.captions, (std::vector<std::string>{
                               "Opzioni", "Info", "-", "Apri Cartella di output", "Svuota cache",
                               "Converti un PDF...", "Interrompi conversione", "Esci"}));
  for (size_t i = 0; i < menu.enabled.size(); ++i) {
    if (menu.captions[i] != "-") {
      EXPECT_EQ(menu.enabled[i], i != kEntryInterrompi) << i;
    }
  }
  EXPECT_NEAR(menu.at.x, at.x, 4);
  EXPECT_NEAR(menu.at.y, at.y, 4);
  const HWND options = CurrentOptionsDialog();
  ASSERT_NE(options, nullptr);
  ChooseEntry(kEntryOptions, at);
  EXPECT_EQ(CurrentOptionsDialog(), options) << "one dialog";
  ::SendMessageW(options, WM_CLOSE, 0, 0);
  EXPECT_EQ(CurrentOptionsDialog(), nullptr);

  ChooseEntry(kEntryInfo, at);
  ASSERT_EQ(answerer.boxes().size(), 1u);
  EXPECT_EQ(answerer.boxes()[0].text, TessikDeliverable().aboutText);
  EXPECT_EQ(answerer.boxes()[0].title, "Tessik");

  ChooseEntry(kEntryOpenPath, at);
  ASSERT_FALSE(opened_.empty());
  EXPECT_EQ(opened_[0].target, program_ / "output");

  const size_t before = answerer.boxes().size();
  ChooseEntry(kEntrySvuota, at);
  ASSERT_TRUE(Settled());
  ASSERT_EQ(answerer.boxes().size(), before + 1);
  EXPECT_EQ(answerer.boxes().back().text, "Cache svuotata");

  ChooseEntry(kEntryInterrompi, at);
  EXPECT_EQ(answerer.boxes().size(), before + 1) << "a greyed entry does nothing";

  // "Converti un PDF..." takes the file chosen in the open dialog to the run, as a drop: its
  // confirmation names the file (and No cancels the run).
  const fs::path pdf = documents_.path() / "scelto.pdf";
  WritePdf(pdf, {PdfPage{{"Ciao"}}});
  std::thread chooser([&pdf] {
    HWND dialog = nullptr;
    for (int tries = 0; tries < 200 && dialog == nullptr; ++tries) {
      ::Sleep(50);
      dialog = ::FindWindowW(L"#32770", L"Converti un PDF");
    }
    if (dialog == nullptr) return;
    ::SetDlgItemTextW(dialog, kFileNameBox, pdf.wstring().c_str());
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  ChooseEntry(kEntryConverti, at);
  chooser.join();
  ASSERT_TRUE(Settled());
  ASSERT_EQ(answerer.boxes().size(), before + 3);
  EXPECT_EQ(answerer.boxes()[before + 1].text,
            "Eseguire la conversione in formato TESTO ?\r\n\r\n(file : " + Utf8(pdf) + " )");
  EXPECT_EQ(answerer.boxes()[before + 2].text, "conversione  annullata dall'utente");

  // "Esci", then No: the window stays.
  answerer.Answer(IDNO);
  ChooseEntry(kEntryExit, at);
  ASSERT_EQ(answerer.boxes().size(), before + 4);
  EXPECT_EQ(answerer.boxes().back().title, "Tessik Version: (BETA) 0.0.9");
  EXPECT_EQ(answerer.boxes().back().text, QuitQuestion(TessikDeliverable()));
  EXPECT_TRUE(answerer.boxes().back().yesNo);
  EXPECT_TRUE(::IsWindowVisible(form.hwnd()));
}

// A click gives the window the keyboard; the context-menu key and Shift+F10 then open the menu
// over the middle of the picture. Screen readers name the window by its text.
TEST_F(MainWindowWin32Test, KeyboardOpensTheMenuAndTheWindowHasAName) {
  Form1& form = ShowForm(OrvaneDeliverable());
  ClickMouse(OpaquePoint(form));
  PumpFor(milliseconds(300));
  EXPECT_EQ(::GetForegroundWindow(), form.hwnd());
  EXPECT_EQ(::GetFocus(), form.hwnd());
  RECT client{};
  ::GetClientRect(form.hwnd(), &client);
  const POINT middle = ClientToScreenPoint(POINT{client.right / 2, client.bottom / 2});
  for (const WORD modifier : {WORD{0}, WORD{VK_SHIFT}}) {
    SCOPED_TRACE(modifier == 0 ? "context-menu key" : "Shift+F10");
    MenuChooser chooser(-1);
    PressKey(modifier == 0 ? VK_APPS : VK_F10, modifier);
    EXPECT_TRUE(PumpUntil([&] { return chooser.seen().shown; }, seconds(5)));
    PumpFor(milliseconds(300));
    EXPECT_EQ(chooser.seen().at.x, middle.x);
    EXPECT_EQ(chooser.seen().at.y, middle.y);
    EXPECT_EQ(chooser.seen().captions.size(), PopupMenuEntries().size());
  }

  // The system's own accessible object of the window's client area: its name is the window text
  // or the annotation, its description the annotation.
  IAccessible* accessible = nullptr;
  ASSERT_EQ(
      ::AccessibleObjectFromWindow(form.hwnd(), static_cast<DWORD>(OBJID_CLIENT),
                                   __uuidof(IAccessible), reinterpret_cast<void**>(&accessible)),
      S_OK);
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  BSTR description = nullptr;
  EXPECT_EQ(accessible->get_accName(self, &name), S_OK);
  accessible->get_accDescription(self, &description);
  const std::string nameText = name != nullptr ? FromWide(name) : "";
  const std::string descriptionText = description != nullptr ? FromWide(description) : "";
  ::SysFreeString(name);
  ::SysFreeString(description);
  accessible->Release();
  EXPECT_EQ(nameText, OrvaneDeliverable().window.accessibleName);
  if (descriptionText.empty() &&
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
    GTEST_SKIP() << "Wine's accessible objects do not read the annotation service's description";
  }
  EXPECT_EQ(descriptionText, OrvaneDeliverable().window.accessibleDescription);
}

TEST_F(MainWindowWin32Test, CloseRequestsAndTheCloseSpotAskBeforeQuitting) {
  Form1& form = ShowForm(TessikDeliverable());
  BoxAnswerer answerer;
  // The system's close command and the end of the session ask the same; No keeps the window.
  ::PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  PumpUntil([&] { return answerer.boxes().size() == 1; });
  EXPECT_EQ(::SendMessageW(form.hwnd(), WM_QUERYENDSESSION, 0, 0), FALSE);
  ASSERT_EQ(answerer.boxes().size(), 2u);
  EXPECT_EQ(answerer.boxes()[1].text, QuitQuestion(TessikDeliverable()));

  // The close spot (Label1, 11 x 11 pixels at 1005, 1065 twips): a single click does nothing, a
  // double click asks.
  const POINT spot = ClientToScreenPoint(POINT{1005 / 15 + 5, 1065 / 15 + 5});
  ClickMouse(spot);
  PumpFor(milliseconds(800));
  EXPECT_EQ(answerer.boxes().size(), 2u);
  ClickMouse(spot, false, 2);
  PumpUntil([&] { return answerer.boxes().size() == 3; });
  ASSERT_EQ(answerer.boxes().size(), 3u);
  EXPECT_EQ(answerer.boxes()[2].title, "Tessik Version: (BETA) 0.0.9");
  EXPECT_TRUE(::IsWindow(form.hwnd()));

  // Both labels carry their tips.
  std::vector<std::string> tips;
  const int count = static_cast<int>(::SendMessageW(form.toolTip(), TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.lpszText = text;
    ::SendMessageW(form.toolTip(), TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&info));
    if (text[0] != L'\0') tips.push_back(FromWide(text));
  }
  EXPECT_EQ(tips, (std::vector<std::string>{
                      "per la conversione Trascinare il file PDF all'interno dell'immagine",
                      "Chiudi il programma (doppio-click)"}));
}

TEST_F(MainWindowWin32Test, DroppedFileListIsConvertedAndOtherDataRefused) {
  Form1& form = ShowForm(TessikDeliverable());
  const std::string name = "città отчёт.pdf";
  const fs::path pdf = documents_.path() / PathFromUtf8(name);
  WritePdf(pdf, {PdfPage{{"Ciao mondo"}}});
  BoxAnswerer answerer;

  IDataObject* text = MakeDataObject({Utf8(pdf)}, true);
  EXPECT_EQ(DragAndDrop(*form.dropTarget(), *text, OpaquePoint(form)),
            static_cast<DWORD>(DROPEFFECT_NONE));
  text->Release();
  PumpFor(milliseconds(200));
  EXPECT_TRUE(answerer.boxes().empty());

  answerer.Answer(IDYES);
  answerer.Answer(IDOK);
  answerer.Answer(IDNO);
  // The drop returns before anything is asked: the drag source is released at once.
  bool inDrop = true;
  answerer.OnBox([&](HWND, SeenBox&) { EXPECT_FALSE(inDrop) << "a box inside the drop"; });
  IDataObject* files = MakeDataObject({Utf8(pdf)});
  EXPECT_EQ(DragAndDrop(*form.dropTarget(), *files, OpaquePoint(form)),
            static_cast<DWORD>(DROPEFFECT_COPY));
  inDrop = false;
  files->Release();
  ASSERT_TRUE(Settled());
  ASSERT_EQ(answerer.boxes().size(), 3u) << answerer.texts().back();
  EXPECT_EQ(answerer.boxes()[0].text,
            "Eseguire la conversione in formato TESTO ?\r\n\r\n(file : " + Utf8(pdf) + " )");
  EXPECT_EQ(answerer.boxes()[1].text, "Conversione completa");
  const std::vector<std::string> results = NamesIn(program_.path() / "output");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_NE(ReadFile(program_.path() / "output" / PathFromUtf8(results[0])).find("Ciao mondo"),
            std::string::npos);
}

TEST_F(MainWindowWin32Test, CancellationBoxIsCentredOnTheWindow) {
  Form1& form = ShowForm(OrvaneDeliverable(), POINT{150, 600});
  const fs::path pdf = documents_.path() / "annullato.pdf";
  WritePdf(pdf, {PdfPage{{"Ciao"}}});
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT owner{};
  ::GetWindowRect(form.hwnd(), &owner);
  BoxAnswerer answerer;
  answerer.Answer(IDNO);
  std::optional<ScreenPoint> expected;
  answerer.OnBox([&](HWND, SeenBox& seen) {
    if (seen.text != OrvaneDeliverable().cancellationMessage) return;
    expected = ComputeBoxPosition(
        {seen.rect.left, seen.rect.top, seen.rect.right, seen.rect.bottom},
        {owner.left, owner.top, owner.right, owner.bottom},
        {work.left, work.top, work.right, work.bottom}, PlacementMode::kCenterOnOwner);
  });
  IDataObject* files = MakeDataObject({Utf8(pdf)});
  DragAndDrop(*form.dropTarget(), *files, OpaquePoint(form));
  files->Release();
  ASSERT_TRUE(Settled());
  ASSERT_EQ(answerer.boxes().size(), 2u);
  const SeenBox& cancelled = answerer.boxes()[1];
  EXPECT_EQ(cancelled.title, "");
  EXPECT_EQ(cancelled.owner, form.hwnd());
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(cancelled.rect.left, expected->x);
  EXPECT_EQ(cancelled.rect.top, expected->y);
}

// The pixels along the middle row of `rect` (client pixels of `window`) as the screen shows them.
std::vector<std::int32_t> ScreenRow(HWND window, const RECT& rect) {
  std::vector<std::int32_t> row;
  for (int x = rect.left; x < rect.right; ++x) {
    POINT at{x, (rect.top + rect.bottom) / 2};
    ::ClientToScreen(window, &at);
    row.push_back(ScreenPixel(at));
  }
  return row;
}

// While the converter works the window is served as ever: it shows the busy pointer and its
// progress, moves with the mouse and opens its menu, whose "Interrompi conversione" stops the
// run.
TEST_F(MainWindowWin32Test, WindowLivesWhileTheConverterWorksAndStopsOnRequest) {
  const SearchPathScope slow(SearchPathWith(BesideTests("slow-converter")));
  Form1& form = ShowForm(OrvaneDeliverable(), POINT{300, 200});
  const POINT grip = OpaquePoint(form);
  const fs::path pdf = documents_.path() / "lungo.pdf";
  WritePdf(pdf, NumberedPages(300));
  BoxAnswerer answerer;
  answerer.Answer(IDYES);
  IDataObject* files = MakeDataObject({Utf8(pdf)});
  EXPECT_EQ(DragAndDrop(*form.dropTarget(), *files, grip), static_cast<DWORD>(DROPEFFECT_COPY));
  files->Release();
  ASSERT_TRUE(PumpUntil([&] { return form.workflow().Progress().pagesDone >= 3; }, seconds(20)));

  // The hourglass over the droplet.
  EXPECT_TRUE(form.desktop().ShowsBusyPointer());
  MoveMouse(grip);
  PumpFor(milliseconds(200));
  EXPECT_EQ(::GetCursor(), SystemCursor(IDC_WAIT));

  // The bar shows on the picture, and moves on.
  const RECT bar = form.progressBarRect();
  PumpFor(milliseconds(100));
  const std::vector<std::int32_t> shown = ScreenRow(form.hwnd(), bar);
  EXPECT_EQ(shown.front(), 0x000000) << "the bar's frame";
  PumpFor(milliseconds(700));
  EXPECT_NE(ScreenRow(form.hwnd(), bar), shown) << "the progress did not move on";

  // The window moves with the mouse, by the middle button as by the left one.
  POINT moved = grip;
  for (const DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_MIDDLEDOWN}) {
    SCOPED_TRACE(button);
    RECT before{};
    ::GetWindowRect(form.hwnd(), &before);
    std::thread mouse = DragMouseInSteps(moved, POINT{8, 6}, button);
    PumpFor(milliseconds(800));
    mouse.join();
    PumpFor(milliseconds(100));
    RECT after{};
    ::GetWindowRect(form.hwnd(), &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 30);
    moved = POINT{moved.x + 40, moved.y + 30};
  }

  const MenuChooser::Seen menu = ChooseEntry(kEntryInterrompi, moved);
  EXPECT_TRUE(menu.enabled[kEntryInterrompi]);
  EXPECT_FALSE(menu.enabled[kEntryConverti]) << "a drop would be refused as well";
  ASSERT_TRUE(Settled());
  ASSERT_EQ(answerer.boxes().size(), 2u);
  EXPECT_EQ(answerer.boxes()[1].text, "Conversione interrotta");
  EXPECT_FALSE(form.desktop().ShowsBusyPointer());
  EXPECT_FALSE(form.workflow().Progress().running);
  for (const std::string& name : NamesIn(program_.path())) {
    EXPECT_FALSE(name.starts_with("lungo")) << name << " was left behind";
  }
}

}  // namespace
}  // namespace droplet::testing
