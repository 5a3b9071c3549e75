#pragma once

#include <string>
#include <vector>

#include "common/desktop_services.h"
#include "common/failure.h"
#include "files/document_opener.h"
#include "front_end/deliverable.h"
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
class MainWindowWorkflow {
 public:
  MainWindowWorkflow(const Deliverable& deliverable, DesktopServices& desktop,
                     DocumentOpener& opener, std::string programFolder);

  // Form_OLEDragOver: classifies the drag and returns the effect the window accepts.
  unsigned FormOLEDragOver(const DragData& data, unsigned allowedEffects);
  // Form_OLEDragDrop: copies, asks, and runs the conversion before it returns.
  void FormOLEDragDrop(const DragData& data);
  // cmdExecute_Click: the conversion run of the command line field.
  void CmdExecuteClick();

  void MnuInfoClick();      // the About text
  void MnuOpenPathClick();  // opens the output folder
  void MnuSvuotaClick();    // empties the output folder
  // Form_QueryUnload: asks whether to quit. Returns true (cancel) when the window stays; a Yes
  // ends the program through DesktopServices::EndProgram and does not return.
  bool FormQueryUnload();

  std::string Caption() const;  // the window caption set while loading
  const Deliverable& deliverable() const { return deliverable_; }
  const std::string& programFolder() const { return programFolder_; }
  std::string OutputFolder() const;

  // The window's state fields.
  const std::string& DropKind() const { return dropKind_; }             // lblControl
  const std::string& PdfPath() const { return pdfPath_; }               // txtFile
  const std::string& FolderPath() const { return folderPath_; }         // txtCartella
  const std::string& CommandLineField() const { return commandLine_; }  // txtCommand
  const std::string& OutputText() const { return outputText_; }         // txtOutputs
  DOSOutputs& Runner() { return objDOS_; }

 private:
  // Brings the results and the given page images into the output folder; a file that cannot
  // be copied throws, and the caller then leaves the results in the program folder.
  void CopyOutputFiles(const std::vector<std::string>& pageImages);
  // The background images the HTML converter wrote beside the pages in the program folder.
  std::vector<std::string> PageImageNames() const;
  // The result to open: named after the copy without its extension, or after its whole name
  // where the converter kept an extension it does not know as a PDF's.
  std::string ResultPath() const;
  // Deletes by name, whatever their attributes, the copy of the PDF this drop made and the
  // results the converter made from it. The pattern deletions after it stop at a read-only or
  // hidden match, and the run's own files would stop every later run too: a read-only PDF gives a
  // read-only copy, and on POSIX a name with a leading dot gives hidden results.
  void RemoveOwnScratchFiles() const;
  // Empties the output folder before a run, keeping a PDF that was dropped from inside it.
  void EmptyOutputFolder();
  // The run's error report: "description - source - number".
  void ReportFailure(const Failure& failure);

  const Deliverable& deliverable_;
  DesktopServices& desktop_;
  DocumentOpener& opener_;
  std::string programFolder_;

  std::string dropKind_ = "-";
  std::string pdfPath_;
  std::string folderPath_;
  std::string commandLine_;
  std::string outputText_;
  // The name of a PDF dropped from the program folder itself, which the run keeps.
  std::string keepPdfName_;
  // Where a PDF dropped from inside the output folder lay, relative to that folder, when the run
  // empties it; the run puts the PDF back there.
  std::string restorePdfPath_;
  // Whether the drop copied the PDF into the program folder: only then is the copy the run's own.
  bool copyMade_ = false;
  DOSOutputs objDOS_;
};

}  // namespace droplet
