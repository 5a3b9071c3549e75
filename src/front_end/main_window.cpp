#include "front_end/main_window.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "common/failure.h"
#include "common/message_box.h"
#include "common/platform.h"
#include "common/text_basics.h"
#include "files/file_operations.h"
#include "files/file_system.h"
#include "files/program_search.h"
#include "front_end/batch_texts.h"

namespace droplet {

namespace {

const char kKindFile[] = "file";
const char kKindFolder[] = "cartella";
const char kOopsTitle[] = "Ops :-( ";

// How many of the converter's last lines the missing-results box shows.
constexpr size_t kDiagnosisLines = 5;
// At most this many documents of a batch convert at once: the converters are single-threaded,
// and beyond it the disk, not the processor, sets the pace.
constexpr size_t kMostParallelRuns = 4;

bool IsFolder(const std::string& path) {
  DirEntry entry;
  return QueryEntry(path, entry) && entry.isDirectory;
}

bool EntryExists(const std::string& path) {
  DirEntry entry;
  return QueryEntry(path, entry);
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

// Whether the file at `path` is a PDF by its extension, as the drop handler tells it: the
// extension of its short form, in any case.
bool IsPdf(const std::string& path) {
  return EqualIgnoringAsciiCase(GetExtension(GetShortFileName(path)), "pdf");
}

// The PDFs directly inside `folder`, in name order.
std::vector<std::string> PdfsInFolder(const std::string& folder) {
  std::vector<std::string> names;
  for (const DirEntry& entry : FindEntries(folder + Sep() + "*", false).entries) {
    if (!entry.isDirectory && IsPdf(folder + Sep() + entry.name)) names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string fa = LowerAscii(a);
    const std::string fb = LowerAscii(b);
    return fa != fb ? fa < fb : a < b;
  });
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(folder + Sep() + name);
  return paths;
}

// Why a document of a batch gave no result, or gave one the converter did not stand by.
std::string ConverterReason(const DocumentRun& run) {
  const ChildExit& exit = run.End().exit;
  std::string reason;
  if (!run.End().started) {
    reason = "il convertitore non è partito";
  } else if (exit.known && !exit.signalled && exit.code == InterpreterNotFoundExit()) {
    reason = "il convertitore non è partito: l'interprete dei comandi non lo ha trovato (codice " +
             std::to_string(exit.code) + ")";
  } else if (exit.known && exit.signalled) {
    reason = "il convertitore è stato terminato dal segnale " + std::to_string(exit.code);
  } else if (exit.known && exit.code != 0) {
    reason = "il convertitore è terminato con il codice " + std::to_string(exit.code);
  } else {
    reason = "il convertitore non ha scritto alcun risultato";
  }
  const std::string last = run.LastLine();
  if (!last.empty()) reason += " (" + last + ")";
  return reason;
}

}  // namespace

struct MainWindowWorkflow::Batch {
  enum class State { kWaiting, kRunning, kMoving, kDone };

  std::vector<std::unique_ptr<DocumentRun>> runs;
  std::vector<State> states;
  std::vector<std::string> failures;  // one per document: empty, or why it gave no result
  std::vector<std::string> skipped;   // report lines of the items that were not PDFs
  std::set<std::string> outputNames;  // what this batch brought into the output folder
  int converted = 0;
  bool stopping = false;
  bool reported = false;

