#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/desktop_services.h"
#include "common/failure.h"
#include "common/posted_call_guard.h"
#include "common/working_folders.h"
#include "files/document_opener.h"
#include "files/entry_stamps.h"
#include "front_end/deliverable.h"
#include "front_end/run_progress.h"
#include "runner/dos_outputs.h"

namespace droplet {

inline constexpr unsigned kDropEffectNone = 0;
inline constexpr unsigned kDropEffectCopy = 1;

// What a drag carries, as the GUI backends and the tests hand it to the workflow.
struct DragData {
  bool offersFileList = false;     // the data is a list of files
  std::vector<std::string> paths;  // their full paths; only the first one is used
};

// The main window (Form1) of both programs without its GUI: the drop handling, the conversion
// run, the menu commands and the quit confirmation. The GUI backends forward their events here.
//
// A drop never holds the window up: the drop handler records the paths and returns, and the
// rest follows from the window's event loop (calls posted through the desktop services): the
// checks, the copy and the confirmation, then the converter, which is waited for on a thread of
// its own, then the steps after it. Everything but that waiting runs on the window's thread.
class MainWindowWorkflow {
 public:
  // `folders.work` is the scratch area, whose "output" folder receives the results;
  // `folders.program` holds the program file, beside which the converter is looked for first;
  // `folders.settings` holds the settings file that every run reads.
  MainWindowWorkflow(const Deliverable& deliverable, DesktopServices& desktop,
                     DocumentOpener& opener, WorkingFolders folders);
  // A portable program: it works in its own folder.
  MainWindowWorkflow(const Deliverable& deliverable, DesktopServices& desktop,
                     DocumentOpener& opener, const std::string& programFolder)
      : MainWindowWorkflow(
            deliverable, desktop, opener,
            {.program = programFolder, .work = programFolder, .settings = programFolder}) {}
  ~MainWindowWorkflow();
  MainWindowWorkflow(const MainWindowWorkflow&) = delete;
  MainWindowWorkflow& operator=(const MainWindowWorkflow&) = delete;

  // Form_OLEDragOver: classifies the drag and returns the effect the window accepts: none while
  // an earlier drop is being handled, whose fields stay as they are.
  unsigned FormOLEDragOver(const DragData& data, unsigned allowedEffects);
  // Form_OLEDragDrop: records the drop and returns; its handling follows from the event loop.
  // Refused while an earlier drop is being handled.
  void FormOLEDragDrop(const DragData& data);
  // A file handed to the window otherwise than by a drag (named on the command line, passed on
  // by a second start, chosen in the file dialog): handled exactly as if it had been dropped;
  // while a drop is being handled it waits its turn instead of being refused.
  void HandleFile(const std::string& path);
  // cmdExecute_Click: starts the conversion run of the command line field. The converter runs
  // on after this returns; the run ends on the window's thread.
  void CmdExecuteClick();

  void MnuInfoClick();      // the About text
  void MnuOpenPathClick();  // opens the output folder
  void MnuSvuotaClick();    // empties the output folder
  // "Interrompi conversione": stops the converter and everything it started; the run then
  // removes what it wrote and says "Conversione interrotta".
  void MnuInterrompiClick();
  // Form_QueryUnload: asks whether to quit. Returns true (cancel) when the window stays; a Yes
  // stops a running converter as "Interrompi conversione" does, then ends the program through
  // DesktopServices::EndProgram and does not return.
  bool FormQueryUnload();

  // Tells the user once, at start, when the converter cannot be found; the program goes on.
  void CheckConverter();

  // A drop is being handled, from the drop to the end of its run.
  bool Busy() const { return busy_; }
  // The converter runs: "Interrompi conversione" applies.
  bool Running() const { return progress_.running; }
  const RunProgress& Progress() const { return progress_; }
  // Called on the window's thread whenever the progress changes, at the start and the end of
  // every run included.
  void SetProgressListener(std::function<void(const RunProgress&)> listener);

  std::string Caption() const;  // the window caption set while loading
  const Deliverable& deliverable() const { return deliverable_; }
  const std::string& workFolder() const { return workFolder_; }
  const std::string& programFolder() const { return programFolder_; }
  // The settings file of the options dialog, as the runs read it.
  const SettingsFile& settingsFile() const { return settingsFile_; }
  std::string OutputFolder() const;

  // The window's state fields.
  const std::string& DropKind() const { return dropKind_; }             // lblControl
  const std::string& PdfPath() const { return pdfPath_; }               // txtFile
  const std::string& CommandLineField() const { return commandLine_; }  // txtCommand
  const std::string& OutputText() const { return outputText_; }         // txtOutputs
  // What the options dialog's settings asked of the latest drop's run.
  const RunSettings& Settings() const { return settings_; }
  DOSOutputs& Runner() { return objDOS_; }

