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

}  // namespace

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
  if (busy_ && !data.offersFileList) return;
  QueueDrop(data, false);
}

void MainWindowWorkflow::QueueDrop(const DragData& data, bool handedOver) {
  WaitingDrop drop{
      .data = data, .kind = dropKind_, .handedOver = handedOver, .lastJoined = Clock::now()};
  // What comes while a drop is handled finds the fields taken: it is classified here.
  if (busy_) {
    drop.kind = !data.paths.empty() && IsFolder(data.paths.front()) ? kKindFolder : kKindFile;
    // Emptying the cache converts nothing: a drop after it starts afresh.
    drop.arrivedDuringRun = !emptyingCache_;
  }
  waitingDrops_.push_back(std::move(drop));
  HandleNextDrop();
}

void MainWindowWorkflow::HandleFiles(const std::vector<std::string>& paths) {
  const DragData data{true, paths};
  FormOLEDragOver(data, kDropEffectCopy);
  FormOLEDragDrop(data);
}

void MainWindowWorkflow::HandOverFiles(const std::vector<std::string>& paths) {
  // Files handed over while earlier ones still wait for their question join them.
  if (!waitingDrops_.empty() && waitingDrops_.back().handedOver) {
    WaitingDrop& gathered = waitingDrops_.back();
    gathered.data.paths.insert(gathered.data.paths.end(), paths.begin(), paths.end());
    gathered.lastJoined = Clock::now();
    return;
  }
  const DragData data{true, paths};
  FormOLEDragOver(data, kDropEffectCopy);
  QueueDrop(data, true);
}

void MainWindowWorkflow::LimitParallelRuns(size_t count) {
  parallelRuns_ = std::max<size_t>(count, 1);
}