  size_t Count(State state) const {
    return static_cast<size_t>(std::count(states.begin(), states.end(), state));
  }
};

MainWindowWorkflow::MainWindowWorkflow(const Deliverable& deliverable, DesktopServices& desktop,
                                       DocumentOpener& opener, WorkingFolders folders)
    : deliverable_(deliverable),
      desktop_(desktop),
      opener_(opener),
      workFolder_(std::move(folders.work)),
      programFolder_(std::move(folders.program)),
      settingsFile_(SettingsFileIn(folders.settings, deliverable)),
      parallelRuns_(std::clamp<size_t>(std::thread::hardware_concurrency(), 1, kMostParallelRuns)) {
}

MainWindowWorkflow::~MainWindowWorkflow() = default;

std::string MainWindowWorkflow::Caption() const {
  return WindowCaption(deliverable_);
}

std::string MainWindowWorkflow::OutputFolder() const {
  return workFolder_ + Sep() + "output";
}

std::string MainWindowWorkflow::ScratchPath(const std::string& name) const {
  return workFolder_ + Sep() + name;
}

DocumentRun::Setup MainWindowWorkflow::RunSetup() const {
  return {&deliverable_, &desktop_, workFolder_, programFolder_, settings_};
}

void MainWindowWorkflow::SetProgressListener(std::function<void(const RunProgress&)> listener) {
  progressListener_ = std::move(listener);
}

void MainWindowWorkflow::SetProgress(const RunProgress& progress) {
  if (progress == progress_) return;
  progress_ = progress;
  if (progressListener_) progressListener_(progress_);
}

void MainWindowWorkflow::SetBusyPointer(bool busy) {
  if (pointerBusy_ == busy) return;
  desktop_.SetBusyPointer(busy);
  pointerBusy_ = busy;
}

void MainWindowWorkflow::PostStep(std::function<void()> step) {
  desktop_.PostToWindowThread(posted_.Wrap([this, step = std::move(step)]() mutable {
    desktop_.RunWhenNoBoxOpen(posted_.Wrap(std::move(step)));
  }));
}

unsigned MainWindowWorkflow::FormOLEDragOver(const DragData& data, unsigned allowedEffects) {
  // The fields belong to the drop being handled until its run has ended; a list of files is
  // welcome all the same, and waits its turn.
  if (busy_) return data.offersFileList ? allowedEffects & kDropEffectCopy : kDropEffectNone;
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
  if (busy_) {
    if (!data.offersFileList) return;
    waitingDrops_.push_back(
        {data, !data.paths.empty() && IsFolder(data.paths.front()) ? kKindFolder : kKindFile,
         true});
    return;
  }
  waitingDrops_.push_back({data, dropKind_, false});
  HandleNextDrop();
}

void MainWindowWorkflow::HandleFiles(const std::vector<std::string>& paths) {
  const DragData data{true, paths};
  FormOLEDragOver(data, kDropEffectCopy);
  FormOLEDragDrop(data);
}

void MainWindowWorkflow::HandleNextDrop() {
  if (busy_ || waitingDrops_.empty()) return;
  busy_ = true;
  WaitingDrop drop = std::move(waitingDrops_.front());
  waitingDrops_.pop_front();
  // The drag source waits until the drop handler returns: everything that can take time or show
  // a box comes after, from the event loop, and never on top of another box.
  PostStep([this, drop = std::move(drop)] {
    // A drop that waited finds the fields as the drop before it left them: they start afresh, as
    // its drag-over would have left them.
    dropKind_ = drop.kind;
    pdfPath_.clear();
    if (!ShowingFailures(desktop_, deliverable_.shortName, [&] { HandleDrop(drop); })) EndDrop();
  });
}

void MainWindowWorkflow::EndDrop() {
  SetBusyPointer(false);
  SetProgress({});
  single_.reset();
  batch_.reset();
  busy_ = false;
  // From the event loop, once the handler that ended this drop has returned.
  if (!waitingDrops_.empty()) {
    desktop_.PostToWindowThread(posted_.Wrap([this] { HandleNextDrop(); }));
  }
}

void MainWindowWorkflow::HandleDrop(const WaitingDrop& drop) {
  const std::vector<std::string>& items = drop.data.paths;
  // What came while something converted adds to the output folder; only work that starts on
  // its own empties it.
  const bool emptyOutput = !drop.arrivedDuringRun;
  if (items.size() == 1 && drop.kind == kKindFile) {
    HandleDroppedFile(items.front(), emptyOutput);
  } else if (!items.empty()) {
    HandleBatch(items, emptyOutput);
  }
  // A drop that started a run ends with it.
  if (!single_ && !batch_) EndDrop();
}

std::string MainWindowWorkflow::AskedQuestion(const std::string& path, const std::string& count) {
  // The options dialog's choices as the settings file holds them now, edited by hand or not.
  // A range the run cannot follow is said before the user confirms.
  IniSettingsStore settingsFile(settingsFile_, desktop_);
  settings_ = RunSettingsFrom(deliverable_.optionsForm, LoadOptionsForm(settingsFile));
  std::string question = deliverable_.confirmationQuestion + "\r\n\r\n" +
                         (count.empty() ? "(file : " + path + " )" : count);
  if (!settings_.unusableRange.empty()) question += "\r\n\r\n" + settings_.unusableRange;
  return question;
}

void MainWindowWorkflow::HandleDroppedFile(const std::string& path, bool emptyOutput) {
  pdfPath_ = GetShortFileName(path);
  if (!IsPdf(path)) {
    desktop_.ShowMessageBox("Non è un file PDF", kMbIconExclamation, kOopsTitle);
    return;
  }

  auto run = std::make_unique<DocumentRun>(RunSetup(), path);
  // A PDF taken from an output folder that the run empties would be gone with it: the run
  // puts it back where it lay.
  if (deliverable_.emptiesOutputBeforeRun && emptyOutput) {
    run->restoreFromOutput = PathInsideFolder(path, OutputFolder());
  }
  // Without a copy the run goes on as it always has and ends in the missing-results message:
  // the converter is given a name under which nothing lies.
  if (run->Copy({}) != 0) {
    desktop_.ShowMessageBox("Errore durante la copia del file", kMbOk, kApplicationTitle);
  }
  pdfPath_ = run->PdfPath();

  const std::string question = AskedQuestion(path, {});
  run->SetSettings(settings_);
  const int answer =
      desktop_.ShowMessageBox(question, kMbYesNo | kMbIconInformation | kMbSystemModal, ";-)");
  if (answer != kIdYes) {
    // Nothing of a cancelled drop stays behind: no later run would take the copy away.
    run->RemoveRunFiles({});
    desktop_.ShowMessageBox(deliverable_.cancellationMessage, kMbSystemModal, "",
                            BoxPlacement::kCenterOnOwner);
    return;
  }

  commandLine_ = run->CommandLine();
  single_ = std::move(run);
  if (deliverable_.emptiesOutputBeforeRun && emptyOutput) EmptyOutputFolder({single_.get()});
  SetBusyPointer(true);
  single_->Start([this] { PostStep([this] { SingleRunEnded(); }); },
                 [this] { SetProgress(single_->Progress()); });
}

void MainWindowWorkflow::SingleRunEnded() {
  if (!single_) return;
  SetBusyPointer(false);
  SetProgress({});
  if (single_->ConverterStopped()) {
    ShowingFailures(desktop_, deliverable_.shortName, [this] {
      RestoreFromOutput(*single_);
      single_->RemovePartialResults();
      desktop_.ShowMessageBox("Conversione interrotta", kMbIconInformation, kApplicationTitle);
    });
    EndDrop();
    return;
  }
  if (!ShowingFailures(desktop_, deliverable_.shortName, [this] { CompleteSingleRun(); }))
    EndDrop();
}

void MainWindowWorkflow::CompleteSingleRun() {
  std::vector<std::string> results = single_->WrittenOutputs();
  if (!single_->HoldsAResult(results)) {
    // Nothing of this run is worth keeping; what it wrote goes with the copy before the end.
    const std::string diagnosis = single_->Diagnosis(kDiagnosisLines);
    RestoreFromOutput(*single_);
    single_->RemoveRunFiles(results);
    ShowMissingResults(deliverable_.resultPattern, desktop_, diagnosis);
    EndDrop();
    return;
  }
  single_->MoveResults(results, OutputFolder(), [this, results](std::optional<Failure> failure) {
    desktop_.RunWhenNoBoxOpen(posted_.Wrap([this, results, failure] {
      if (failure) {
        ShowFailure(desktop_, *failure);
      } else {
        ShowingFailures(desktop_, deliverable_.shortName, [&] { FinishSingleRun(results); });
      }
      EndDrop();
    }));
  });
}

void MainWindowWorkflow::FinishSingleRun(const std::vector<std::string>& /*results*/) {
  if (single_->ConverterFailed()) {
    // The results are kept, but they may well be incomplete: the user is told so, not that
    // the conversion is complete.
    desktop_.ShowMessageBox(
        "Il convertitore ha segnalato un errore: i risultati potrebbero essere "
        "incompleti.\r\n\r\n" +
            single_->Diagnosis(kDiagnosisLines),
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
    OpenDocument(single_->ResultPath(OutputFolder()), "", programFolder_, opener_, desktop_);
  }
}

std::string MainWindowWorkflow::CompletionText() const {
  const std::string done = "Conversione completa";
  if (!settings_.pages) return done;
  const PageRange& asked = *settings_.pages;
  // The converter stops at the document's last page; its "Page-N" lines tell where it stopped.
  int last = asked.last;
  if (deliverable_.printsPageLines && single_->PagesConverted() >= asked.first) {
    last = std::min(last, single_->PagesConverted());
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

void MainWindowWorkflow::HandleBatch(const std::vector<std::string>& items, bool emptyOutput) {
  std::vector<std::string> pdfs;
  std::vector<std::string> skipped;
  for (const std::string& item : items) {
    const std::string name = GetLastPathPart(item);
    if (IsFolder(item)) {
      const std::vector<std::string> inside = PdfsInFolder(item);
      if (inside.empty()) skipped.push_back(ReportLine(name, "la cartella non contiene file PDF"));
      pdfs.insert(pdfs.end(), inside.begin(), inside.end());
    } else if (IsPdf(item)) {
      pdfs.push_back(item);
    } else {
      skipped.push_back(ReportLine(name, EntryExists(item) ? "non è un file PDF" : "non trovato"));
    }
  }
  if (pdfs.empty()) {
    std::string text = items.size() == 1 ? "La cartella non contiene file PDF da convertire."
                                         : "Tra gli elementi trascinati non c'è alcun file PDF.";
    if (items.size() > 1) {
      for (const std::string& line : skipped) text += "\r\n" + line;
    }
    desktop_.ShowMessageBox(text, kMbIconExclamation, kOopsTitle);
    return;
  }

  std::vector<std::string> names;
  for (const std::string& pdf : pdfs) names.push_back(GetLastPathPart(pdf));
  const std::string question = AskedQuestion({}, BatchCount(names));
  if (desktop_.ShowMessageBox(question, kMbYesNo | kMbIconInformation | kMbSystemModal, ";-)") !=
      kIdYes) {
    desktop_.ShowMessageBox(deliverable_.cancellationMessage, kMbSystemModal, "",
                            BoxPlacement::kCenterOnOwner);
    return;
  }

  batch_ = std::make_unique<Batch>();
  batch_->skipped = std::move(skipped);
  for (const std::string& pdf : pdfs) {
    batch_->runs.push_back(std::make_unique<DocumentRun>(RunSetup(), pdf));
    batch_->states.push_back(Batch::State::kWaiting);
    batch_->failures.emplace_back();
  }
  SetBusyPointer(true);
  if (deliverable_.emptiesOutputBeforeRun && emptyOutput) {
    // The PDFs that lie inside the output folder are copied before it is emptied, and put back.
    std::vector<DocumentRun*> inside;
    for (size_t i = 0; i < batch_->runs.size(); ++i) {
      DocumentRun& run = *batch_->runs[i];
      run.restoreFromOutput = PathInsideFolder(run.Source(), OutputFolder());
      if (run.restoreFromOutput.empty()) continue;
      if (const long error = run.Copy(batch_->outputNames); error != 0) {
        batch_->failures[i] = "copia non riuscita (" + DescribeSystemError(error) + ")";
        batch_->states[i] = Batch::State::kDone;
      }
      inside.push_back(&run);
    }
    EmptyOutputFolder(inside);
  }
  PumpBatch();
}

void MainWindowWorkflow::PumpBatch() {
  Batch& batch = *batch_;
  for (size_t i = 0; i < batch.runs.size(); ++i) {
    if (batch.states[i] != Batch::State::kWaiting) continue;
    if (batch.stopping) {
      batch.states[i] = Batch::State::kDone;
      continue;
    }
    if (batch.Count(Batch::State::kRunning) >= parallelRuns_) break;
    DocumentRun& run = *batch.runs[i];
    if (!run.CopyMade()) {
      if (const long error = run.Copy(batch.outputNames); error != 0) {
        batch.failures[i] = "copia non riuscita (" + DescribeSystemError(error) + ")";
        batch.states[i] = Batch::State::kDone;
        continue;
      }
    }
    // Two converters that could write one name never run side by side: this one waits.
    bool sharesNames = false;
    for (size_t j = 0; j < batch.runs.size(); ++j) {
      if (batch.states[j] == Batch::State::kRunning &&
          deliverable_.outputs->MayShareNames(run.InputName(), batch.runs[j]->InputName())) {
        sharesNames = true;
      }
    }
    if (sharesNames) break;
    batch.states[i] = Batch::State::kRunning;
    try {
      run.Start([this, i] { BatchDocumentEnded(i); }, [this] { UpdateBatchProgress(); });
    } catch (const OperationFailure& failure) {
      batch.failures[i] = FormatFailureReport(failure.failure());
      batch.states[i] = Batch::State::kDone;
    }
  }
  UpdateBatchProgress();
  if (batch.Count(Batch::State::kDone) == batch.runs.size() && !batch.reported) {
    batch.reported = true;
    PostStep([this] { FinishBatch(); });
  }
}

void MainWindowWorkflow::UpdateBatchProgress() {
  const Batch& batch = *batch_;
  RunProgress progress;
  progress.running = batch.Count(Batch::State::kDone) < batch.runs.size();
  progress.documents = static_cast<int>(batch.runs.size());
  progress.documentsDone = static_cast<int>(batch.Count(Batch::State::kDone));
  progress.document = std::min(progress.documentsDone + 1, progress.documents);
  // The pages of the first document in the batch's order that converts.
  for (size_t i = 0; i < batch.runs.size(); ++i) {
    if (batch.states[i] != Batch::State::kRunning) continue;
    progress.document = static_cast<int>(i) + 1;
    progress.pagesDone = batch.runs[i]->Progress().pagesDone;
    progress.pageCount = batch.runs[i]->Progress().pageCount;
    break;
  }
  if (!progress.running) progress = {};
  SetProgress(progress);
}

void MainWindowWorkflow::BatchDocumentEnded(size_t index) {
  Batch& batch = *batch_;
  DocumentRun& run = *batch.runs[index];
  const auto done = [&](std::string failure) {
    batch.failures[index] = std::move(failure);
    batch.states[index] = Batch::State::kDone;
    PumpBatch();
  };
  if (run.ConverterStopped()) {
    try {
      RestoreFromOutput(run);
      run.RemovePartialResults();
    } catch (const OperationFailure& failure) {
      return done(FormatFailureReport(failure.failure()));
    }
    return done("conversione interrotta");
  }
  std::vector<std::string> results;
  try {
    results = run.WrittenOutputs();
    if (!run.HoldsAResult(results)) {
      RestoreFromOutput(run);
      run.RemoveRunFiles(results);
      return done(ConverterReason(run));
    }
  } catch (const OperationFailure& failure) {
    return done(FormatFailureReport(failure.failure()));
  }
  batch.states[index] = Batch::State::kMoving;
  run.MoveResults(results, OutputFolder(), [this, index, results](std::optional<Failure> failure) {
    Batch& batch = *batch_;
    DocumentRun& run = *batch.runs[index];
    std::string reason;
    if (failure) {
      reason = "i risultati restano in " + workFolder_ + " (" + FormatFailureReport(*failure) + ")";
    } else {
      batch.outputNames.insert(results.begin(), results.end());
      if (run.ConverterFailed()) {
        reason = ConverterReason(run) + "; i risultati sono comunque in output";
      } else {
        ++batch.converted;
      }
    }
    batch.failures[index] = reason;
    batch.states[index] = Batch::State::kDone;
    PumpBatch();
  });
  PumpBatch();
}

void MainWindowWorkflow::FinishBatch() {
  if (!batch_) return;
  Batch& batch = *batch_;
  SetBusyPointer(false);
  SetProgress({});
  ShowingFailures(desktop_, deliverable_.shortName, [&] {
    for (const auto& run : batch.runs) RestoreFromOutput(*run);
  });
  const int documents = static_cast<int>(batch.runs.size());
  if (batch.stopping) {
    desktop_.ShowMessageBox(
        "Conversione interrotta\r\n\r\n" + BatchSummary(batch.converted, documents, {}),
        kMbIconInformation, kApplicationTitle);
  } else {
    std::vector<std::string> lines;
    for (size_t i = 0; i < batch.runs.size(); ++i) {
      if (!batch.failures[i].empty()) {
        lines.push_back(ReportLine(batch.runs[i]->SourceName(), batch.failures[i]));
      }
    }
    lines.insert(lines.end(), batch.skipped.begin(), batch.skipped.end());
    desktop_.ShowMessageBox(
        "Conversione completa\r\n\r\n" + BatchSummary(batch.converted, documents, lines),
        lines.empty() ? kMbOk : kMbIconExclamation, kApplicationTitle);
    if (settings_.openOutputFolder && !batch.outputNames.empty()) {
      OpenDocument(OutputFolder(), "", programFolder_, opener_, desktop_);
    }
  }
  EndDrop();
}

void MainWindowWorkflow::EmptyOutputFolder(const std::vector<DocumentRun*>& runs) {
  // A PDF that lies inside the folder has only one other copy, the one in the scratch area.
  // Without it (the copy failed) the folder stays as it is rather than lose the user's file.
  for (const DocumentRun* run : runs) {
    if (!run->restoreFromOutput.empty() && !run->CopyMade()) return;
  }
  try {
    // A linked output folder is written through but never emptied: what it points to is not
    // the program's.
    CleanAllPath(OutputFolder());
  } catch (...) {
    // Whatever the emptying got to, the user's PDFs are back before the failure is reported.
    for (const DocumentRun* run : runs) RestoreFromOutput(*run);
    throw;
  }
  for (const DocumentRun* run : runs) RestoreFromOutput(*run);
}

void MainWindowWorkflow::RestoreFromOutput(const DocumentRun& run) const {
  if (run.restoreFromOutput.empty() || !run.CopyMade()) return;
  const std::string original = OutputFolder() + Sep() + run.restoreFromOutput;
  if (EntryExists(original) || !EntryExists(run.PdfPath())) return;
  CreateFolderTree(ParentOf(original));
  ThrowIfFailed(CopyFileReplacing(run.PdfPath(), original), "CopySingleFile");
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
    ShowFailure(desktop_, failure.failure());
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
  // Nothing more starts: what waits is dropped, and each run ends as usual once everything its
  // converter started is gone; only then is its partial work removed.
  waitingDrops_.clear();
  if (single_) single_->Stop();
  if (batch_) {
    batch_->stopping = true;
    for (const auto& run : batch_->runs) run->Stop();
  }
}

void MainWindowWorkflow::StopEverything() {
  std::vector<DocumentRun*> runs;
  if (single_) runs.push_back(single_.get());
  if (batch_) {
    for (const auto& run : batch_->runs) runs.push_back(run.get());
  }
  for (DocumentRun* run : runs) {
    run->StopAndWait();
    run->WaitForFileStep();
    try {
      RestoreFromOutput(*run);
      if (run->HoldsUnmovedWork()) run->RemovePartialResults();
    } catch (const OperationFailure&) {
      // The program ends as asked; what could not be removed is left for the user.
    }
  }
}

bool MainWindowWorkflow::FormQueryUnload() {
  if (desktop_.ShowMessageBox(QuitQuestion(deliverable_), kMbYesNo, QuitTitle(deliverable_)) ==
      kIdNo) {
    return true;
  }
  StopEverything();
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
