#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/desktop_services.h"
#include "common/failure.h"
#include "common/posted_call_guard.h"
#include "common/working_folders.h"
#include "files/document_opener.h"
#include "files/file_operations.h"
#include "front_end/background_step.h"
#include "front_end/batch_run.h"
#include "front_end/deliverable.h"
#include "front_end/document_run.h"
#include "front_end/run_progress.h"

namespace droplet {

inline constexpr unsigned kDropEffectNone = 0;
inline constexpr unsigned kDropEffectCopy = 1;

// What a drag carries, as the GUI backends and the tests hand it to the workflow.
struct DragData {
  bool offersFileList = false;     // the data is a list of files
  std::vector<std::string> paths;  // their full paths, in the order the drag gives them
};

// The main window (Form1) of both programs without its GUI: the drop handling, the conversion
// runs, the menu commands and the quit confirmation. The GUI backends forward their events here.
//
// A drop never holds the window up: the drop handler records the paths and returns, and the
// rest follows from the window's event loop (calls posted through the desktop services): the
// checks, the copy and the confirmation, the emptying of the output folder, then the converter,
// which is waited for on a thread of its own, then the file steps after it. Every file step
// that can take long runs off the window's thread (BackgroundStep); the boxes and the window's
// state stay on the window's thread, in the workflow's order.
//
// One PDF dropped alone is the single run (a DocumentRun), with its every box. Several items, a
// folder, or several files handed over at once are a batch (a BatchRun): one question, the PDFs
// converted side by side (as many at once as the machine has cores, at most four), one report
// at the end. What comes while something converts waits its turn, in order.
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

  // Form_OLEDragOver: classifies the drag and returns the effect the window accepts. While a
  // drop is being handled its fields stay as they are, and a file list is welcome all the same:
  // it waits its turn.
  unsigned FormOLEDragOver(const DragData& data, unsigned allowedEffects);
  // Form_OLEDragDrop: records the drop and returns; its handling follows from the event loop.
  void FormOLEDragDrop(const DragData& data);
  // Files handed to the window otherwise than by a drag (named on the command line, passed on
  // by a second start, chosen in the file dialog): handled exactly as if they had been dropped
  // together; while a drop is being handled they wait their turn.
  void HandleFiles(const std::vector<std::string>& paths);
  void HandleFile(const std::string& path) { HandleFiles({path}); }
  // Files named on the command line of a start, this one's or a later one's that handed them
  // over. "Open with" on several files starts the program once per file: such files wait a
  // moment before their question (kHandOverGathering), and what is handed over while they wait,
  // or while they wait their turn behind a run, joins them as one batch. Otherwise as
  // HandleFiles.
  void HandOverFiles(const std::vector<std::string>& paths);
  static constexpr std::chrono::milliseconds kHandOverGathering{500};
  // At most `count` documents of a batch convert at once (at least one); for measurements.
  void LimitParallelRuns(size_t count);

  void MnuInfoClick();      // the About text
  void MnuOpenPathClick();  // opens the output folder
  // Empties the output folder off the window's thread, after the work that is handled or
  // waits (as a drop waits its turn); drops and another "Svuota cache" meanwhile wait for it.
  void MnuSvuotaClick();
  // "Interrompi conversione": stops every converter and everything they started, and all that
  // waits; the runs then remove what they wrote and "Conversione interrotta" says so.
  void MnuInterrompiClick();
  // Form_QueryUnload: asks whether to quit. Returns true (cancel) when the window stays; a Yes
  // stops the running converters as "Interrompi conversione" does, then ends the program through
  // DesktopServices::EndProgram and does not return.
  bool FormQueryUnload();

  // Tells the user once, at start, when the converter cannot be found; the program goes on.
  void CheckConverter();

  // A drop is being handled, from the drop to the end of its run, or files handed over wait for
  // others to join them.
  bool Busy() const { return busy_ || gathering_; }
  // A conversion runs: "Interrompi conversione" applies.
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
  // What the options dialog's settings asked of the latest drop's run.
  const RunSettings& Settings() const { return settings_; }

