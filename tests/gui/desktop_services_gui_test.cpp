// The Qt desktop services on a real display: the busy pointer reaches the screen while the
// caller blocks, and the boxes carry the application's title.

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <chrono>
#include <thread>

#include "common/message_box.h"
#include "front_end/desktop_services_qt.h"
#include "gui_fixture.h"
#include "x11_support.h"

namespace droplet::testing {
namespace {

TEST_F(GuiTest, BusyPointerShowsDuringABlockingCallAndIsRestored) {
  Form1& form = ShowForm(TessikDeliverable());
  QCursor::setPos(OpaquePoint());
  QTest::qWait(300);
  const std::uint64_t normal = x11::ShownCursorSerial();
  if (normal == 0) GTEST_SKIP() << "the X server does not report its cursor";

  QtDesktopServices desktop;
  {
    BusyPointerGuard outer(desktop);
    BusyPointerGuard inner(desktop);  // nested guards keep it busy until the last one goes
    // No event is processed from here on, as during a conversion.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_NE(x11::ShownCursorSerial(), normal);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(desktop.busyDepth(), 2);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(x11::ShownCursorSerial(), normal);

  desktop.SetBusyPointer(false);  // an extra restore changes nothing
  EXPECT_EQ(desktop.busyDepth(), 0);
  {
    QtDesktopServices forgetful;
    forgetful.SetBusyPointer(true);
  }  // services that go restore what they set
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(form.isVisible());
}

// A box without a title of its own carries the application's; an empty title stays empty.
TEST_F(GuiTest, BoxesWithoutTitleCarryTheApplicationsTitle) {
  ShowForm(OrvaneDeliverable());
  QtDesktopServices desktop;
  answerer_->Answer(QMessageBox::Yes);
  EXPECT_EQ(desktop.ShowMessageBox("Domanda\rseconda riga", kMbYesNo | kMbIconExclamation,
                                   kApplicationTitle),
            kIdYes);
  EXPECT_EQ(desktop.ShowMessageBox("Annullata", kMbSystemModal, "", BoxPlacement::kCenterOnOwner),
            kIdOk);
  ASSERT_EQ(answerer_->boxes().size(), 2u);
  EXPECT_EQ(answerer_->boxes()[0].title, QStringLiteral("Orvane"));
  EXPECT_EQ(answerer_->boxes()[0].text, QStringLiteral("Domanda\nseconda riga"));
  EXPECT_EQ(answerer_->boxes()[0].icon, QMessageBox::Warning);
  EXPECT_EQ(answerer_->boxes()[1].title, QString());
  EXPECT_EQ(answerer_->boxes()[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

}  // namespace
}  // namespace droplet::testing