 private:
  // The drop's handling, from the event loop: the checks, the copy, the confirmation, the run.
  void HandleDrop(const DragData& data, const std::string& dropKind);
  void HandleDroppedFile(const std::string& path);
  // The converter has ended: the steps after it, or the clean-up of a stopped run.
  void ConverterEnded(const DOSOutputs::RunEnd& end);
  void CompleteRun();
  // Copies `source` into the scratch area under a name that nothing there has and under which
  // the converter would write over nothing that lies there: `name`, else "NAME (2).pdf", ...
  // Returns the copy's path (with copyMade_ false when the copy failed, and its message shown).
  std::string MakeScratchCopy(const std::string& source, const std::string& name);
  // The name the converter is given (the copy's short name), after which it names its outputs.
  std::string ConverterInputName() const;
  // What the converter wrote for this run's copy since it started: new or changed entries of
  // the scratch area that it names after the copy. Nothing else is the run's to move or delete.
  std::vector<std::string> WrittenOutputs() const;
  // The converter ended with a failure, or never started.
  bool ConverterFailed() const;
  // Brings `results` into the output folder; a file that cannot be copied throws, and the
  // caller then leaves the results in the program folder.
  void CopyOutputFiles(const std::vector<std::string>& results);
  // The result to open, in the output folder.
  std::string ResultPath() const;
  // Deletes by name, whatever their attributes, `outputs` and the copy of the PDF this drop
  // made, and nothing else.
  void RemoveRunFiles(const std::vector<std::string>& outputs) const;
  // After a stop: deletes what the converter had begun to write and the run's copy of the PDF,
  // leaving every file that was there before the run.
  void RemovePartialResults() const;
  // Empties the output folder before a run, keeping a PDF that was dropped from inside it.
  void EmptyOutputFolder();
  // Puts a PDF dropped from inside the output folder back where it lay, when it is gone.
  void RestoreDroppedPdf() const;
  // Stops the converter and the watcher and waits for both, from the window's thread.
  void StopConverterAndWait();
  void StartProgress();
  // A count the progress watcher found, for `field` of the progress, from its own thread.
  void PostProgress(int RunProgress::*field, int value);
  void SetProgress(const RunProgress& progress);
  // What the missing-results box adds: the page range asked for, the converter's exit status
  // and its last lines.
  std::string ConverterDiagnosis() const;
  // "Conversione completa", and which pages were converted when a range applied.
  std::string CompletionText() const;
  // The run's error report: "description - source - number".
  void ReportFailure(const Failure& failure);
  // Runs a step of the drop's handling; a failure that escapes it is reported.
  template <typename Step>
  void Trapped(Step&& step);
  // The drop's handling is over: the next drop is welcome, and the next one waiting is handled.
  void EndDrop();
  // Starts handling the first drop that waits, unless one is being handled.
  void HandleNextDrop();

  std::string ScratchPath(const std::string& name) const;
  bool EntryExists(const std::string& path) const;

  const Deliverable& deliverable_;
  DesktopServices& desktop_;
  DocumentOpener& opener_;
  std::string workFolder_;
  std::string programFolder_;
  SettingsFile settingsFile_;

  std::string dropKind_ = "-";
  std::string pdfPath_;
  std::string commandLine_;
  std::string outputText_;
  // Where a PDF dropped from inside the output folder lay, relative to that folder, when the run
  // empties it; the run puts the PDF back there.
  std::string restorePdfPath_;
  // Whether the drop copied the PDF into the program folder: only then is the copy the run's own.
  bool copyMade_ = false;
  // Read from the settings file for each drop, before its confirmation.
  RunSettings settings_;

  bool busy_ = false;
  // Files handed over while a drop was being handled, each with its kind, in their order.
  std::deque<std::pair<DragData, std::string>> waitingDrops_;
  bool pointerBusy_ = false;
  RunProgress progress_;
  PageLineCounter pageLines_;
  std::function<void(const RunProgress&)> progressListener_;
  // The scratch area's entries as the converter found them: the run's outputs are what it
  // wrote after.
  FolderStamps stampsBeforeRun_;
  // How the latest converter ended.
  DOSOutputs::RunEnd runEnd_;
  std::unique_ptr<ProgressWatcher> watcher_;
  DOSOutputs objDOS_;
  PostedCallGuard posted_;  // last: it goes first, before anything a posted call would touch
};

}  // namespace droplet
