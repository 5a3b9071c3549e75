#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "front_end/document_run.h"
#include "front_end/run_progress.h"

namespace droplet {

// Several PDFs converted after one question: each document's run, as many side by side as
// allowed, a failure of one recorded as a line of the report and the rest going on, and one
// report at the end. Two documents whose converters could write one name never run at once,
// and a result name the batch brought into the output folder is never taken again.
// Window thread only, but for PrepareEmptiedOutput.
class BatchRun {
 public:
  // The box that ends the batch.
  struct Report {
    std::string text;
    unsigned style = 0;
  };

  // `pdfs` in the batch's order; `skipped` are the report's lines of the items that were not
  // PDFs. `parallelRuns` documents convert at once at most.
  BatchRun(const DocumentRun::Setup& setup, const std::vector<std::string>& pdfs,
           std::vector<std::string> skipped, size_t parallelRuns, std::string outputFolder);
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  // The output folder is emptied before the batch: the documents that lie inside it are noted
  // and copied now. Off the window's thread, before Start and while nothing else touches the
  // batch but Stop.
  void PrepareEmptiedOutput();
  // The runs of the documents that lie inside the emptied output folder.
  std::vector<const DocumentRun*> RunsInEmptiedOutput() const;

  // Starts the documents, as many as may run. `onProgress` follows every change of Progress();
  // `onOver` comes once, when every document is over, from within a call of the batch.
  void Start(std::function<void()> onProgress, std::function<void()> onOver);
  // "Interrompi conversione": the running converters stop and nothing more starts.
  void Stop();
  bool Stopping() const { return stopping_; }
  // Every run of the batch, for the quit's clean-up.
  std::vector<DocumentRun*> Runs() const;

  // Which document of how many, and the pages of the first that converts.
  RunProgress Progress() const;
  // The PDFs of the emptied output folder that are gone are put back from their copies.
  void PutBackIntoOutput() const;
  // "Conversione completa" with how many were converted and a line for each document that
  // failed or item skipped; after a stop "Conversione interrotta" with how many were converted.
  Report MakeReport() const;
  // Something of the batch reached the output folder.
  bool BroughtResults() const { return !outputNames_.empty(); }

 private:
  // kCopying: its PDF is copied into the scratch area. kFileStep: its results are brought into
  // the output folder, or what it wrote is removed.
  enum class State { kWaiting, kCopying, kRunning, kFileStep, kDone };

  size_t Count(State state) const;
  void Pump();
  // A document's converter has ended: its results are brought into the output folder, or what
  // it wrote goes, off the window's thread.
  void DocumentEnded(size_t index);
  void Done(size_t index, std::string failure);

  std::vector<std::unique_ptr<DocumentRun>> runs_;
  std::vector<State> states_;
  std::vector<std::string> failures_;  // one per document: empty, or why it gave no result
  std::vector<std::string> skipped_;
  std::string outputFolder_;
  std::string workFolder_;
  const ConverterOutputs* outputs_;
  size_t parallelRuns_;
  std::set<std::string> outputNames_;  // what this batch brought into the output folder
  int converted_ = 0;
  bool stopping_ = false;
  bool over_ = false;
  std::function<void()> onProgress_;
  std::function<void()> onOver_;
};

}  // namespace droplet
