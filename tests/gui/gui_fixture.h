#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/document_opener.h"
#include "front_end/deliverable.h"
#include "front_end/main_window_qt.h"
#include "support/qt_support.h"
#include "support/recording_opener.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace droplet::testing {

// A QApplication on the X display, a temporary program folder and one main window in it.
class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates and shows the window of `deliverable` at `position`, waiting until it is exposed.
  Form1& ShowForm(const Deliverable& deliverable, QPoint position = QPoint(420, 300));
  // A press of the right button at `at` (window coordinates), choosing the entry `actionName`.
  // Returns where the menu showed (global), or an invalid point when it did not.
  QPoint ChooseMenuEntry(const char* actionName, QPoint at = QPoint(60, 40));
  // Drags from the helper program onto the global point `target` with real mouse events and
  // waits until the drag has ended and, with `waitForTheRun`, until the window has done with
  // the drop; returns the drop action the source reports (-1: none).
  int DragOnto(QPoint target, const QStringList& sourceArguments, bool waitForTheRun = true);
  // Runs xdotool with `arguments` (real input through the X server) and waits for it.
  static void Xdotool(const QStringList& arguments);
  // The screen's pixels under a window-relative rectangle of the form.
  QImage GrabForm();
  // A global point over an opaque picture pixel, and over a cut-away one.
  QPoint OpaquePoint() const;
  QPoint CutAwayPoint() const;

  // Starts openbox for this test; false (and the test should skip) when it cannot run.
  bool StartWindowManager();

  std::string ProgramFile(const std::string& name) const { return folder_ / name; }

  TempFolder folder_;
  TempFolder sources_;  // files the tests drag from
  // What the window would have opened instead of starting a file manager or viewer.
  std::vector<RecordingOpener::Request> opened_;
  std::vector<std::string> Opened() const { return RecordingOpener::TargetsOf(opened_); }
  std::unique_ptr<BoxAnswerer> answerer_;
  std::unique_ptr<Form1> form_;
  QProcess windowManager_;
};

}  // namespace droplet::testing
