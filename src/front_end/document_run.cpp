#include "front_end/document_run.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

#include "common/message_box.h"
#include "common/platform.h"
#include "common/text_basics.h"
#include "files/file_operations.h"
#include "files/file_system.h"
#include "files/wildcard.h"

namespace droplet {

namespace {

// How much of the converter's output a run keeps: its last lines are all it shows.
constexpr size_t kOutputTextLimit = 64 * 1024;
// How many names "NAME (N).pdf" a copy tries before it gives up.
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
    if (Trimmed(line).empty()) continue;
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

std::optional<Failure> FailureOf(std::exception_ptr escaped, const char* source) {
  if (!escaped) return std::nullopt;
  try {
    std::rethrow_exception(escaped);
  } catch (const OperationFailure& failure) {
    return failure.failure();
  } catch (const std::exception& failure) {
    return Failure{0, failure.what(), source};
  }
}

}  // namespace

DocumentRun::DocumentRun(Setup setup, std::string source)
    : setup_(std::move(setup)),
      source_(std::move(source)),
      fileStep_(*setup_.desktop),
      runner_(*setup_.desktop, setup_.deliverable->runnerTexts) {
  runner_.SetOutputsLimit(kOutputTextLimit);
  runner_.AddReceiveOutputsListener([this](std::string& chunk) {
    AppendBounded(outputText_, chunk, kOutputTextLimit);
    if (setup_.deliverable->printsPageLines && running_) {
      RunProgress next = progress_;
      next.pagesDone = PagesDoneOfRange(setup_.settings.pages, pageLines_.Feed(chunk));
      SetProgress(next);
    }
  });
}

DocumentRun::~DocumentRun() {
  // The converter must not outlive its run, nor its watcher post to a run that is gone.
  StopAndWait();
}

std::string DocumentRun::SourceName() const {
  return GetLastPathPart(source_);
}

std::string DocumentRun::ScratchPath(const std::string& name) const {
  return setup_.workFolder + Sep() + name;
}

std::string DocumentRun::InputName() const {
  return GetLastPathPart(pdfPath_);
}

bool DocumentRun::WritesOver(const std::string& pdfName, const FolderStamps& present,
                             const std::set<std::string>& taken) const {
  const ConverterOutputs& outputs = *setup_.deliverable->outputs;
  return std::any_of(present.begin(), present.end(),
                     [&](const auto& entry) { return outputs.IsOutput(pdfName, entry.first); }) ||
         std::any_of(taken.begin(), taken.end(),
                     [&](const std::string& name) { return outputs.IsOutput(pdfName, name); });
}

bool DocumentRun::CopyStillFree(const std::set<std::string>& taken) const {
  FolderStamps present;
  StampFolder(setup_.workFolder, present);
  return copyMade_ && !WritesOver(InputName(), present, taken);
}

long DocumentRun::Copy(const std::set<std::string>& taken) {
  if (copyMade_ && EntryExists(pdfPath_))
    ThrowIfFailed(ForceDeleteFile(pdfPath_), "CopySingleFile");
  copyMade_ = false;
  FolderStamps present;
  StampFolder(setup_.workFolder, present);
  const std::string name = SourceName();
  const std::string stem = GetFileName(name, false);
  const std::string extension = name.substr(stem.size());
  const std::string source =
      GetShortFileName(source_).empty() ? source_ : GetShortFileName(source_);
  for (int attempt = 1; attempt <= kCopyNameAttempts; ++attempt) {
    const std::string candidate =
        attempt == 1 ? name : stem + " (" + std::to_string(attempt) + ")" + extension;
    const std::string copyPath = ScratchPath(candidate);
    if (present.count(candidate) != 0 || EntryExists(copyPath) ||
        WritesOver(candidate, present, taken)) {
      continue;
    }
    // Without a copy the converter is given this path, under which nothing lies.
    pdfPath_ = copyPath;
    const long error = CopyFileReplacing(source, copyPath);
    if (error != 0) return error;
    copyMade_ = true;
    // The copy is the run's own: a read-only original must not give a copy that no later run
    // can delete or replace.
    SetNormalAttributes(copyPath);
    // The converter writes its results after the short name, which the copy has only now.
    const std::string shortPath = GetShortFileName(copyPath);
    pdfPath_ = shortPath.empty() ? copyPath : shortPath;
    const std::string shortName = InputName();
    if (shortName == candidate || !WritesOver(shortName, present, taken)) return 0;
    ThrowIfFailed(ForceDeleteFile(copyPath), "CopySingleFile");
    copyMade_ = false;
  }
  pdfPath_ = ScratchPath(stem + " (" + std::to_string(kCopyNameAttempts + 1) + ")" + extension);
  return AccessDeniedError();
}

void DocumentRun::CopyOffWindow(std::set<std::string> taken,
                                std::function<void(long, std::optional<Failure>)> onDone) {
  auto error = std::make_shared<long>(0);
  fileStep_.Run([this, error, taken = std::move(taken)] { *error = Copy(taken); },
                [error, onDone = std::move(onDone)](std::exception_ptr escaped) {
                  onDone(*error, FailureOf(escaped, "CopySingleFile"));
                });
}

bool DocumentRun::NoteEmptiedOutput(const std::string& outputFolder) {
  restoreFromOutput_ = PathInsideFolder(source_, outputFolder);
  return LiesInEmptiedOutput();
}

void DocumentRun::PutBackIntoOutput(const std::string& outputFolder) const {
  if (!LiesInEmptiedOutput() || !copyMade_) return;
  const std::string original = outputFolder + Sep() + restoreFromOutput_;
  if (EntryExists(original) || !EntryExists(pdfPath_)) return;
  CreateFolderTree(ParentOf(original));
  ThrowIfFailed(CopyFileReplacing(pdfPath_, original), "CopySingleFile");
}

void DocumentRun::Discard(const std::string& outputFolder) const {
  // A failure to put the PDF back throws before its last copy would go.
  PutBackIntoOutput(outputFolder);
  if (resultsSettled_) return;
  RemoveRunFiles(started_ ? WrittenOutputs() : std::vector<std::string>{});
}

void DocumentRun::DiscardOffWindow(const std::string& outputFolder,
                                   std::function<void(std::optional<Failure>)> onDone) {
  fileStep_.Run([this, outputFolder] { Discard(outputFolder); },
                [onDone = std::move(onDone)](std::exception_ptr escaped) {
                  onDone(FailureOf(escaped, "EliminaFileConAsterisco"));
                });
}

void EmptyOutputKeeping(const std::string& outputFolder,
                        const std::vector<const DocumentRun*>& runs) {
  // A PDF that lies inside the folder has only one other copy, the one in the scratch area.
  for (const DocumentRun* run : runs) {
    if (run->LiesInEmptiedOutput() && !run->CopyMade()) return;
  }
  try {
    // A linked output folder is written through but never emptied: what it points to is not
    // the program's.
    CleanAllPath(outputFolder);
  } catch (...) {
    // Whatever the emptying got to, the user's PDFs are back before the failure is reported.
    for (const DocumentRun* run : runs) run->PutBackIntoOutput(outputFolder);
    throw;
  }
  for (const DocumentRun* run : runs) run->PutBackIntoOutput(outputFolder);
}

std::string DocumentRun::CommandLine() const {
  return BuildCommandLine(*setup_.deliverable, pdfPath_, setup_.programFolder, setup_.settings);
}

void DocumentRun::Start(std::function<void()> onEnd, std::function<void()> onProgress) {
  onProgress_ = std::move(onProgress);
  ThrowIfFailed(StampFolder(setup_.workFolder, stampsBeforeRun_), "cmdExecute_Click");
  outputText_.clear();
  running_ = true;
  started_ = true;
  StartProgress();
  runner_.SetCommandLine(CommandLine());
  runner_.StartCommand([this, onEnd = std::move(onEnd)](const DOSOutputs::RunEnd& end) {
    end_ = end;
    running_ = false;
    watcher_.reset();
    SetProgress({});
    onEnd();
  });
}

void DocumentRun::Stop() {
  stopAsked_ = true;
  if (!running_) return;
  // The run ends as usual, through `onEnd`, once everything the converter started is gone.
  runner_.StopCommand();
  if (watcher_) watcher_->Stop();
}

void DocumentRun::StopAndWait() {
  runner_.StopCommand();
  if (watcher_) watcher_->Stop();
  runner_.WaitForChild();
  watcher_.reset();
}

bool DocumentRun::ConverterFailed() const {
  const ChildExit& exit = end_.exit;
  return !end_.started || (exit.known && (exit.signalled || exit.code != 0));
}

void DocumentRun::StartProgress() {
  pageLines_ = PageLineCounter();
  SetProgress({true, 0, 0});
  ProgressWatcher::Plan plan;
  plan.pageCountCommand = PageCountCommandLine(pdfPath_, setup_.programFolder);
  if (!setup_.deliverable->printsPageLines) {
    plan.resultFile = ScratchPath(setup_.deliverable->outputs->ResultToOpen(InputName()));
  }
  watcher_ = std::make_unique<ProgressWatcher>(
      std::move(plan),
      [this, range = setup_.settings.pages](int pageCount) {
        const int count = PageCountOfRange(range, pageCount);
        if (count > 0) PostProgress(&RunProgress::pageCount, count);
      },
      [this](int pagesDone) { PostProgress(&RunProgress::pagesDone, pagesDone); });
}

void DocumentRun::PostProgress(int RunProgress::*field, int value) {
  // The watcher's findings reach the window's thread like the converter's output, and count
  // only while the run lasts.
  setup_.desktop->PostToWindowThread(posted_.Wrap([this, field, value] {
    if (!running_) return;
    RunProgress next = progress_;
    next.*field = value;
    SetProgress(next);
  }));
}

void DocumentRun::SetProgress(const RunProgress& progress) {
  if (progress == progress_) return;
  progress_ = progress;
  if (onProgress_) onProgress_();
}

std::vector<std::string> DocumentRun::WrittenOutputs() const {
  FolderStamps now;
  ThrowIfFailed(StampFolder(setup_.workFolder, now), "CopyOutputFiles");
  const std::string input = InputName();
  std::vector<std::string> outputs;
  for (const std::string& name : WrittenSince(stampsBeforeRun_, now)) {
    if (name != input && setup_.deliverable->outputs->IsOutput(input, name)) {
      outputs.push_back(name);
    }
  }
  return outputs;
}

bool DocumentRun::HoldsAResult(const std::vector<std::string>& outputs) const {
  return std::any_of(outputs.begin(), outputs.end(), [&](const std::string& name) {
    return MatchesWildcard(setup_.deliverable->resultPattern, name);
  });
}

void DocumentRun::MoveResults(std::vector<std::string> results, const std::string& outputFolder,
                              std::function<void(std::optional<Failure>)> onDone) {
  // From now on the results are no partial work: they reach the output folder, or they stay
  // where the report says they are.
  resultsSettled_ = true;
  // Hundreds of pages and images take their time: the window answers meanwhile.
  fileStep_.Run(
      [this, results = std::move(results), outputFolder] {
        // A link named "output" is used as it is (the user may have made it on purpose); only a
        // missing folder is made.
        if (!EntryExists(outputFolder) && !IsLink(outputFolder)) CreateFolderTree(outputFolder);
        // Renamed where the system allows it, copied elsewhere. The first failure is reported
        // once every file was tried, and the results then stay where the converter left them.
        ThrowIfFailed(BringFilesInto(setup_.workFolder, results, outputFolder),
                      "CopiaFileCreaCartella");
        // What was copied rather than renamed, and the copy of the PDF.
        RemoveRunFiles(results);
      },
      [onDone = std::move(onDone)](std::exception_ptr escaped) {
        onDone(FailureOf(escaped, "CopiaFileCreaCartella"));
      });
}

void DocumentRun::RemoveRunFiles(const std::vector<std::string>& outputs) const {
  // By name and whatever their attributes: a read-only or hidden leftover of the run's own
  // would stop every later run.
  for (const std::string& name : outputs) {
    if (EntryExists(ScratchPath(name))) {
      ThrowIfFailed(ForceDeleteFile(ScratchPath(name)), "EliminaFileConAsterisco");
    }
  }
  if (copyMade_ && EntryExists(pdfPath_)) {
    ThrowIfFailed(ForceDeleteFile(pdfPath_), "EliminaFileConAsterisco");
  }
}

std::string DocumentRun::ResultPath(const std::string& outputFolder) const {
  return outputFolder + Sep() + setup_.deliverable->outputs->ResultToOpen(InputName());
}

std::string DocumentRun::Diagnosis(size_t lines) const {
  std::string diagnosis;
  const std::optional<PageRange>& pages = setup_.settings.pages;
  if (pages) {
    diagnosis = "Le Opzioni chiedono le pagine da " + std::to_string(pages->first) + " a " +
                std::to_string(pages->last) + ".";
  }
  const ChildExit& exit = end_.exit;
  const std::string converter = ConverterName(*setup_.deliverable);
  std::string status;
  if (!end_.started) {
    status = "Il convertitore " + converter + " non è partito.";
  } else if (exit.known && !exit.signalled && exit.code == InterpreterNotFoundExit()) {
    status = "Il convertitore " + converter +
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
  for (const std::string& line : LastLines(outputText_, lines)) {
    if (!diagnosis.empty()) diagnosis += "\r\n";
    diagnosis += line;
  }
  return diagnosis;
}

std::string DocumentRun::LastLine() const {
  const std::vector<std::string> last = LastLines(outputText_, 1);
  return last.empty() ? std::string() : last.front();
}

}  // namespace droplet
