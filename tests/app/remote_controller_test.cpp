// The main window's logic driven without a display: taps, the press
// feedback, device switching, the shift page, menu commands, auto adjust's
// ending tap and shutdown.
#include "app/pen_and_menu.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <thread>

#include "app/user_device_actions.h"
#include "storage/settings_file.h"
#include "app/remote.h"
#include "platform/virtual_platform.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

// Records what the controller asked of the window, one word per call.
class RecordingWindow final : public WindowServices {
 public:
  void show(const Message& message) override { calls += "message(" + message.caption + ") "; }
  void invertHotSpot(int32_t r) override { calls += "invert(" + std::to_string(r) + ") "; }
  void repaintNow() override { calls += "repaint "; }
  void updateMenuStates() override { calls += "menus "; }
  void runDialog(DialogId dialog) override {
    static const char* const names[] = {"about", "selectDevices", "setupIrPort", "userDevices", "learnFunction",
                                        "commandProperties"};
    calls += std::string("dialog(") + names[static_cast<int>(dialog)] + ") ";
  }
  void sleepMilliseconds(int32_t ms) override { calls += "sleep(" + std::to_string(ms) + ") "; }
  void destroyWindow() override { calls += "destroy "; }
  std::string take() { return std::exchange(calls, ""); }
  std::string calls;
};

// A capture's reports, kept for the test thread to look at after a join.
class RecordingLearnWindow final : public LearnWindow {
 public:
  void updateMenuStates() override {}
  void repaintNow() override {}
  void report(LearnReport report) override { reported.push_back(report); }
  std::vector<LearnReport> reported;
};

class RemoteControllerTest : public ::testing::Test {
 protected:
  RemoteControllerTest() {
    platform.realFiles = true;
    platform.realSleeps = true;  // the test thread lifts the pen while the worker pauses
    startCatalogue(remote.catalogue, remote.current);
    remote.timer.calibrateTimer();
    remote.attachWindow(&window, &learnWindow);
  }
  void TearDown() override {
    remote.pen.buttonHeld = false;
    remote.worker.join();
    remote.port.captureStop = true;
    remote.learnWorker.join();
  }

  void select(std::initializer_list<int32_t> entries, int32_t pos = 0) {
    remote.selection = {};
    for (int32_t e : entries) remote.selection.entries[static_cast<size_t>(remote.selection.selectionCount++)] = e;
    remote.settings.savedSelectionPos = pos;
    remote.showSavedDevice();
  }
  // A pen down on the centre of a hot spot, in window coordinates.
  void tap(const SkinLayout& layout, int32_t result) {
    const HotSpot& spot = layout.spotFor(result);
    remote.penDown(static_cast<uint16_t>(spot.centreX), static_cast<uint16_t>(spot.centreY + kYOffset));
  }
  const IrSettings& stored() {
    loadSettings(storedSettings, testing::disk(), files.settings, std::nullopt);
    return storedSettings;
  }

  testing::TestFolder folder;
  DataFiles files = DataFiles::in(folder.path().string());
  IrSettings storedSettings;
  VirtualPlatform platform;
  std::ostringstream err;
  Remote remote{platform, files, err};
  RecordingWindow window;
  RecordingLearnWindow learnWindow;
};

TEST_F(RemoteControllerTest, EmptySelectionOpensSelectDevicesAndShowsTheBareSkin) {
  tap(tvLayout, 1);
  EXPECT_EQ(window.take(), "dialog(selectDevices) ");
  remote.penUp();
  EXPECT_EQ(window.take(), "");
  EXPECT_EQ(remote.skinView().picture, SkinView::tv);
  EXPECT_FALSE(remote.skinView().showName);
}

TEST_F(RemoteControllerTest, HeldCommandSendsItsCodeUntilThePenComesUp) {
  select({0});
  tap(tvLayout, 1);  // "2" of SONY - TV: 0x810
  EXPECT_EQ(window.take(), "invert(1) sleep(10) ");
  EXPECT_TRUE(remote.pen.buttonHeld);
  EXPECT_TRUE(remote.worker.running());
  remote.penUp();
  EXPECT_EQ(window.take(), "repaint ");
  EXPECT_FALSE(remote.pen.buttonHeld);
  remote.worker.join();
  ASSERT_GE(platform.frames.size(), 1u);
  std::string bits;
  for (size_t i = 1; i < platform.frames[0].size(); ++i) bits += platform.frames[0][i].bytes == 5 ? '1' : '0';
  EXPECT_EQ(bits, "100000010000");
}