 private:
  using Clock = std::chrono::steady_clock;
  struct WaitingDrop {
    DragData data;
    std::string kind;
    bool arrivedDuringRun = false;  // it came while something converted: nothing is emptied
    bool handedOver = false;        // files handed over by starts, which others may join
    Clock::time_point lastJoined;   // when files were last handed over into it
    bool emptyCache = false;        // not a drop: "Svuota cache", which waits its turn as well
  };

  // Queues a drop, or files handed over, and handles it when nothing else is.
  void QueueDrop(const DragData& data, bool handedOver);
  // The drop's handling, from the event loop: the checks, the copy, the confirmation, the run.
  void HandleDrop(const WaitingDrop& drop);
  void HandleDroppedFile(const std::string& path, bool emptyOutput);
  void AskForSingleRun(const std::string& path, bool emptyOutput);
  void StartSingleRun();
  // The single run's converter has ended: the steps after it, or the clean-up of a stop.
  void SingleRunEnded();
  void SingleRunStopped();
  void CompleteSingleRun();
  void FinishSingleRun(const std::vector<std::string>& results);
  // "Conversione completa", and which pages were converted when a range applied.
  std::string CompletionText() const;

  // "Svuota cache" in its turn: the output folder is emptied off the window's thread, then
  // the box says how it went.
  void EmptyCache();
  void ShowCacheEmptied(CleanOutcome outcome);

  // A batch: the PDFs among `items` (and directly inside the folders among them).
  void HandleBatch(const std::vector<std::string>& items, bool emptyOutput);
  void StartBatch();
  void FinishBatch();

  // Runs `work` off the window's thread, then `next` from the event loop once no box is open.
  // What escaped `work` is reported there instead, `next` is skipped and the drop ends.
  void OffWindow(std::function<void()> work, std::function<void()> next);
  // Empties the output folder off the window's thread, keeping the PDFs of `inside` (copied
  // before), then `next`.
  void EmptyOutputThen(std::vector<const DocumentRun*> inside, std::function<void()> next);
  // The settings file as it is now, and the confirmation question with what it adds.
  std::string AskedQuestion(const std::string& path, const std::string& count);
  void SetProgress(const RunProgress& progress);
  void SetBusyPointer(bool busy);
  // The drop's handling is over: the next drop that waits is handled.
  void EndDrop();
  // Starts handling the first drop that waits, unless one is being handled.
  void HandleNextDrop();
  // Posts `step` to the event loop, to run once no box of the program is open.
  void PostStep(std::function<void()> step);
  // Stops every converter, waits for them and for the file steps, and removes what they wrote.
  void StopEverything();

  DocumentRun::Setup RunSetup() const;

  const Deliverable& deliverable_;
  DesktopServices& desktop_;
  DocumentOpener& opener_;
  std::string workFolder_;
  std::string programFolder_;
  SettingsFile settingsFile_;
  // How many documents of a batch run at once.
  size_t parallelRuns_ = 1;

  std::string dropKind_ = "-";
  std::string pdfPath_;
  std::string commandLine_;
  // Read from the settings file for each drop, before its confirmation.
  RunSettings settings_;

  bool busy_ = false;
  bool gathering_ = false;  // handed-over files wait for others to join them
  bool emptyingCache_ = false;
  std::deque<WaitingDrop> waitingDrops_;
  bool pointerBusy_ = false;
  RunProgress progress_;
  std::function<void(const RunProgress&)> progressListener_;
  std::unique_ptr<DocumentRun> single_;
  std::unique_ptr<BatchRun> batch_;
  // After the runs: their file steps are over before they go.
  BackgroundStep fileStep_{desktop_};
  BackgroundStep handOverWait_{desktop_};
  PostedCallGuard posted_;  // last: it goes first, before anything a posted call would touch
};

}  // namespace droplet
