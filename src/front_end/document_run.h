#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/desktop_services.h"
#include "common/failure.h"
#include "common/posted_call_guard.h"
#include "files/entry_stamps.h"
#include "front_end/background_step.h"
#include "front_end/deliverable.h"
#include "front_end/run_progress.h"
#include "runner/dos_outputs.h"

namespace droplet {

// One PDF through the converter: its scratch copy, the converter run on it, and what that run
// wrote. It owns exactly its copy and the files its converter wrote from the copy's name while
// it ran (the deliverable's ConverterOutputs says which names those are); it moves and deletes
// nothing else. Every call belongs to the window's thread, but for the file steps that run off
// it while the window leaves the run alone (the copy, the emptying of the output folder).
class DocumentRun {
 public:
  struct Setup {
    const Deliverable* deliverable = nullptr;
    DesktopServices* desktop = nullptr;
    std::string workFolder;     // the scratch area
    std::string programFolder;  // where the converter is looked for first
    RunSettings settings;       // what the options asked of the run
  };

  DocumentRun(Setup setup, std::string source);
  // Stops a converter still running and waits for it and for a file step under way.
  ~DocumentRun();
  DocumentRun(const DocumentRun&) = delete;
  DocumentRun& operator=(const DocumentRun&) = delete;

  // The PDF as it was handed over, and its name.
  const std::string& Source() const { return source_; }
  std::string SourceName() const;

  // Copies the PDF into the scratch area under a name that nothing there has and under which
  // the converter would write over nothing that lies there, nor over one of `taken` (names
  // that other documents of the same batch put into the output folder): its own name, else
  // "NAME (2).pdf", ... Returns 0, or the system's code of a copy that failed.
  // A copy made before goes first.
  long Copy(const std::set<std::string>& taken);
  // Copy on a thread of its own, for a large PDF; `onDone` runs on the window's thread with
  // Copy's result, or the failure that escaped it.
  void CopyOffWindow(std::set<std::string> taken,
                     std::function<void(long error, std::optional<Failure> failure)> onDone);
  bool CopyMade() const { return copyMade_; }
  // The copy was made some time ago: whether the converter, given it, would still write over
  // nothing that lies in the scratch area now, nor over one of `taken`.
  bool CopyStillFree(const std::set<std::string>& taken) const;
  // The copy's path as the converter gets it (its short form), or, without a copy, a path under
  // which nothing lies.
  const std::string& PdfPath() const { return pdfPath_; }
  // The copy's name as the converter gets it, after which it names its outputs.
  std::string InputName() const;
  // `outputFolder` is emptied before this run: when the PDF lies inside it, at any depth, the
  // run keeps where, so that it is put back from the copy (PutBackIntoOutput). Returns whether
  // it lies there.
  bool NoteEmptiedOutput(const std::string& outputFolder);
  bool LiesInEmptiedOutput() const { return !restoreFromOutput_.empty(); }
  // Puts a PDF that lay inside the emptied output folder back where it lay, when it is gone.
  void PutBackIntoOutput(const std::string& outputFolder) const;

  // What the options ask of the run, read once the user has been asked.
  void SetSettings(const RunSettings& settings) { setup_.settings = settings; }
  std::string CommandLine() const;
  // Starts the converter. `onEnd` runs on the window's thread once it has ended (or failed to
  // start); `onProgress` whenever its progress changes.
  void Start(std::function<void()> onEnd, std::function<void()> onProgress);
  bool Running() const { return running_; }
  // Stops the converter and all it started; `onEnd` still follows. Before the start it marks
  // the run as one that must not start.
  void Stop();
  bool StopAsked() const { return stopAsked_; }
  // Stops the converter and waits for it, on the window's thread.
  void StopAndWait();
  // Waits for a file step under way (CopyOffWindow, MoveResults, DiscardOffWindow); its
  // `onDone` still comes through the event loop.
  void WaitForFileStep() { fileStep_.Wait(); }