TEST_F(RemoteControllerTest, TapsThatCannotSendDoNothing) {
  select({1, 4});  // SONY Tape A (13 commands, 0 absent), SONY - VCR1
  tap(vcrLayout, 0);
  tap(vcrLayout, 13);  // F1 beyond the device's commands
  EXPECT_EQ(window.take(), "");
  remote.port.portBusy = true;
  tap(vcrLayout, kHitNextDevice);
  EXPECT_EQ(window.take(), "");
  remote.port.portBusy = false;
  tap(vcrLayout, kHitNextDevice);
  window.take();
  tap(vcrLayout, 13);  // SONY - VCR1 sends its first shift-page command from F1
  EXPECT_EQ(window.take(), "invert(13) sleep(10) ");
}

TEST_F(RemoteControllerTest, PreviousAndNextWrapAndSaveThePosition) {
  select({0, 12, 29}, 0);
  tap(tvLayout, kHitPreviousDevice);
  EXPECT_EQ(window.take(), "invert(-2) sleep(200) repaint ");
  EXPECT_EQ(remote.current.catalogueIndex, 29);
  EXPECT_EQ(stored().savedSelectionPos, 2);
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(remote.current.catalogueIndex, 0);
  EXPECT_EQ(stored().savedSelectionPos, 0);
  select({12});
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(remote.current.catalogueIndex, 12);
  EXPECT_EQ(window.take(), "invert(-1) sleep(200) repaint invert(-1) sleep(200) repaint ");
}

TEST_F(RemoteControllerTest, SelectionEntryOutsideTheCatalogueShowsTheFirstDevice) {
  select({5, 12});
  remote.selection.entries[1] = 500;
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(remote.current.catalogueIndex, 0);
}

TEST_F(RemoteControllerTest, ShiftPageStaysAcrossSwitchesAndShowsTheNewLabels) {
  select({0, 12});
  tap(tvLayout, kHitShiftToggle);
  EXPECT_EQ(window.take(), "invert(-3) sleep(200) repaint ");
  ASSERT_TRUE(remote.pen.shiftPage);
  SkinView view = remote.skinView();
  EXPECT_EQ(view.picture, SkinView::shift);
  ASSERT_EQ(view.labels.size(), 9u);
  EXPECT_EQ(view.labels[0].second, u"TV/AV");
  tap(shiftLayout, kHitNextDevice);
  view = remote.skinView();
  EXPECT_EQ(view.name, u"PANASONIC - TV");
  ASSERT_EQ(view.labels.size(), 3u);
  EXPECT_EQ(view.labels[1], std::make_pair(1, std::u16string(u"Teltext")));
  tap(shiftLayout, 2);  // "Info": command 19
  EXPECT_EQ(remote.pen.shiftCommand, 19);
  remote.penUp();
  remote.worker.join();  // the port is busy until the worker has ended
  tap(shiftLayout, kHitShiftToggle);
  EXPECT_FALSE(remote.pen.shiftPage);
}

TEST_F(RemoteControllerTest, LabelRectanglesSitBesideTheirButtons) {
  const auto ltrb = [](const WindowRect& r) { return std::array{r.left, r.top, r.right, r.bottom}; };
  EXPECT_EQ(ltrb(labelRect(0)), (std::array{60, 47, 115, 87}));
  EXPECT_EQ(ltrb(labelRect(9)), (std::array{125, 215, 180, 255}));
}

TEST_F(RemoteControllerTest, LearningModeRefusesMenuCommandsAndTheDeviceButtons) {
  select({0, 12});
  remote.learning.learningMode = true;
  for (MenuCommand id : {MenuCommand::about, MenuCommand::exit, MenuCommand::selectDevices, MenuCommand::setupIrPort, MenuCommand::sound, MenuCommand::startLearn}) {
    remote.command(id);
    EXPECT_EQ(window.take(), "message(Learning Mode) ") << static_cast<int>(id);
  }
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(remote.current.catalogueIndex, 0);
  remote.command(MenuCommand::stopLearn);
  EXPECT_EQ(window.take(), "dialog(learnFunction) ");
  remote.learning.captureRunning = true;
  remote.command(MenuCommand::stopLearn);
  remote.learning.learningMode = false;
  remote.learning.captureRunning = false;
  remote.command(MenuCommand::stopLearn);
  EXPECT_EQ(window.take(), "");
}

TEST_F(RemoteControllerTest, SoundTogglesBetweenOneAndZeroAndIsSaved) {
  select({0});
  remote.settings.soundOn = 2;
  remote.command(MenuCommand::sound);
  EXPECT_EQ(remote.settings.soundOn, 1);
  EXPECT_EQ(window.take(), "menus ");
  remote.command(MenuCommand::sound);
  EXPECT_EQ(stored().soundOn, 0);
  remote.command(MenuCommand::sound);
  EXPECT_EQ(remote.settings.soundOn, 1);
}

