#include "front_end/batch_run.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "common/message_box.h"
#include "common/platform.h"
#include "files/file_system.h"
#include "front_end/batch_texts.h"

namespace droplet {

namespace {

// Why a document gave no result, or gave one the converter did not stand by.
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

std::string CopyFailure(long error) {
  return "copia non riuscita (" + DescribeSystemError(error) + ")";
}

}  // namespace

BatchRun::BatchRun(const DocumentRun::Setup& setup, const std::vector<std::string>& pdfs,
                   std::vector<std::string> skipped, size_t parallelRuns, std::string outputFolder)
    : skipped_(std::move(skipped)),
      outputFolder_(std::move(outputFolder)),
      workFolder_(setup.workFolder),
      outputs_(setup.deliverable->outputs),
      parallelRuns_(std::max<size_t>(parallelRuns, 1)) {
  for (const std::string& pdf : pdfs) {
    runs_.push_back(std::make_unique<DocumentRun>(setup, pdf));
    states_.push_back(State::kWaiting);
    failures_.emplace_back();
  }
}

size_t BatchRun::Count(State state) const {
  return static_cast<size_t>(std::count(states_.begin(), states_.end(), state));
}

std::vector<DocumentRun*> BatchRun::Runs() const {
  std::vector<DocumentRun*> runs;
  for (const auto& run : runs_) runs.push_back(run.get());
  return runs;
}

void BatchRun::PrepareEmptiedOutput() {
  // A PDF that lies inside the output folder is copied before the folder is emptied, and put
  // back; the others are copied just before their own run.
  for (size_t i = 0; i < runs_.size(); ++i) {
    DocumentRun& run = *runs_[i];
    if (!run.NoteEmptiedOutput(outputFolder_)) continue;
    if (const long error = run.Copy(outputNames_); error != 0) {
      failures_[i] = CopyFailure(error);
      states_[i] = State::kDone;
    }
  }
}

std::vector<const DocumentRun*> BatchRun::RunsInEmptiedOutput() const {
  std::vector<const DocumentRun*> inside;
  for (const auto& run : runs_) {
    if (run->LiesInEmptiedOutput()) inside.push_back(run.get());
  }
  return inside;
}

void BatchRun::Start(std::function<void()> onProgress, std::function<void()> onOver) {
  onProgress_ = std::move(onProgress);
  onOver_ = std::move(onOver);
  Pump();
}

void BatchRun::Stop() {
  stopping_ = true;
  for (const auto& run : runs_) run->Stop();
}

void BatchRun::Pump() {
  for (size_t i = 0; i < runs_.size(); ++i) {
    // One copy at a time, in the batch's order: two at once could choose one name.
    if (states_[i] == State::kCopying) break;
    if (states_[i] != State::kWaiting) continue;
    DocumentRun& run = *runs_[i];
    if (stopping_) {
      // Nothing more starts; a copy made ahead of the emptying goes.
      try {
        run.Discard(outputFolder_);
      } catch (const OperationFailure& failure) {
        failures_[i] = FormatFailureReport(failure.failure());
      }
      states_[i] = State::kDone;
      continue;
    }
    // The next document's copy is made while the others convert, off the window's thread (a
    // large PDF takes its time), so that it starts as soon as a converter is free. A copy made
    // while others converted (or ahead of the emptying) may have a name whose outputs the batch
    // has written since: it is made again under a free one.
    if (!run.CopyStillFree(outputNames_)) {
      states_[i] = State::kCopying;
      run.CopyOffWindow(outputNames_, [this, i](long error, std::optional<Failure> failure) {
        states_[i] = State::kWaiting;
        if (failure) {
          Done(i, FormatFailureReport(*failure));
        } else if (error != 0) {
          Done(i, CopyFailure(error));
        }
        Pump();
      });
      break;
    }
    if (Count(State::kRunning) >= parallelRuns_) break;
    // Two converters that could write one name never run side by side: this one waits.
    bool sharesNames = false;
    for (size_t j = 0; j < runs_.size(); ++j) {
      if (states_[j] == State::kRunning &&
          outputs_->MayShareNames(run.InputName(), runs_[j]->InputName())) {
        sharesNames = true;
      }
    }
    if (sharesNames) break;
    states_[i] = State::kRunning;
    try {
      run.Start([this, i] { DocumentEnded(i); }, [this] { onProgress_(); });
    } catch (const OperationFailure& failure) {
      Done(i, FormatFailureReport(failure.failure()));
    }
  }
  onProgress_();
  if (Count(State::kDone) == runs_.size() && !over_) {
    over_ = true;
    onOver_();
  }
}

void BatchRun::Done(size_t index, std::string failure) {
  failures_[index] = std::move(failure);
  states_[index] = State::kDone;
}

void BatchRun::DocumentEnded(size_t index) {
  DocumentRun& run = *runs_[index];
  std::vector<std::string> results;
  std::string reason = "conversione interrotta";
  if (!run.ConverterStopped()) {
    try {
      results = run.WrittenOutputs();
    } catch (const OperationFailure& failure) {
      Done(index, FormatFailureReport(failure.failure()));
      return Pump();
    }
    if (!run.HoldsAResult(results)) reason = ConverterReason(run);
  }
  states_[index] = State::kFileStep;
  if (run.ConverterStopped() || !run.HoldsAResult(results)) {
    // Nothing of it is kept: the pages it had begun go, off the window's thread.
    run.DiscardOffWindow(outputFolder_, [this, index, reason](std::optional<Failure> failure) {
      Done(index, failure ? FormatFailureReport(*failure) : reason);
      Pump();
    });
    return Pump();
  }
  run.MoveResults(results, outputFolder_, [this, index, results](std::optional<Failure> failure) {
    const DocumentRun& moved = *runs_[index];
    std::string reason;
    if (failure) {
      reason = "i risultati restano in " + workFolder_ + " (" + FormatFailureReport(*failure) + ")";
    } else {
      outputNames_.insert(results.begin(), results.end());
      if (moved.ConverterFailed()) {
        reason = ConverterReason(moved) + "; i risultati sono comunque in output";
      } else {
        ++converted_;
      }
    }
    Done(index, std::move(reason));
    Pump();
  });
  Pump();
}

RunProgress BatchRun::Progress() const {
  RunProgress progress;
  progress.running = Count(State::kDone) < runs_.size();
  if (!progress.running) return {};
  progress.documents = static_cast<int>(runs_.size());
  progress.documentsDone = static_cast<int>(Count(State::kDone));
  progress.document = std::min(progress.documentsDone + 1, progress.documents);
  // The pages of the first document in the batch's order that converts.
  for (size_t i = 0; i < runs_.size(); ++i) {
    if (states_[i] != State::kRunning) continue;
    progress.document = static_cast<int>(i) + 1;
    progress.pagesDone = runs_[i]->Progress().pagesDone;
    progress.pageCount = runs_[i]->Progress().pageCount;
    break;
  }
  return progress;
}

void BatchRun::PutBackIntoOutput() const {
  for (const auto& run : runs_) run->PutBackIntoOutput(outputFolder_);
}

BatchRun::Report BatchRun::MakeReport() const {
  const int documents = static_cast<int>(runs_.size());
  if (stopping_) {
    return {"Conversione interrotta\r\n\r\n" + BatchSummary(converted_, documents, {}),
            kMbIconInformation};
  }
  std::vector<std::string> lines;
  for (size_t i = 0; i < runs_.size(); ++i) {
    if (!failures_[i].empty()) lines.push_back(ReportLine(runs_[i]->SourceName(), failures_[i]));
  }
  lines.insert(lines.end(), skipped_.begin(), skipped_.end());
  return {"Conversione completa\r\n\r\n" + BatchSummary(converted_, documents, lines),
          lines.empty() ? kMbOk : kMbIconExclamation};
}

}  // namespace droplet