  const DOSOutputs::RunEnd& End() const { return end_; }
  // The converter ended with a failure status, was ended by a signal, or never started.
  bool ConverterFailed() const;
  bool ConverterStopped() const { return end_.stopped; }
  // The pages as far as this run knows them.
  const RunProgress& Progress() const { return progress_; }
  int PagesConverted() const { return pageLines_.pages(); }

  // What the converter wrote for the copy since it started, in name order.
  std::vector<std::string> WrittenOutputs() const;
  // Whether `outputs` hold the main result (a name of the deliverable's result pattern).
  bool HoldsAResult(const std::vector<std::string>& outputs) const;
  // Brings `results` into `outputFolder` and then removes them and the copy from the scratch
  // area, on a thread of its own; `onDone` runs on the window's thread with the failure, if any.
  // The results are renamed where the system allows it. A failure leaves every result and the
  // copy where they are.
  void MoveResults(std::vector<std::string> results, const std::string& outputFolder,
                   std::function<void(std::optional<Failure>)> onDone);
  // Deletes by name, whatever their attributes, `outputs` and the copy this run made.
  void RemoveRunFiles(const std::vector<std::string>& outputs) const;
  // After a stop or a failure: what the converter wrote, and the copy.
  void RemovePartialResults() const { RemoveRunFiles(WrittenOutputs()); }
  // A run that ends without results, or never starts: the PDF is put back into the emptied
  // output folder when it lay there, then what the run made goes (the copy, and what a started
  // converter wrote, unless MoveResults took it over). A copy that is the PDF's only one left
  // stays.
  void Discard(const std::string& outputFolder) const;
  // Discard on a thread of its own, for the hundreds of pages a stopped run may leave; `onDone`
  // runs on the window's thread with the failure, if any.
  void DiscardOffWindow(const std::string& outputFolder,
                        std::function<void(std::optional<Failure>)> onDone);

  // The result to open, in `outputFolder`.
  std::string ResultPath(const std::string& outputFolder) const;
  // The converter's exit status and last lines of output, lines separated by CR LF.
  std::string Diagnosis(size_t lines) const;
  // The converter's last line of output, or empty text.
  std::string LastLine() const;

 private:
  void StartProgress();
  void PostProgress(int RunProgress::*field, int value);
  void SetProgress(const RunProgress& progress);
  std::string ScratchPath(const std::string& name) const;
  // Whether the converter, given `pdfName`, would write over an entry of `present` or a name of
  // `taken`.
  bool WritesOver(const std::string& pdfName, const FolderStamps& present,
                  const std::set<std::string>& taken) const;

  Setup setup_;
  std::string source_;
  std::string pdfPath_;
  bool copyMade_ = false;
  std::string restoreFromOutput_;  // where the PDF lay in the emptied output folder
  bool stopAsked_ = false;
  bool running_ = false;
  bool started_ = false;
  bool resultsSettled_ = false;  // brought into the output folder, or left where the move failed
  DOSOutputs::RunEnd end_;
  std::string outputText_;  // the end of it only
  PageLineCounter pageLines_;
  RunProgress progress_;
  std::function<void()> onProgress_;
  FolderStamps stampsBeforeRun_;
  std::unique_ptr<ProgressWatcher> watcher_;
  BackgroundStep fileStep_;
  DOSOutputs runner_;
  PostedCallGuard posted_;  // last: it goes first, before anything a posted call would touch
};

// Empties `outputFolder` before the runs start, keeping the PDFs of `runs` that lie inside it:
// their copies were made first, and each is put back where it lay, also when the emptying fails
// part way. Without the copy of one of them the folder stays as it is rather than lose the
// user's file. Runs off the window's thread.
void EmptyOutputKeeping(const std::string& outputFolder,
                        const std::vector<const DocumentRun*>& runs);

}  // namespace droplet
