#include "shell/box_position.h"

#include <gtest/gtest.h>

namespace droplet {
namespace {

constexpr ScreenRect kWork{0, 0, 1024, 740};
constexpr ScreenRect kNoOwner{0, 0, 0, 0};

ScreenRect Box(int w, int h) {
  return ScreenRect{500, 500, 500 + w, 500 + h};
}

void ExpectAt(ScreenPoint p, int x, int y) {
  EXPECT_EQ(p.x, x);
  EXPECT_EQ(p.y, y);
}

TEST(ComputeBoxPosition, CentresOnTheOwner) {
  ExpectAt(
      ComputeBoxPosition(Box(300, 120), {100, 100, 900, 700}, kWork, PlacementMode::kCenterOnOwner),
      350, 340);
  // Odd sizes halve toward zero, each half on its own.
  ExpectAt(
      ComputeBoxPosition(Box(301, 121), {0, 0, 801, 601}, kWork, PlacementMode::kCenterOnOwner),
      400 - 150, 300 - 60);
}

TEST(ComputeBoxPosition, CentresOnTheWorkArea) {
  ExpectAt(ComputeBoxPosition(Box(300, 120), kNoOwner, {0, 0, 1023, 740},
                              PlacementMode::kCenterOnWorkArea),
           361, 310);
  ExpectAt(ComputeBoxPosition(Box(300, 120), kNoOwner, {100, 50, 1124, 790},
                              PlacementMode::kCenterOnWorkArea),
           100 + 362, 50 + 310);
}

TEST(ComputeBoxPosition, RightEdgePrefersTheOwnersRightEdge) {
  // The owner's right edge would overflow too: the work area's right edge wins.
  ExpectAt(ComputeBoxPosition(Box(300, 120), {800, 100, 1600, 700}, kWork,
                              PlacementMode::kCenterOnOwner),
           724, 340);
  // A narrow owner near the right edge: the box ends where the owner ends.
  ExpectAt(ComputeBoxPosition(Box(300, 120), {900, 100, 1000, 200}, kWork,
                              PlacementMode::kCenterOnOwner),
           700, 90);
}

TEST(ComputeBoxPosition, OversizedBoxesStartAtTheWorkAreasTopLeft) {
  ExpectAt(ComputeBoxPosition(Box(1200, 900), {100, 100, 900, 700}, kWork,
                              PlacementMode::kCenterOnOwner),
           0, 0);
  ExpectAt(ComputeBoxPosition(Box(1200, 900), kNoOwner, {10, 20, 1034, 760},
                              PlacementMode::kCenterOnWorkArea),
           10, 20);
}

TEST(ComputeBoxPosition, KeepsTheBoxInsideTheWorkArea) {
  // An owner above and left of the work area.
  ExpectAt(ComputeBoxPosition(Box(300, 120), {-500, -400, -100, -100}, {0, 30, 1024, 740},
                              PlacementMode::kCenterOnOwner),
           0, 30);
  // An owner below the bottom edge.
  ExpectAt(
      ComputeBoxPosition(Box(300, 120), {100, 700, 500, 900}, kWork, PlacementMode::kCenterOnOwner),
      150, 620);
  // No owner: the box ends in the top-left corner.
  ExpectAt(ComputeBoxPosition(Box(300, 120), kNoOwner, {40, 30, 1024, 740},
                              PlacementMode::kCenterOnOwner),
           40, 30);
}

}  // namespace
}  // namespace droplet
