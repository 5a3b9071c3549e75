#include "front_end/main_window.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "common/failure.h"
#include "common/message_box.h"
#include "common/platform.h"
#include "files/entry_stamps.h"
#include "files/file_operations.h"
#include "files/file_system.h"
#include "files/program_search.h"
#include "files/wildcard.h"

namespace droplet {

namespace {

const char kKindFile[] = "file";
const char kKindFolder[] = "cartella";
const char kOopsTitle[] = "Ops :-( ";

// How many of the converter's last lines the missing-results box shows.
constexpr size_t kDiagnosisLines = 5;
// How much of the converter's output the run keeps: its last lines are all it shows.
constexpr size_t kOutputTextLimit = 64 * 1024;
// How many names "NAME (N).pdf" the scratch copy tries before it gives up.
constexpr int kCopyNameAttempts = 1000;

// Appends `chunk` to `text`, keeping only about the last `limit` bytes, cut at a line start.
void AppendBounded(std::string& text, const std::string& chunk, size_t limit) {
  text += chunk;
  if (text.size() <= 2 * limit) return;
  size_t cut = text.size() - limit;
  const size_t lineStart = text.find('\n', cut);
  if (lineStart != std::string::npos) cut = lineStart + 1;
  text.erase(0, cut);
}

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
    AppendBounded(outputText_, chunk, kOutputTextLimit);
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

  restorePdfPath_.clear();
  // A PDF taken from an output folder that the run empties would be gone with it: the run
  // puts it back where it lay.
  if (deliverable_.emptiesOutputBeforeRun) {
    restorePdfPath_ = PathInsideFolder(path, OutputFolder());
  }
  // Without a copy the run goes on as it always has and ends in the missing-results message:
  // the converter is given a name under which nothing lies.
  const std::string copyPath = MakeScratchCopy(pdfPath_, name);
  pdfPath_ = copyMade_ ? GetShortFileName(copyPath) : copyPath;

  // The options dialog's choices as the settings file holds them now, edited by hand or not.
  // A range the run cannot follow is said before the user confirms.
  IniSettingsStore settingsFile(settingsFile_, desktop_);
  settings_ = RunSettingsFrom(deliverable_.optionsForm, LoadOptionsForm(settingsFile));
  std::string question = deliverable_.confirmationQuestion + "\r\n\r\n(file : " + path + " )";
  if (!settings_.unusableRange.empty()) question += "\r\n\r\n" + settings_.unusableRange;

  const int answer =
      desktop_.ShowMessageBox(question, kMbYesNo | kMbIconInformation | kMbSystemModal, ";-)");
  if (answer != kIdYes) {
    // Nothing of a cancelled drop stays behind: no later run would take the copy away.
    RemoveRunFiles({});
    desktop_.ShowMessageBox(deliverable_.cancellationMessage, kMbSystemModal, "",
                            BoxPlacement::kCenterOnOwner);
    return;
  }

