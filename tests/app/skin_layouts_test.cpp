// Hit testing on the three skins: borders, nearest centres, overlaps, the
// shift page's candidate limit and its command resolution.
#include "app/skin_layouts.h"

#include <gtest/gtest.h>

#include <array>

#include "app/remote.h"

namespace zapvane {
namespace {

class HitTestTest : public ::testing::Test {
 protected:
  HitTestTest() { startCatalogue(catalogue, current); }

  // Hit test at a picture position (window row = picture row - 3).
  int32_t at(const SkinLayout& layout, int x, int pictureY, const DeviceProfile& device, bool shiftPage = false) {
    const HitResult hit = hitTest(static_cast<uint16_t>(x), static_cast<uint16_t>(pictureY + kYOffset), layout,
                                  shiftPage, device, 99);
    lastShiftCommand = hit.shiftCommand;
    return hit.result;
  }
  const DeviceProfile& builtIn(int index) { return catalogue.builtIn[static_cast<size_t>(index)]; }

  DeviceCatalogue catalogue;
  CurrentDevice current;
  int32_t lastShiftCommand = 0;
};

TEST_F(HitTestTest, BordersAreOutsideAndFallToTheNearestCentre) {
  const DeviceProfile& sony = builtIn(0);
  EXPECT_EQ(at(tvLayout, 10, 70, sony), 0);   // left edge of "1"
  EXPECT_EQ(at(tvLayout, 50, 90, sony), 0);   // corner shared by nothing: 800 against 1025
  EXPECT_EQ(at(tvLayout, 11, 70, sony), 0);   // just inside
  EXPECT_EQ(at(tvLayout, 53, 70, sony), 1);   // gap between "1" and "2": nearer "2"
  EXPECT_EQ(at(tvLayout, 120, 265, sony), kHitShiftToggle);
  EXPECT_EQ(at(tvLayout, 92, 23, sony), 1);   // the name box is never a result
  EXPECT_EQ(at(tvLayout, 16, 23, sony), kHitPreviousDevice);
  EXPECT_EQ(at(tvLayout, 168, 23, sony), kHitNextDevice);
  EXPECT_EQ(at(tvLayout, 210, 25, sony), 10);  // power
}

TEST_F(HitTestTest, OverlapsOfTheVcrCrossGoToTheEarlierRecord) {
  const DeviceProfile& vcr = builtIn(4);
  EXPECT_EQ(at(vcrLayout, 192, 147, vcr), 5);  // play, not fast forward
  EXPECT_EQ(at(vcrLayout, 157, 147, vcr), 5);  // play, not rewind
  EXPECT_EQ(at(vcrLayout, 192, 182, vcr), 6);  // stop, not fast forward
  EXPECT_EQ(at(vcrLayout, 157, 182, vcr), 6);  // stop, not rewind
  EXPECT_EQ(at(vcrLayout, 225, 165, vcr), 7);
  EXPECT_EQ(at(vcrLayout, 130, 240, vcr), 15);  // F3
}

TEST_F(HitTestTest, WindowRowZeroIsPictureRowThree) {
  const DeviceProfile& sony = builtIn(0);
  // Picture rows 3..6 of the previous-device arrow (top 6): row 3 is outside
  // it but still nearest to it.
  EXPECT_EQ(hitTest(16, 0, tvLayout, false, sony, 0).result, kHitPreviousDevice);
  const WindowRect r = hotSpotWindowRect(tvLayout, 1);
  EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}), (std::array{55, 47, 95, 87}));
}

TEST_F(HitTestTest, NormalPageReturnsCommandsTheDeviceLacksAndKeepsTheShiftCommand) {
  DeviceProfile small;
  small.skinType = kTvSkin;
  small.commandCount = 13;
  EXPECT_EQ(at(tvLayout, 210, 230, small), 16);
  EXPECT_EQ(lastShiftCommand, 99);
}

TEST_F(HitTestTest, ShiftPageOffersOnlyTheDevicesLabels) {
  EXPECT_EQ(at(shiftLayout, 92, 23, builtIn(0), true), kHitPreviousDevice);  // tie with next: earlier wins
  EXPECT_EQ(at(shiftLayout, 120, 150, builtIn(1), true), kHitNextDevice);    // no labels at all
  EXPECT_EQ(at(shiftLayout, 30, 70, builtIn(1), true), kHitPreviousDevice);
  EXPECT_EQ(at(shiftLayout, 210, 238, builtIn(12), true), 2);  // F0 of a 3-label device: F3 is nearest
  EXPECT_EQ(lastShiftCommand, 19);
  EXPECT_EQ(at(shiftLayout, 210, 23, builtIn(12), true), kHitShiftToggle);
  EXPECT_EQ(lastShiftCommand, 0);
  // Inside F1's rectangle but nearer nothing else: the inside test is not made.
  EXPECT_EQ(at(shiftLayout, 31, 71, builtIn(0), true), 0);
  EXPECT_EQ(lastShiftCommand, 17);
}

TEST_F(HitTestTest, UserDeviceLabelSlotsAreItsLastTenCommands) {
  DeviceProfile user;
  user.isLearned = 1;
  user.labelCount = 10;
  for (auto [skin, command] : {std::pair{kTvSkin, 21}, std::pair{kVcrSkin, 17}}) {
    user.skinType = skin;
    user.commandCount = mainPageCommands(skin) + 10;
    EXPECT_EQ(at(shiftLayout, 30, 238, user, true), 4);
    EXPECT_EQ(lastShiftCommand, command);
  }
}

TEST_F(HitTestTest, BuiltInSlotResolvesToTheLastRowMarkedWithIt) {
  // Three rows on a 12-bit table: rows 1 and 2 both claim slot 0.
  const uint32_t table[] = {0x010, 0, 0, 0, 0x020, 0, 1, 0, 0x030, 0, 1, 0};
  DeviceProfile device;
  device.timing.codeBits = 12;
  device.commandCount = 3;
  device.codeTable = table;
  device.labelCount = 1;
  EXPECT_EQ(at(shiftLayout, 30, 70, device, true), 0);
  EXPECT_EQ(lastShiftCommand, 2);
}

}  // namespace
}  // namespace zapvane
