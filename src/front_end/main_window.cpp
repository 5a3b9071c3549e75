#include "front_end/main_window.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "common/failure.h"
#include "common/message_box.h"
#include "common/platform.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

namespace {

const char kKindFile[] = "file";
const char kKindFolder[] = "cartella";
const char kOopsTitle[] = "Ops :-( ";

std::filesystem::path NativePath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(NativePath(path), error);
}

// True when both paths name one existing file, however they are spelled.
bool IsSameFile(const std::string& first, const std::string& second) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(NativePath(first), NativePath(second), error);
  return !error && same;
}

// Where `path` lies inside `folder`, at any depth, relative to it; empty when outside. Parent
// folders are compared as files, so links and different spellings still match.
std::string PathInsideFolder(const std::string& path, const std::string& folder) {
  const std::filesystem::path file = NativePath(path);
  for (std::filesystem::path parent = file.parent_path();
       !parent.empty() && parent != parent.parent_path(); parent = parent.parent_path()) {
    std::error_code error;
    if (std::filesystem::equivalent(parent, NativePath(folder), error) && !error) {
      const std::u8string relative = file.lexically_relative(parent).u8string();
      return std::string(relative.begin(), relative.end());
    }
  }
  return {};
}

// A failure of a file-system call as the run reports it.
void Check(long error, const char* source) {
  if (error != 0) throw OperationFailure({error, DescribeSystemError(error), source});
}

// The page number as the HTML converter writes it into its background images' names: at
// least three digits.
std::string PageNumber(int page) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", page);
  return digits;
}

}  // namespace

MainWindowWorkflow::MainWindowWorkflow(const Deliverable& deliverable, DesktopServices& desktop,
                                       DocumentOpener& opener, std::string programFolder)
    : deliverable_(deliverable),
      desktop_(desktop),
      opener_(opener),
      programFolder_(std::move(programFolder)),
      objDOS_(desktop, deliverable.runnerTexts) {}

std::string MainWindowWorkflow::Caption() const {
  return WindowCaption(deliverable_);
}

std::string MainWindowWorkflow::OutputFolder() const {
  return programFolder_ + Sep() + "output";
}

unsigned MainWindowWorkflow::FormOLEDragOver(const DragData& data, unsigned allowedEffects) {
  pdfPath_.clear();
  folderPath_.clear();
  if (!data.offersFileList) {
    dropKind_ = kKindFolder;
    return kDropEffectNone;
  }
  const unsigned effect = allowedEffects & kDropEffectCopy;
  dropKind_ = kKindFile;
  folderPath_.clear();
  if (!data.paths.empty() && IsFolder(data.paths.front())) {
    dropKind_ = kKindFolder;
    pdfPath_.clear();
  }
  return effect;
}

void MainWindowWorkflow::FormOLEDragDrop(const DragData& data) {
  if (dropKind_ == kKindFolder) {
    desktop_.ShowMessageBox("..Ops... Prossima .. l'implementazione ;-) ", kMbIconExclamation,
                            kOopsTitle);
    return;
  }
  if (dropKind_ != kKindFile || data.paths.empty()) return;

  const std::string& path = data.paths.front();
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

  // A PDF that already lies in the program folder is the user's own file: copying it onto
  // itself could only damage it, and the run must not delete it with the scratch copies.
  const std::string copyPath = programFolder_ + Sep() + name;
  keepPdfName_.clear();
  restorePdfPath_.clear();
  copyMade_ = false;
  if (IsSameFile(path, copyPath)) {
    keepPdfName_ = name;
  } else {
    // A PDF taken from an output folder that the run empties would be gone with it: the run
    // puts it back where it lay.
    if (deliverable_.emptiesOutputBeforeRun)
      restorePdfPath_ = PathInsideFolder(path, OutputFolder());
    copyMade_ = CopySingleFile(pdfPath_, copyPath, desktop_);
  }
  pdfPath_ = GetShortFileName(copyPath);

  const int answer =
      desktop_.ShowMessageBox(deliverable_.confirmationQuestion + "\r\n\r\n(file : " + path + " )",
                              kMbYesNo | kMbIconInformation | kMbSystemModal, ";-)");
  if (answer != kIdYes) {
    desktop_.ShowMessageBox(deliverable_.cancellationMessage, kMbSystemModal, "",
                            BoxPlacement::kCenterOnOwner);
    return;
  }

  outputText_.clear();
  commandLine_ = BuildCommandLine(deliverable_, pdfPath_);
  CmdExecuteClick();
}

void MainWindowWorkflow::CmdExecuteClick() {
  try {
    if (deliverable_.emptiesOutputBeforeRun) EmptyOutputFolder();
    {
      BusyPointerGuard busy(desktop_);
      objDOS_.SetCommandLine(commandLine_);
      objDOS_.ExecuteCommand();
    }
    const std::vector<std::string> pageImages = PageImageNames();
    CopyOutputFiles(pageImages);

    RemoveOwnScratchFiles();
    const std::string scratch = programFolder_ + Sep();
    EliminaFileConAsterisco(scratch, deliverable_.resultPattern);
    for (const std::string& image : pageImages) {
      Check(DeleteOneFile(scratch + image), "CopyOutputFiles");
    }
    EliminaFileConAsterisco(scratch, "*.pdf", keepPdfName_);

    desktop_.ShowMessageBox("Conversione completa", kMbOk, kApplicationTitle);
    OpenDocument(OutputFolder(), "", programFolder_, opener_, desktop_);
    if (desktop_.ShowMessageBox(deliverable_.openResultQuestion, kMbYesNo | kMbIconInformation,
                                kApplicationTitle) == kIdYes) {
      OpenDocument(ResultPath(), "", programFolder_, opener_, desktop_);
    }
  } catch (const OperationFailure& failure) {
    ReportFailure(failure.failure());
  } catch (const std::exception& failure) {
    ReportFailure({0, failure.what(), deliverable_.shortName});
  }
}