  outputText_.clear();
  commandLine_ = BuildCommandLine(deliverable_, pdfPath_, programFolder_, settings_);
  CmdExecuteClick();
}

std::string MainWindowWorkflow::MakeScratchCopy(const std::string& source,
                                                const std::string& name) {
  copyMade_ = false;
  FolderStamps present;
  StampFolder(workFolder_, present);
  // Whether the converter, given `candidate`, would write over an entry that lies here already.
  const auto meetsAnEntry = [&](const std::string& candidate) {
    return std::any_of(present.begin(), present.end(), [&](const auto& entry) {
      return deliverable_.outputs->IsOutput(candidate, entry.first);
    });
  };
  // The copy takes a name of its own: a file of the user's that lies here (the PDF itself, when
  // it was dropped from this folder, or anything the converter would write over) stays as it is.
  const std::string stem = GetFileName(name, false);
  const std::string extension = name.substr(stem.size());
  for (int attempt = 1; attempt <= kCopyNameAttempts; ++attempt) {
    const std::string candidate =
        attempt == 1 ? name : stem + " (" + std::to_string(attempt) + ")" + extension;
    if (present.count(candidate) != 0 || EntryExists(ScratchPath(candidate))) continue;
    if (meetsAnEntry(candidate)) continue;
    const std::string copyPath = ScratchPath(candidate);
    copyMade_ = CopySingleFile(source, copyPath, desktop_);
    if (!copyMade_) return copyPath;
    // The copy is the run's own: a read-only original must not give a copy that no later run
    // can delete or replace.
    SetNormalAttributes(copyPath);
    // The converter writes its results after the short name, which the copy has only now.
    const std::string shortName = GetLastPathPart(GetShortFileName(copyPath));
    if (shortName.empty() || shortName == candidate || !meetsAnEntry(shortName)) return copyPath;
    Check(ForceDeleteFile(copyPath), "CopySingleFile");
    copyMade_ = false;
  }
  desktop_.ShowMessageBox("Errore durante la copia del file", kMbOk, kApplicationTitle);
  return {};
}

void MainWindowWorkflow::CmdExecuteClick() {
  if (Running()) return;
  busy_ = true;
  Trapped([this] {
    if (deliverable_.emptiesOutputBeforeRun) EmptyOutputFolder();
    Check(StampFolder(workFolder_, stampsBeforeRun_), "cmdExecute_Click");
    desktop_.SetBusyPointer(true);
    pointerBusy_ = true;
    StartProgress();
    objDOS_.SetCommandLine(commandLine_);
    objDOS_.StartCommand([this](const DOSOutputs::RunEnd& end) {
      // The steps after the converter show boxes: never on top of a box that is open.
      desktop_.RunWhenNoBoxOpen(posted_.Wrap([this, end] { ConverterEnded(end); }));
    });
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
  runEnd_ = end;
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
  const std::vector<std::string> results = WrittenOutputs();
  const bool anyResult = std::any_of(results.begin(), results.end(), [&](const std::string& n) {
    return MatchesWildcard(deliverable_.resultPattern, n);
  });
  if (!anyResult) {
    // Nothing of this run is worth keeping; what it wrote goes with the copy before the end.
    const std::string diagnosis = ConverterDiagnosis();
    RemoveRunFiles(results);
    ShowMissingResults(deliverable_.resultPattern, desktop_, diagnosis);
    return;
  }
  CopyOutputFiles(results);
  RemoveRunFiles(results);

  if (ConverterFailed()) {
    // The results are kept, but they may well be incomplete: the user is told so, not that
    // the conversion is complete.
    desktop_.ShowMessageBox(
        "Il convertitore ha segnalato un errore: i risultati potrebbero essere "
        "incompleti.\r\n\r\n" +
            ConverterDiagnosis(),
        kMbIconExclamation, kApplicationTitle);
  } else {
    desktop_.ShowMessageBox(CompletionText(), kMbOk, kApplicationTitle);
  }
  if (settings_.openOutputFolder) {
    OpenDocument(OutputFolder(), "", programFolder_, opener_, desktop_);
  }
  if (settings_.openResultWithoutAsking ||
      desktop_.ShowMessageBox(deliverable_.openResultQuestion, kMbYesNo | kMbIconInformation,
                              kApplicationTitle) == kIdYes) {
    OpenDocument(ResultPath(), "", programFolder_, opener_, desktop_);
  }
}

bool MainWindowWorkflow::ConverterFailed() const {
  const ChildExit& exit = runEnd_.exit;
  return !runEnd_.started || (exit.known && (exit.signalled || exit.code != 0));
}

std::vector<std::string> MainWindowWorkflow::WrittenOutputs() const {
  FolderStamps now;
  Check(StampFolder(workFolder_, now), "CopyOutputFiles");
  const std::string input = ConverterInputName();
  std::vector<std::string> outputs;
  for (const std::string& name : WrittenSince(stampsBeforeRun_, now)) {
    if (name != input && deliverable_.outputs->IsOutput(input, name)) outputs.push_back(name);
  }
  return outputs;
}

std::string MainWindowWorkflow::ConverterInputName() const {
  return GetLastPathPart(pdfPath_);
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

void MainWindowWorkflow::CopyOutputFiles(const std::vector<std::string>& results) {
  const std::string output = OutputFolder();
  // A link named "output" is used as it is (the user may have made it on purpose); only a
  // missing folder is made.
  if (!EntryExists(output) && !IsLink(output)) CreateFolders(output);
  // One file that cannot be copied does not hold back the others; the first failure is
  // reported once every copy was tried, and the results then stay where the converter left them.
  long firstError = 0;
  for (const std::string& name : results) {
    const long error = CopyFileReplacing(ScratchPath(name), output + Sep() + name);
    if (firstError == 0) firstError = error;
  }
  Check(firstError, "CopiaFileCreaCartella");
}

std::string MainWindowWorkflow::ConverterDiagnosis() const {
  std::string diagnosis;
  if (settings_.pages) {
    diagnosis = "Le Opzioni chiedono le pagine da " + std::to_string(settings_.pages->first) +
                " a " + std::to_string(settings_.pages->last) + ".";
  }
  const ChildExit& exit = runEnd_.exit;
  std::string status;
  if (!runEnd_.started) {
    status = "Il convertitore " + ConverterName(deliverable_) + " non è partito.";
  } else if (exit.known && !exit.signalled && exit.code == InterpreterNotFoundExit()) {
    status = "Il convertitore " + ConverterName(deliverable_) +
             " non è partito: l'interprete dei comandi non lo ha trovato (codice " +
             std::to_string(exit.code) + ").";
  } else if (exit.known) {
    status =
        exit.signalled
            ? "Il convertitore è stato terminato dal segnale " + std::to_string(exit.code) + "."
            : "Il convertitore è terminato con il codice " + std::to_string(exit.code) + ".";
  }
  if (!status.empty()) {
    if (!diagnosis.empty()) diagnosis += "\r\n";
    diagnosis += status;
  }
  for (const std::string& line : LastLines(outputText_, kDiagnosisLines)) {
    if (!diagnosis.empty()) diagnosis += "\r\n";
    diagnosis += line;
  }
  return diagnosis;
}

std::string MainWindowWorkflow::ResultPath() const {
  return OutputFolder() + Sep() + deliverable_.outputs->ResultToOpen(ConverterInputName());
}

void MainWindowWorkflow::RemoveRunFiles(const std::vector<std::string>& outputs) const {
  // By name and whatever their attributes: a read-only or hidden leftover of the run's own
  // would stop every later run.
  for (const std::string& name : outputs) {
    if (EntryExists(ScratchPath(name))) {
      Check(ForceDeleteFile(ScratchPath(name)), "EliminaFileConAsterisco");
    }
  }
  const std::string copy = ScratchPath(ConverterInputName());
  if (copyMade_ && EntryExists(copy)) Check(ForceDeleteFile(copy), "EliminaFileConAsterisco");
}

void MainWindowWorkflow::RemovePartialResults() const {
  // Only what the converter wrote for this run's copy since it started: a file saved here
  // meanwhile under a name that merely begins like the copy's is the user's.
  RemoveRunFiles(WrittenOutputs());
}

void MainWindowWorkflow::EmptyOutputFolder() {
  if (restorePdfPath_.empty()) {
    // A linked output folder is written through but never emptied: what it points to is not
    // the program's.
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
  Check(CopyFileReplacing(pdfPath_, original), "CopySingleFile");
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
  CleanOutcome outcome = CleanOutcome::kEmptied;
  try {
    outcome = CleanAllPath(OutputFolder());
  } catch (const OperationFailure& failure) {
    // What was deleted stays deleted; the rest is reported instead of a false success.
    ReportFailure(failure.failure());
    return;
  }
  if (outcome == CleanOutcome::kFolderIsLink) {
    desktop_.ShowMessageBox(
        "La cartella output è un collegamento ad un'altra cartella: il suo contenuto non "
        "appartiene al programma e non è stato eliminato.\r\n\r\n" +
            OutputFolder(),
        kMbIconExclamation, kApplicationTitle);
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
