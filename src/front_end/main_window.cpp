#include "front_end/main_window.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "common/failure.h"
#include "common/message_box.h"
#include "common/platform.h"
#include "files/file_operations.h"
#include "files/file_system.h"
#include "files/program_search.h"

namespace droplet {

namespace {

const char kKindFile[] = "file";
const char kKindFolder[] = "cartella";
const char kOopsTitle[] = "Ops :-( ";

// How many of the converter's last lines the missing-results box shows.
constexpr size_t kDiagnosisLines = 5;

bool IsFolder(const std::string& path) {
  DirEntry entry;
  return QueryEntry(path, entry) && entry.isDirectory;
}

// The folder part of `path`: everything before its last separator.
std::string ParentOf(const std::string& path) {
  const size_t at = path.rfind(kNativePathStyle.separator);
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

// Where `path` lies inside `folder`, at any depth, relative to it; empty when outside. Parent
// folders are compared as entries, so links and different spellings still match.
std::string PathInsideFolder(const std::string& path, const std::string& folder) {
  for (std::string parent = ParentOf(path); !parent.empty(); parent = ParentOf(parent)) {
    if (SameEntry(parent, folder)) return path.substr(parent.size() + 1);
  }
  return {};
}

// A failure of a file-system call as the run reports it.
void Check(long error, const char* source) {
  if (error != 0) throw OperationFailure({error, DescribeSystemError(error), source});
}

// Creates `folder` and whatever of its parents is missing.
void CreateFolders(const std::string& folder) {
  DirEntry entry;
  if (folder.empty() || QueryEntry(folder, entry)) return;
  CreateFolders(ParentOf(folder));
  Check(CreateOneFolder(folder), "CopySingleFile");
}

// The page number as the HTML converter writes it into its background images' names: at
// least three digits.
std::string PageNumber(int page) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", page);
  return digits;
}

// The stem and the page of a page the HTML converter writes, NAME-N.html, N from 1 written
// without leading zeros; nothing for any other name.
std::optional<std::pair<std::string, int>> PageFileName(const std::string& name) {
  const std::string extension = ".html";
  if (name.size() <= extension.size() ||
      name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
    return std::nullopt;
  }
  const std::string_view rest(name.data(), name.size() - extension.size());
  const size_t dash = rest.rfind('-');
  if (dash == std::string_view::npos || dash + 1 == rest.size() || rest[dash + 1] == '0') {
    return std::nullopt;
  }
  int page = 0;
  const char* digits = rest.data() + dash + 1;
  const auto [end, error] = std::from_chars(digits, rest.data() + rest.size(), page);
  if (error != std::errc() || end != rest.data() + rest.size() || page < 1) return std::nullopt;
  return std::pair{std::string(rest.substr(0, dash)), page};
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// The last non-empty lines of `output`, at most `count`, leaving out the converter's own
// "Page-N" progress lines.
std::vector<std::string> LastLines(const std::string& output, size_t count) {
  std::vector<std::string> lines;
  size_t end = output.size();
  while (end > 0 && lines.size() < count) {
    const size_t start = output.find_last_of("\r\n", end - 1);
    const size_t first = start == std::string::npos ? 0 : start + 1;
    std::string line = output.substr(first, end - first);
    end = start == std::string::npos ? 0 : start;
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    PageLineCounter pageLine;
    if (pageLine.Feed(line + "\n") > 0) continue;
    lines.insert(lines.begin(), std::move(line));
  }
  return lines;
}

// The progress counts the pages the run converts: with a range, the converter's "Page-N" lines
// name pages of the whole document and pdfinfo counts all of them.
int PagesDoneOfRange(const std::optional<PageRange>& range, int highestPage) {
  return range ? std::max(0, highestPage - range->first + 1) : highestPage;
}
int PageCountOfRange(const std::optional<PageRange>& range, int documentPages) {
  return range ? std::max(0, std::min(range->last, documentPages) - range->first + 1)
               : documentPages;
}

}  // namespace

MainWindowWorkflow::MainWindowWorkflow(const Deliverable& deliverable, DesktopServices& desktop,
                                       DocumentOpener& opener, WorkingFolders folders)
    : deliverable_(deliverable),
      desktop_(desktop),
      opener_(opener),
      workFolder_(std::move(folders.work)),
      programFolder_(std::move(folders.program)),
      settingsFile_(SettingsFileIn(folders.settings, deliverable)),
      objDOS_(desktop, deliverable.runnerTexts) {
  objDOS_.AddReceiveOutputsListener([this](std::string& chunk) {
    outputText_ += chunk;
    if (deliverable_.printsPageLines && Running()) {
      RunProgress next = progress_;
      next.pagesDone = PagesDoneOfRange(settings_.pages, pageLines_.Feed(chunk));
      SetProgress(next);
    }
  });
}

MainWindowWorkflow::~MainWindowWorkflow() {
  // The converter must not outlive its window, nor its watcher post to a window that is gone.
  StopConverterAndWait();
}

std::string MainWindowWorkflow::Caption() const {
  return WindowCaption(deliverable_);
}

std::string MainWindowWorkflow::OutputFolder() const {
  return workFolder_ + Sep() + "output";
}

std::string MainWindowWorkflow::ScratchPath(const std::string& name) const {
  return workFolder_ + Sep() + name;
}

bool MainWindowWorkflow::EntryExists(const std::string& path) const {
  DirEntry entry;
  return QueryEntry(path, entry);
}

void MainWindowWorkflow::SetProgressListener(std::function<void(const RunProgress&)> listener) {
  progressListener_ = std::move(listener);
}

void MainWindowWorkflow::SetProgress(const RunProgress& progress) {
  if (progress == progress_) return;
  progress_ = progress;
  if (progressListener_) progressListener_(progress_);
}

unsigned MainWindowWorkflow::FormOLEDragOver(const DragData& data, unsigned allowedEffects) {
  // The fields belong to the drop being handled until its run has ended.
  if (busy_) return kDropEffectNone;
  pdfPath_.clear();
  if (!data.offersFileList) {
    dropKind_ = kKindFolder;
    return kDropEffectNone;
  }
  const unsigned effect = allowedEffects & kDropEffectCopy;
  dropKind_ = kKindFile;
  if (!data.paths.empty() && IsFolder(data.paths.front())) dropKind_ = kKindFolder;
  return effect;
}

void MainWindowWorkflow::FormOLEDragDrop(const DragData& data) {
  if (busy_) return;
  waitingDrops_.emplace_back(data, dropKind_);
  HandleNextDrop();
}

void MainWindowWorkflow::HandleFile(const std::string& path) {
  const DragData data{true, {path}};
  if (busy_) {
    // Nobody is there to be refused: the file waits its turn, classified as its drag-over would.
    waitingDrops_.emplace_back(data, IsFolder(path) ? kKindFolder : kKindFile);
    return;
  }
  FormOLEDragOver(data, kDropEffectCopy);
  FormOLEDragDrop(data);
}

void MainWindowWorkflow::HandleNextDrop() {
  if (busy_ || waitingDrops_.empty()) return;
  busy_ = true;
  auto [data, kind] = std::move(waitingDrops_.front());
  waitingDrops_.pop_front();
  // The drag source waits until the drop handler returns: everything that can take time or show
  // a box comes after, from the event loop.
  desktop_.PostToWindowThread(posted_.Wrap([this, data = std::move(data), kind = std::move(kind)] {
    // A drop that waited finds the fields as the drop before it left them: they start afresh, as
    // its drag-over would have left them.
    dropKind_ = kind;
    pdfPath_.clear();
    Trapped([&] { HandleDrop(data, kind); });
  }));
}

template <typename Step>
void MainWindowWorkflow::Trapped(Step&& step) {
  try {
    std::forward<Step>(step)();
  } catch (const OperationFailure& failure) {
    ReportFailure(failure.failure());
    EndDrop();
  } catch (const std::exception& failure) {
    ReportFailure({0, failure.what(), deliverable_.shortName});
    EndDrop();
  }
}

void MainWindowWorkflow::EndDrop() {
  if (pointerBusy_) {
    desktop_.SetBusyPointer(false);
    pointerBusy_ = false;
  }
  busy_ = false;
  // From the event loop, once the handler that ended this drop has returned.
  if (!waitingDrops_.empty())
    desktop_.PostToWindowThread(posted_.Wrap([this] { HandleNextDrop(); }));
}

void MainWindowWorkflow::HandleDrop(const DragData& data, const std::string& dropKind) {
  if (dropKind == kKindFolder) {
    desktop_.ShowMessageBox("..Ops... Prossima .. l'implementazione ;-) ", kMbIconExclamation,
                            kOopsTitle);
  } else if (dropKind == kKindFile && !data.paths.empty()) {
    HandleDroppedFile(data.paths.front());
  }
  // A drop that started a run ends with it.
  if (!Running()) EndDrop();
}

void MainWindowWorkflow::HandleDroppedFile(const std::string& path) {
  const std::string name = GetLastPathPart(path);
  pdfPath_ = GetShortFileName(path);
  std::string extension = GetExtension(pdfPath_);
  for (char& c : extension) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (extension != "PDF") {
    desktop_.ShowMessageBox("Non è un file PDF", kMbIconExclamation, kOopsTitle);
    return;
  }

  // A PDF that already lies in the program folder is the user's own file: copying it onto
  // itself could only damage it, and the run must not delete it with the scratch copies.
  const std::string copyPath = ScratchPath(name);
  keepPdfName_.clear();
  restorePdfPath_.clear();
  copyMade_ = false;
  if (SameEntry(path, copyPath)) {
    keepPdfName_ = name;
  } else {
    // A PDF taken from an output folder that the run empties would be gone with it: the run
    // puts it back where it lay.
    if (deliverable_.emptiesOutputBeforeRun) {
      restorePdfPath_ = PathInsideFolder(path, OutputFolder());
    }
    copyMade_ = CopySingleFile(pdfPath_, copyPath, desktop_);
    // The copy is the run's own: a read-only original must not give a copy that no later run
    // can delete or replace.
    if (copyMade_) SetNormalAttributes(copyPath);
  }
  pdfPath_ = GetShortFileName(copyPath);

  // The options dialog's choices as the settings file holds them now, edited by hand or not.
  // A range the run cannot follow is said before the user confirms.
  IniSettingsStore settingsFile(settingsFile_, desktop_);
  settings_ = RunSettingsFrom(deliverable_.optionsForm, LoadOptionsForm(settingsFile));
  std::string question = deliverable_.confirmationQuestion + "\r\n\r\n(file : " + path + " )";
  if (!settings_.unusableRange.empty()) question += "\r\n\r\n" + settings_.unusableRange;

  const int answer =
      desktop_.ShowMessageBox(question, kMbYesNo | kMbIconInformation | kMbSystemModal, ";-)");
  if (answer != kIdYes) {
    desktop_.ShowMessageBox(deliverable_.cancellationMessage, kMbSystemModal, "",
                            BoxPlacement::kCenterOnOwner);
    return;
  }

  outputText_.clear();
  commandLine_ = BuildCommandLine(deliverable_, pdfPath_, programFolder_, settings_);
  CmdExecuteClick();
}

void MainWindowWorkflow::CmdExecuteClick() {
  if (Running()) return;
  busy_ = true;
  Trapped([this] {
    if (deliverable_.emptiesOutputBeforeRun) EmptyOutputFolder();
    namesBeforeRun_.clear();
    for (const DirEntry& entry : FindEntries(ScratchPath("*"), false).entries) {
      namesBeforeRun_.insert(entry.name);
    }
    desktop_.SetBusyPointer(true);
    pointerBusy_ = true;
    StartProgress();
    objDOS_.SetCommandLine(commandLine_);
    objDOS_.StartCommand([this](const DOSOutputs::RunEnd& end) { ConverterEnded(end); });
  });
}

void MainWindowWorkflow::StartProgress() {
  pageLines_ = PageLineCounter();
  SetProgress({true, 0, 0});
  ProgressWatcher::Plan plan;
  plan.pageCountCommand = PageCountCommandLine(pdfPath_, programFolder_);
  if (!deliverable_.printsPageLines) {
    plan.resultFile = ScratchPath(GetFileName(pdfPath_, false) + deliverable_.resultExtension);
  }
  watcher_ = std::make_unique<ProgressWatcher>(
      std::move(plan),
      [this, range = settings_.pages](int pageCount) {
        const int count = PageCountOfRange(range, pageCount);
        if (count > 0) PostProgress(&RunProgress::pageCount, count);
      },
      [this](int pagesDone) { PostProgress(&RunProgress::pagesDone, pagesDone); });
}

void MainWindowWorkflow::PostProgress(int RunProgress::*field, int value) {
  // The watcher's findings reach the window's thread like the converter's output, and count
  // only while the run lasts.
  desktop_.PostToWindowThread(posted_.Wrap([this, field, value] {
    if (!Running()) return;
    RunProgress next = progress_;
    next.*field = value;
    SetProgress(next);
  }));
}

void MainWindowWorkflow::StopConverterAndWait() {
  objDOS_.StopCommand();
  if (watcher_) watcher_->Stop();
  objDOS_.WaitForChild();
  watcher_.reset();
}

void MainWindowWorkflow::ConverterEnded(const DOSOutputs::RunEnd& end) {
  watcher_.reset();
  if (pointerBusy_) {
    desktop_.SetBusyPointer(false);
    pointerBusy_ = false;
  }
  SetProgress({});
  if (end.stopped) {
    Trapped([this] {
      RemovePartialResults();
      desktop_.ShowMessageBox("Conversione interrotta", kMbIconInformation, kApplicationTitle);
    });
  } else {
    Trapped([this] { CompleteRun(); });
  }
  EndDrop();
}

void MainWindowWorkflow::CompleteRun() {
  const std::vector<std::string> pageImages = PageImageNames();
  CopyOutputFiles(pageImages);

  RemoveOwnScratchFiles();
  const std::string scratch = workFolder_ + Sep();
  EliminaFileConAsterisco(scratch, deliverable_.resultPattern);
  for (const std::string& image : pageImages) {
    Check(DeleteOneFile(scratch + image), "CopyOutputFiles");
  }
  EliminaFileConAsterisco(scratch, "*.pdf", keepPdfName_);

  desktop_.ShowMessageBox(CompletionText(), kMbOk, kApplicationTitle);
  if (settings_.openOutputFolder) {
    OpenDocument(OutputFolder(), "", programFolder_, opener_, desktop_);
  }
  if (settings_.openResultWithoutAsking ||
      desktop_.ShowMessageBox(deliverable_.openResultQuestion, kMbYesNo | kMbIconInformation,
                              kApplicationTitle) == kIdYes) {
    OpenDocument(ResultPath(), "", programFolder_, opener_, desktop_);
  }
}

std::string MainWindowWorkflow::CompletionText() const {
  const std::string done = "Conversione completa";
  if (!settings_.pages) return done;
  const PageRange& asked = *settings_.pages;
  // The converter stops at the document's last page; its "Page-N" lines tell where it stopped.
  int last = asked.last;
  if (deliverable_.printsPageLines && pageLines_.pages() >= asked.first) {
    last = std::min(last, pageLines_.pages());
  }
  const std::string first = std::to_string(asked.first);
  std::string pages = last == asked.first
                          ? "Convertita la pagina " + first
                          : "Convertite le pagine da " + first + " a " + std::to_string(last);
  if (last < asked.last) {
    pages += ": il documento finisce a pagina " + std::to_string(last) + ".";
  } else {
    pages += ".";
  }
  return done + "\r\n\r\n" + pages;
}

void MainWindowWorkflow::CopyOutputFiles(const std::vector<std::string>& pageImages) {
  const std::string scratch = workFolder_ + Sep();
  const std::string output = OutputFolder() + Sep();
  CopiaFileCreaCartella(scratch, output, deliverable_.resultPattern, desktop_,
                        ConverterDiagnosis());
  for (const std::string& image : pageImages) {
    Check(CopyFileReplacing(scratch + image, output + image), "CopyOutputFiles");
  }
}

std::string MainWindowWorkflow::ConverterDiagnosis() const {
  std::string diagnosis;
  if (settings_.pages) {
    diagnosis = "Le Opzioni chiedono le pagine da " + std::to_string(settings_.pages->first) +
                " a " + std::to_string(settings_.pages->last) + ".";
  }
  const ChildExit& exit = objDOS_.LastExit();
  if (exit.known) {
    if (!diagnosis.empty()) diagnosis += "\r\n";
    diagnosis +=
        exit.signalled
            ? "Il convertitore è stato terminato dal segnale " + std::to_string(exit.code) + "."
            : "Il convertitore è terminato con il codice " + std::to_string(exit.code) + ".";
  }
  for (const std::string& line : LastLines(outputText_, kDiagnosisLines)) {
    if (!diagnosis.empty()) diagnosis += "\r\n";
    diagnosis += line;
  }
  return diagnosis;
}

std::string MainWindowWorkflow::ResultPath() const {
  const std::string output = OutputFolder() + Sep();
  const std::string named = output + GetFileName(pdfPath_, false) + deliverable_.resultExtension;
  // The converters drop only ".pdf" or ".PDF" from the name; an extension spelled otherwise
  // (".PdF") stays in the result's name.
  const std::string whole = output + GetFileName(pdfPath_, true) + deliverable_.resultExtension;
  if (!EntryExists(named) && EntryExists(whole)) return whole;
  return named;
}

void MainWindowWorkflow::RemoveOwnScratchFiles() const {
  std::set<std::string> names;
  if (copyMade_) names.insert(GetLastPathPart(pdfPath_));
  // The converter names its results after the copy without ".pdf", or after its whole name
  // when the extension is spelled otherwise.
  for (const std::string& stem : {GetFileName(pdfPath_, false), GetFileName(pdfPath_, true)}) {
    names.insert(stem + deliverable_.resultExtension);
    if (!deliverable_.writesPageImages) continue;
    names.insert(stem + "_ind.html");
    for (int page = settings_.pages ? settings_.pages->first : 1;
         EntryExists(ScratchPath(stem + "-" + std::to_string(page) + ".html")); ++page) {
      names.insert(stem + "-" + std::to_string(page) + ".html");
    }
  }
  for (const std::string& name : names) {
    if (name.empty() || !EntryExists(ScratchPath(name))) continue;
    Check(ForceDeleteFile(ScratchPath(name)), "EliminaFileConAsterisco");
  }
}

void MainWindowWorkflow::RemovePartialResults() const {
  const std::string stems[] = {GetFileName(pdfPath_, false), GetFileName(pdfPath_, true)};
  const std::string copy = copyMade_ ? GetLastPathPart(pdfPath_) : std::string();
  for (const DirEntry& entry : FindEntries(ScratchPath("*"), false).entries) {
    if (entry.isDirectory || namesBeforeRun_.count(entry.name) != 0) continue;
    const bool result = std::any_of(std::begin(stems), std::end(stems), [&](const auto& stem) {
      return !stem.empty() && StartsWith(entry.name, stem);
    });
    if (result) Check(ForceDeleteFile(ScratchPath(entry.name)), "EliminaFileConAsterisco");
  }
  if (!copy.empty() && EntryExists(ScratchPath(copy))) {
    Check(ForceDeleteFile(ScratchPath(copy)), "EliminaFileConAsterisco");
  }
}

void MainWindowWorkflow::EmptyOutputFolder() {
  if (restorePdfPath_.empty()) {
    CleanAllPath(OutputFolder());
    return;
  }
  // The dropped PDF's only other copy is the one this drop made in the program folder. Without
  // it (the copy failed) the folder stays as it is rather than lose the user's file.
  if (!copyMade_) return;
  try {
    CleanAllPath(OutputFolder());
  } catch (...) {
    // Whatever the emptying got to, the user's PDF is back before the failure is reported.
    RestoreDroppedPdf();
    throw;
  }
  RestoreDroppedPdf();
}

void MainWindowWorkflow::RestoreDroppedPdf() const {
  const std::string original = OutputFolder() + Sep() + restorePdfPath_;
  if (EntryExists(original)) return;
  CreateFolders(ParentOf(original));
  Check(CopyFileReplacing(ScratchPath(GetLastPathPart(Sep() + restorePdfPath_)), original),
        "CopySingleFile");
}

std::vector<std::string> MainWindowWorkflow::PageImageNames() const {
  if (!deliverable_.writesPageImages) return {};
  // Names are compared exactly rather than through a search pattern: a PDF's name may itself
  // hold wildcard characters.
  std::set<std::string> files;
  for (const DirEntry& entry : FindEntries(ScratchPath("*")).entries) {
    if (!entry.isDirectory) files.insert(entry.name);
  }
  // The converter names each document's pages NAME-1.html, NAME-2.html, ... (from the first
  // page of a range on) and their backgrounds NAME001.png, ...; pages of an earlier run whose
  // results could not be moved are still here and move with theirs.
  std::set<std::string> images;  // a set: two stems can name one image (a + 1001, a1 + 001)
  for (const std::string& file : files) {
    const std::optional<std::pair<std::string, int>> page = PageFileName(file);
    if (!page) continue;
    for (const char* extension : {".png", ".jpg"}) {
      const std::string image = page->first + PageNumber(page->second) + extension;
      if (files.count(image) != 0) images.insert(image);
    }
  }
  return {images.begin(), images.end()};
}

void MainWindowWorkflow::ReportFailure(const Failure& failure) {
  desktop_.ShowMessageBox(FormatFailureReport(failure), kMbOk, kApplicationTitle);
}

void MainWindowWorkflow::MnuInfoClick() {
  desktop_.ShowMessageBox(deliverable_.aboutText, kMbIconInformation, kApplicationTitle);
}

void MainWindowWorkflow::MnuOpenPathClick() {
  OpenDocument(OutputFolder(), "", programFolder_, opener_, desktop_);
}

void MainWindowWorkflow::MnuSvuotaClick() {
  try {
    CleanAllPath(OutputFolder());
  } catch (const OperationFailure& failure) {
    // What was deleted stays deleted; the rest is reported instead of a false success.
    ReportFailure(failure.failure());
    return;
  }
  desktop_.ShowMessageBox("Cache svuotata", kMbOk, kApplicationTitle);
}

void MainWindowWorkflow::MnuInterrompiClick() {
  if (!Running()) return;
  // The run ends as usual, through ConverterEnded, once everything the converter started is
  // gone; only then is its partial work removed.
  objDOS_.StopCommand();
  if (watcher_) watcher_->Stop();
}

bool MainWindowWorkflow::FormQueryUnload() {
  if (desktop_.ShowMessageBox(QuitQuestion(deliverable_), kMbYesNo, QuitTitle(deliverable_)) ==
      kIdNo) {
    return true;
  }
  if (Running()) {
    StopConverterAndWait();
    try {
      RemovePartialResults();
      if (deliverable_.emptiesOutputBeforeRun && !restorePdfPath_.empty()) RestoreDroppedPdf();
    } catch (const OperationFailure&) {
      // The program ends as asked; what could not be removed is left for the next run.
    }
  }
  desktop_.EndProgram();
  return false;  // not reached: the program has ended
}

void MainWindowWorkflow::CheckConverter() {
  const std::string name = ConverterName(deliverable_);
  const ProgramSearch search = FindProgram(name, programFolder_);
  if (!search.found.empty()) return;
  std::string places;
  for (const std::string& folder : search.searched) places += "\r\n" + folder;
  desktop_.ShowMessageBox("Il convertitore " + name +
                              " non è stato trovato.\r\n\r\nCercato in:" + places +
                              "\r\n\r\nInstallarlo o metterlo accanto al programma, poi "
                              "trascinare di nuovo il PDF.",
                          kMbIconExclamation, kApplicationTitle);
}

}  // namespace droplet