TEST_F(RemoteControllerTest, AutoAdjustIgnoresCommandsAndEndsAtTheNextTapWhileHeld) {
  select({0, 12}, 1);
  remote.autoAdjustActive = true;
  remote.command(MenuCommand::setupIrPort);
  remote.command(MenuCommand::exit);
  EXPECT_EQ(window.take(), "");
  tap(tvLayout, 1);  // an ordinary tap: starts repeating
  window.take();
  remote.penUp();  // lifting the pen neither repaints nor stops it
  EXPECT_EQ(window.take(), "");
  EXPECT_TRUE(remote.pen.buttonHeld);
  // Once the worker runs (it starts the candidates from 0), say it has
  // reached -2 and tap anywhere.
  while (platform.frameCount == 0) std::this_thread::yield();
  DeviceProfile& device = *remote.current.device.load();
  device.spaceAdjust = -2;
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(window.take(), "repaint ");
  EXPECT_FALSE(remote.autoAdjustActive);
  remote.worker.join();
  EXPECT_EQ(stored().spaceAdjust, -2);
  EXPECT_EQ(stored().savedSelectionPos, 1);
  EXPECT_EQ(remote.current.catalogueIndex, 12);  // the ending tap switched nothing
}

TEST_F(RemoteControllerTest, ShutdownStopsTheWorkerBeforeThePortGoes) {
  select({0});
  tap(tvLayout, 1);
  remote.autoAdjustActive = true;
  remote.shutdown();
  EXPECT_FALSE(remote.worker.running());
  EXPECT_FALSE(remote.port.portBusy);
  EXPECT_NE(window.take().find("sleep(500)"), std::string::npos);
}

class LearningTapTest : public RemoteControllerTest {
 protected:
  void SetUp() override {
    RemoteControllerTest::SetUp();
    ASSERT_EQ(createUserDevice(remote, u"Hi-fi", kVcrSkin), CreateResult::created);
    remote.current.device = &remote.catalogue.userDevices[0];
  }
};

TEST_F(LearningTapTest, CommandTapCapturesIntoItsSlotAndReportsBack) {
  platform.remote = RemoteSignal{{560, 1690, 560}, 40'000};
  tap(vcrLayout, 14);  // F2 of a VCR skin: command 14, label slot 1
  EXPECT_EQ(window.take(), "invert(14) ");
  EXPECT_EQ(remote.learning.learnSlot, 14);
  EXPECT_EQ(remote.learning.labelSlot, 1);
  remote.learnWorker.join();
  EXPECT_EQ(learnWindow.reported, (std::vector<LearnReport>{LearnReport::nameCommand}));  // 14 is past the 13 main commands
  EXPECT_FALSE(remote.buffers.signalRows[0][14]->empty());
  EXPECT_FALSE(remote.port.portBusy);
}

TEST_F(LearningTapTest, TapsWhileCapturingAndDeviceButtonsAreIgnored) {
  tap(vcrLayout, 5);  // no remote: the capture listens on
  window.take();
  tap(vcrLayout, 6);
  tap(vcrLayout, kHitNextDevice);
  EXPECT_EQ(window.take(), "");
  EXPECT_EQ(remote.learning.learnSlot, 5);
}

TEST_F(LearningTapTest, StopLearnLeavesACaptureThatHearsNothingAndShowsLearnFunction) {
  tap(vcrLayout, 5);
  while (!remote.learning.captureRunning) std::this_thread::yield();
  remote.command(MenuCommand::stopLearn);
  remote.learnWorker.join();
  EXPECT_EQ(learnWindow.reported, (std::vector<LearnReport>{LearnReport::learnDialog}));
  EXPECT_TRUE(remote.buffers.signalRows[0][5]->empty());
  EXPECT_FALSE(remote.port.portBusy);
  EXPECT_FALSE(remote.learning.captureRunning);
  EXPECT_TRUE(remote.learning.learningMode);
}

TEST_F(LearningTapTest, CommandTwentyShowsTheEditedDeviceAndLearnFunction) {
  select({0});
  remote.current.device = &remote.catalogue.builtIn[0];
  remote.command(MenuCommand::learnDialog);
  EXPECT_EQ(remote.current.device.load(), &remote.catalogue.userDevices[0]);
  EXPECT_EQ(remote.current.catalogueIndex, 0);  // the shown device, not the catalogue position, changes
  EXPECT_EQ(window.take(), "repaint dialog(learnFunction) ");
  remote.command(MenuCommand::nameCommand);
  EXPECT_EQ(window.take(), "dialog(commandProperties) repaint dialog(learnFunction) ");
}

}  // namespace
}  // namespace zapvane