void MainWindowWorkflow::HandleNextDrop() {
  if (busy_ || gathering_ || waitingDrops_.empty()) return;
  if (const WaitingDrop& next = waitingDrops_.front(); next.handedOver) {
    // Files handed over by separate starts in quick succession wait for each other.
    const Clock::duration waited = Clock::now() - next.lastJoined;
    if (waited < kHandOverGathering) {
      gathering_ = true;
      handOverWait_.Run([rest = kHandOverGathering - waited] { std::this_thread::sleep_for(rest); },
                        [this](std::exception_ptr) {
                          gathering_ = false;
                          HandleNextDrop();
                        });
      return;
    }
  }
  busy_ = true;
  WaitingDrop drop = std::move(waitingDrops_.front());
  waitingDrops_.pop_front();
  // The drag source waits until the drop handler returns: everything that can take time or show
  // a box comes after, from the event loop, and never on top of another box.
  PostStep([this, drop = std::move(drop)] {
    if (drop.emptyCache) return EmptyCache();
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

  single_ = std::make_unique<DocumentRun>(RunSetup(), path);
  // A PDF taken from an output folder that the run empties would be gone with it: the run
  // puts it back where it lay.
  if (deliverable_.emptiesOutputBeforeRun && emptyOutput)
    single_->NoteEmptiedOutput(OutputFolder());
  // A large PDF takes its time to copy: the window answers meanwhile.
  auto error = std::make_shared<long>(0);
  OffWindow([this, error] { *error = single_->Copy({}); },
            [this, path, emptyOutput, error] {
              // Without a copy the run goes on as it always has and ends in the missing-results
              // message: the converter is given a name under which nothing lies.
              if (*error != 0) {
                desktop_.ShowMessageBox("Errore durante la copia del file", kMbOk,
                                        kApplicationTitle);
              }
              if (!ShowingFailures(desktop_, deliverable_.shortName,
                                   [&] { AskForSingleRun(path, emptyOutput); }))
                EndDrop();
            });
}

void MainWindowWorkflow::AskForSingleRun(const std::string& path, bool emptyOutput) {
  pdfPath_ = single_->PdfPath();
  const std::string question = AskedQuestion(path, {});
  single_->SetSettings(settings_);
  const int answer =
      desktop_.ShowMessageBox(question, kMbYesNo | kMbIconInformation | kMbSystemModal, ";-)");
  if (answer != kIdYes) {
    // Nothing of a cancelled drop stays behind: no later run would take the copy away.
    single_->RemoveRunFiles({});
    desktop_.ShowMessageBox(deliverable_.cancellationMessage, kMbSystemModal, "",
                            BoxPlacement::kCenterOnOwner);
    EndDrop();
    return;
  }

  commandLine_ = single_->CommandLine();
  SetBusyPointer(true);
  if (deliverable_.emptiesOutputBeforeRun && emptyOutput) {
    EmptyOutputThen({single_.get()}, [this] { StartSingleRun(); });
  } else {
    StartSingleRun();
  }
}

void MainWindowWorkflow::StartSingleRun() {
  // Stopped while the output folder was emptied: the converter never starts.
  if (single_->StopAsked()) return SingleRunStopped();
  single_->Start([this] { PostStep([this] { SingleRunEnded(); }); },
                 [this] { SetProgress(single_->Progress()); });
}

void MainWindowWorkflow::SingleRunEnded() {
  if (!single_) return;
  if (single_->ConverterStopped()) return SingleRunStopped();
  SetBusyPointer(false);
  SetProgress({});
  if (!ShowingFailures(desktop_, deliverable_.shortName, [this] { CompleteSingleRun(); }))
    EndDrop();
}

void MainWindowWorkflow::SingleRunStopped() {
  SetBusyPointer(false);
  SetProgress({});
  // Hundreds of pages begun take their time to remove.
  OffWindow([this] { single_->Discard(OutputFolder()); },
            [this] {
              desktop_.ShowMessageBox("Conversione interrotta", kMbIconInformation,
                                      kApplicationTitle);
              EndDrop();
            });
}

void MainWindowWorkflow::CompleteSingleRun() {
  std::vector<std::string> results = single_->WrittenOutputs();
  if (!single_->HoldsAResult(results)) {
    // Nothing of this run is worth keeping; what it wrote goes with the copy before the end.
    const std::string diagnosis = single_->Diagnosis(kDiagnosisLines);
    single_->PutBackIntoOutput(OutputFolder());
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

  batch_ = std::make_unique<BatchRun>(RunSetup(), pdfs, std::move(skipped), parallelRuns_,
                                      OutputFolder());
  SetBusyPointer(true);
  if (!deliverable_.emptiesOutputBeforeRun || !emptyOutput) return StartBatch();
  // Taken before the step, which the window then leaves alone but for a stop.
  const RunProgress progress = batch_->Progress();
  // The PDFs that lie inside the output folder are copied before it is emptied, and put back.
  OffWindow(
      [this] {
        batch_->PrepareEmptiedOutput();
        EmptyOutputKeeping(OutputFolder(), batch_->RunsInEmptiedOutput());
      },
      [this] { StartBatch(); });
  SetProgress(progress);
}

void MainWindowWorkflow::StartBatch() {
  batch_->Start([this] { SetProgress(batch_->Progress()); },
                [this] { PostStep([this] { FinishBatch(); }); });
}

void MainWindowWorkflow::FinishBatch() {
  if (!batch_) return;
  SetBusyPointer(false);
  SetProgress({});
  ShowingFailures(desktop_, deliverable_.shortName, [&] { batch_->PutBackIntoOutput(); });
  const BatchRun::Report report = batch_->MakeReport();
  desktop_.ShowMessageBox(report.text, report.style, kApplicationTitle);
  if (!batch_->Stopping() && settings_.openOutputFolder && batch_->BroughtResults()) {
    OpenDocument(OutputFolder(), "", programFolder_, opener_, desktop_);
  }
  EndDrop();
}

void MainWindowWorkflow::OffWindow(std::function<void()> work, std::function<void()> next) {
  fileStep_.Run(std::move(work), [this, next = std::move(next)](std::exception_ptr escaped) {
    desktop_.RunWhenNoBoxOpen(posted_.Wrap([this, next, escaped] {
      if (ShowingFailures(desktop_, deliverable_.shortName, [&] {
            if (escaped) std::rethrow_exception(escaped);
          })) {
        return next();
      }
      // What the drop began and nothing will finish goes; the failure was said once.
      std::vector<DocumentRun*> runs = batch_ ? batch_->Runs() : std::vector<DocumentRun*>{};
      if (single_) runs.push_back(single_.get());
      for (const DocumentRun* run : runs) {
        try {
          run->Discard(OutputFolder());
        } catch (const OperationFailure&) {
          // Left for the user, as the emptying left it.
        }
      }
      EndDrop();
    }));
  });
}

void MainWindowWorkflow::EmptyOutputThen(std::vector<const DocumentRun*> inside,
                                         std::function<void()> next) {
  OffWindow([this, inside = std::move(inside)] { EmptyOutputKeeping(OutputFolder(), inside); },
            std::move(next));
  // The run has begun: it shows, and it may be stopped.
  SetProgress({true, 0, 0});
}

void MainWindowWorkflow::MnuInfoClick() {
  desktop_.ShowMessageBox(deliverable_.aboutText, kMbIconInformation, kApplicationTitle);
}

void MainWindowWorkflow::MnuOpenPathClick() {
  OpenDocument(OutputFolder(), "", programFolder_, opener_, desktop_);
}

void MainWindowWorkflow::MnuSvuotaClick() {
  // Like a drop, the emptying waits for the work before it: it never races a run's file steps.
  WaitingDrop emptying;
  emptying.emptyCache = true;
  waitingDrops_.push_back(std::move(emptying));
  HandleNextDrop();
}

void MainWindowWorkflow::EmptyCache() {
  emptyingCache_ = true;
  SetBusyPointer(true);
  // Thousands of files take their time: the window answers meanwhile.
  auto outcome = std::make_shared<CleanOutcome>(CleanOutcome::kEmptied);
  fileStep_.Run([this, outcome] { *outcome = CleanAllPath(OutputFolder()); },
                [this, outcome](std::exception_ptr escaped) {
                  desktop_.RunWhenNoBoxOpen(posted_.Wrap([this, outcome, escaped] {
                    emptyingCache_ = false;
                    SetBusyPointer(false);
                    // What was deleted stays deleted; the rest is reported instead of a false
                    // success.
                    if (ShowingFailures(desktop_, deliverable_.shortName, [&] {
                          if (escaped) std::rethrow_exception(escaped);
                        })) {
                      ShowCacheEmptied(*outcome);
                    }
                    EndDrop();
                  }));
                });
}

void MainWindowWorkflow::ShowCacheEmptied(CleanOutcome outcome) {
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
  // No more conversions start: the drops that wait are dropped (a "Svuota cache" asked for
  // still follows), and each run ends as usual once everything its converter started is gone;
  // only then is its partial work removed.
  std::erase_if(waitingDrops_, [](const WaitingDrop& drop) { return !drop.emptyCache; });
  if (single_) single_->Stop();
  if (batch_) batch_->Stop();
}

void MainWindowWorkflow::StopEverything() {
  std::vector<DocumentRun*> runs;
  if (single_) runs.push_back(single_.get());
  if (batch_) runs = batch_->Runs();
  // A file step under way (a copy, the emptying) finishes first: nothing is left half done.
  fileStep_.Wait();
  for (DocumentRun* run : runs) {
    run->StopAndWait();
    run->WaitForFileStep();
    try {
      run->Discard(OutputFolder());
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
