// How a failure travels: thrown with the system's own description, and shown once it escapes a
// window event, in the form of the run's reports.

#include "common/failure.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/desktop_services.h"
#include "common/message_box.h"
#include "support/scripted_desktop.h"

namespace droplet::testing {
namespace {

TEST(ThrowIfFailed, NothingForZeroAndTheSystemsTextForAnError) {
  EXPECT_NO_THROW(ThrowIfFailed(0, "CleanAllPath"));
  try {
    ThrowIfFailed(2, "CleanAllPath");
    ADD_FAILURE() << "nothing thrown";
  } catch (const OperationFailure& failure) {
    EXPECT_EQ(failure.failure().number, 2);
    EXPECT_EQ(failure.failure().description, DescribeSystemError(2));
    EXPECT_EQ(failure.failure().source, "CleanAllPath");
  }
}

TEST(ShowingFailures, ShowsWhatEscapesAsTheRunReportsItAndTellsWhetherTheStepRanThrough) {
  ScriptedDesktop desktop;
  EXPECT_TRUE(ShowingFailures(desktop, "Orvane", [] {}));
  EXPECT_FALSE(ShowingFailures(desktop, "Orvane", [] {
    throw OperationFailure({5, "Accesso negato", "CleanAllPath"});
  }));
  EXPECT_FALSE(ShowingFailures(desktop, "Orvane", [] { throw std::runtime_error("guasto"); }));
  EXPECT_EQ(desktop.texts(),
            (std::vector<std::string>{"Accesso negato - CleanAllPath - 5", "guasto - Orvane - 0"}));
  for (const RecordedBox& box : desktop.boxes()) {
    EXPECT_EQ(box.style, kMbOk);
    EXPECT_EQ(box.title, kApplicationTitle);
  }
}

}  // namespace
}  // namespace droplet::testing