void MainWindowWorkflow::CopyOutputFiles(const std::vector<std::string>& pageImages) {
  const std::string scratch = programFolder_ + Sep();
  const std::string output = OutputFolder() + Sep();
  CopiaFileCreaCartella(scratch, output, deliverable_.resultPattern, desktop_);
  for (const std::string& image : pageImages) {
    Check(CopyFileReplacing(scratch + image, output + image), "CopyOutputFiles");
  }
}

std::string MainWindowWorkflow::ResultPath() const {
  const std::string output = OutputFolder() + Sep();
  const std::string named = output + GetFileName(pdfPath_, false) + deliverable_.resultExtension;
  // The converters drop only ".pdf" or ".PDF" from the name; an extension spelled otherwise
  // (".PdF") stays in the result's name.
  const std::string whole = output + GetFileName(pdfPath_, true) + deliverable_.resultExtension;
  std::error_code error;
  if (!std::filesystem::exists(NativePath(named), error) &&
      std::filesystem::exists(NativePath(whole), error)) {
    return whole;
  }
  return named;
}

void MainWindowWorkflow::RemoveOwnScratchFiles() const {
  const std::string scratch = programFolder_ + Sep();
  std::set<std::string> names;
  if (copyMade_) names.insert(GetLastPathPart(pdfPath_));
  // The converter names its results after the copy without ".pdf", or after its whole name
  // when the extension is spelled otherwise.
  for (const std::string& stem : {GetFileName(pdfPath_, false), GetFileName(pdfPath_, true)}) {
    names.insert(stem + deliverable_.resultExtension);
    if (!deliverable_.writesPageImages) continue;
    names.insert(stem + "_ind.html");
    for (int page = 1;; ++page) {
      const std::string name = stem + "-" + std::to_string(page) + ".html";
      std::error_code error;
      if (!std::filesystem::exists(NativePath(scratch + name), error)) break;
      names.insert(name);
    }
  }
  for (const std::string& name : names) {
    std::error_code error;
    if (name.empty() || !std::filesystem::exists(NativePath(scratch + name), error)) continue;
    Check(ForceDeleteFile(scratch + name), "EliminaFileConAsterisco");
  }
}

void MainWindowWorkflow::EmptyOutputFolder() {
  if (restorePdfPath_.empty()) {
    CleanAllPath(OutputFolder());
    return;
  }
  // The dropped PDF's only other copy is the one this drop made in the program folder. Without
  // it (the copy failed) the folder stays as it is rather than lose the user's file.
  if (!copyMade_) return;
  const std::string copy = programFolder_ + Sep() + GetLastPathPart(Sep() + restorePdfPath_);
  CleanAllPath(OutputFolder());
  const std::string original = OutputFolder() + Sep() + restorePdfPath_;
  std::error_code error;
  std::filesystem::create_directories(NativePath(original).parent_path(), error);
  Check(CopyFileReplacing(copy, original), "CopySingleFile");
}

std::vector<std::string> MainWindowWorkflow::PageImageNames() const {
  if (!deliverable_.writesPageImages) return {};
  // Names are compared exactly rather than through a search pattern: a PDF's name may itself
  // hold wildcard characters.
  std::set<std::string> files;
  for (const DirEntry& entry : FindEntries(programFolder_ + Sep() + "*").entries) {
    if (!entry.isDirectory) files.insert(entry.name);
  }
  // The converter names each document's pages NAME-1.html, NAME-2.html, ... and their
  // backgrounds NAME001.png, ...; pages of an earlier run whose results could not be moved are
  // still here and move with theirs.
  const std::string firstPage = "-1.html";
  std::set<std::string> images;  // a set: two stems can name one image (a + 1001, a1 + 001)
  for (const std::string& file : files) {
    if (file.size() < firstPage.size() ||
        file.compare(file.size() - firstPage.size(), firstPage.size(), firstPage) != 0) {
      continue;
    }
    const std::string stem = file.substr(0, file.size() - firstPage.size());
    for (int page = 1; files.count(stem + "-" + std::to_string(page) + ".html") != 0; ++page) {
      for (const char* extension : {".png", ".jpg"}) {
        const std::string image = stem + PageNumber(page) + extension;
        if (files.count(image) != 0) images.insert(image);
      }
    }
  }
  return {images.begin(), images.end()};
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
  try {
    CleanAllPath(OutputFolder());
  } catch (const OperationFailure& failure) {
    // What was deleted stays deleted; the rest is reported instead of a false success.
    ReportFailure(failure.failure());
    return;
  }
  desktop_.ShowMessageBox("Cache svuotata", kMbOk, kApplicationTitle);
}

bool MainWindowWorkflow::FormQueryUnload() {
  if (desktop_.ShowMessageBox(QuitQuestion(deliverable_), kMbYesNo, QuitTitle(deliverable_)) ==
      kIdNo) {
    return true;
  }
  desktop_.EndProgram();
  return false;  // not reached: the program has ended
}

}  // namespace droplet
