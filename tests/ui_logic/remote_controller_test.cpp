// The main window's logic driven without a display: taps, the press
// feedback, device switching, the shift page, menu commands, auto adjust's
// ending tap and shutdown.
#include "ui/remote_controller.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <thread>

#include "learn/user_devices.h"
#include "storage/settings_file.h"
#include "support/fakes.h"
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
  void runDialog(DialogId dialog) override { calls += "dialog(" + std::to_string(static_cast<int>(dialog)) + ") "; }
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
  void command(int32_t id) override { reported.push_back(id); }
  std::vector<int32_t> reported;
};

class RemoteControllerTest : public ::testing::Test {
 protected:
  RemoteControllerTest() {
    startCatalogue(core);
    timer.calibrateTimer();
  }
  void TearDown() override {
    core.pen.buttonHeld = false;
    worker.join();
    port.captureStop = true;
    learnWorker.join();
  }

  void select(std::initializer_list<int32_t> entries, int32_t pos = 0) {
    core.selection = {};
    for (int32_t e : entries) core.selection.entries[static_cast<size_t>(core.selection.selectionCount++)] = e;
    core.settings.savedSelectionPos = pos;
    restoreCurrentDevice(core.settings, core.selection, core.catalogue, core.current);
  }
  // A pen down on the centre of a hot spot, in window coordinates.
  void tap(const SkinLayout& layout, int32_t result) {
    const HotSpot& spot = layout.spotFor(result);
    controller.penDown(static_cast<uint16_t>(spot.centreX), static_cast<uint16_t>(spot.centreY + kYOffset));
  }
  const IrSettings& stored() {
    loadSettings(storedSettings, files.settings, std::nullopt);
    return storedSettings;
  }

  testing::TestFolder folder;
  DataFiles files = DataFiles::in(folder.path().string());
  IrSettings storedSettings;
  RemoteCore core;
  VirtualCounter clock;
  PulseTimer timer{clock, core.adjustments};
  testing::RecordingSimOpener opener{clock};
  RecordingWindow window;
  IrPort port{opener, window, core.settings};
  RealSleeper sleeper;
  NoThreadPriority priority;
  testing::CountingBeeper beeper;
  IdleTimeouts idle;
  TransmitWorker worker{{core, port, timer, sleeper, priority, beeper, idle, window}};
  RecordingLearnWindow learnWindow;
  LearnWorker learnWorker{{core, port, timer, priority, beeper, learnWindow}};
  std::ostringstream err;
  ProblemReporter problems{err, "test"};
  RemoteController controller{{core, port, worker, learnWorker, idle, files, problems, window}};
};

TEST_F(RemoteControllerTest, EmptySelectionOpensSelectDevicesAndShowsTheBareSkin) {
  tap(tvLayout, 1);
  EXPECT_EQ(window.take(), "dialog(110) ");
  controller.penUp();
  EXPECT_EQ(window.take(), "");
  EXPECT_EQ(controller.skinView().picture, SkinView::tv);
  EXPECT_FALSE(controller.skinView().showName);
}

TEST_F(RemoteControllerTest, HeldCommandSendsItsCodeUntilThePenComesUp) {
  select({0});
  tap(tvLayout, 1);  // "2" of SONY - TV: 0x810
  EXPECT_EQ(window.take(), "invert(1) sleep(10) ");
  EXPECT_TRUE(core.pen.buttonHeld);
  EXPECT_TRUE(worker.running());
  controller.penUp();
  EXPECT_EQ(window.take(), "repaint ");
  EXPECT_FALSE(core.pen.buttonHeld);
  worker.join();
  ASSERT_GE(opener.frames.size(), 1u);
  std::string bits;
  for (size_t i = 1; i < opener.frames[0].size(); ++i) bits += opener.frames[0][i].bytes == 5 ? '1' : '0';
  EXPECT_EQ(bits, "100000010000");
}

TEST_F(RemoteControllerTest, TapsThatCannotSendDoNothing) {
  select({1, 4});  // SONY Tape A (13 commands, 0 absent), SONY - VCR1
  tap(vcrLayout, 0);
  tap(vcrLayout, 13);  // F1 beyond the device's commands
  EXPECT_EQ(window.take(), "");
  port.portBusy = true;
  tap(vcrLayout, kHitNextDevice);
  EXPECT_EQ(window.take(), "");
  port.portBusy = false;
  tap(vcrLayout, kHitNextDevice);
  window.take();
  tap(vcrLayout, 13);  // SONY - VCR1 sends its first shift-page command from F1
  EXPECT_EQ(window.take(), "invert(13) sleep(10) ");
}

TEST_F(RemoteControllerTest, PreviousAndNextWrapAndSaveThePosition) {
  select({0, 12, 29}, 0);
  tap(tvLayout, kHitPreviousDevice);
  EXPECT_EQ(window.take(), "invert(-2) sleep(200) repaint ");
  EXPECT_EQ(core.current.catalogueIndex, 29);
  EXPECT_EQ(stored().savedSelectionPos, 2);
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(core.current.catalogueIndex, 0);
  EXPECT_EQ(stored().savedSelectionPos, 0);
  select({12});
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(core.current.catalogueIndex, 12);
  EXPECT_EQ(window.take(), "invert(-1) sleep(200) repaint invert(-1) sleep(200) repaint ");
}

TEST_F(RemoteControllerTest, SelectionEntryOutsideTheCatalogueShowsTheFirstDevice) {
  select({5, 12});
  core.selection.entries[1] = 500;
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(core.current.catalogueIndex, 0);
}

TEST_F(RemoteControllerTest, ShiftPageStaysAcrossSwitchesAndShowsTheNewLabels) {
  select({0, 12});
  tap(tvLayout, kHitShiftToggle);
  EXPECT_EQ(window.take(), "invert(-3) sleep(200) repaint ");
  ASSERT_TRUE(core.pen.shiftPage);
  SkinView view = controller.skinView();
  EXPECT_EQ(view.picture, SkinView::shift);
  ASSERT_EQ(view.labels.size(), 9u);
  EXPECT_EQ(view.labels[0].second, u"TV/AV");
  tap(shiftLayout, kHitNextDevice);
  view = controller.skinView();
  EXPECT_EQ(view.name, u"PANASONIC - TV");
  ASSERT_EQ(view.labels.size(), 3u);
  EXPECT_EQ(view.labels[1], std::make_pair(1, std::u16string(u"Teltext")));
  tap(shiftLayout, 2);  // "Info": command 19
  EXPECT_EQ(core.pen.shiftCommand, 19);
  controller.penUp();
  worker.join();  // the port is busy until the worker has ended
  tap(shiftLayout, kHitShiftToggle);
  EXPECT_FALSE(core.pen.shiftPage);
}

TEST_F(RemoteControllerTest, LabelRectanglesSitBesideTheirButtons) {
  const auto ltrb = [](const WindowRect& r) { return std::array{r.left, r.top, r.right, r.bottom}; };
  EXPECT_EQ(ltrb(labelRect(0)), (std::array{60, 47, 115, 87}));
  EXPECT_EQ(ltrb(labelRect(9)), (std::array{125, 215, 180, 255}));
}

TEST_F(RemoteControllerTest, LearningModeRefusesMenuCommandsAndTheDeviceButtons) {
  select({0, 12});
  core.learning.learningMode = true;
  for (int32_t id : {cmdAbout, cmdExit, cmdSelectDevices, cmdSetupIrPort, cmdSound, cmdStartLearn}) {
    controller.command(id);
    EXPECT_EQ(window.take(), "message(Learning Mode) ") << id;
  }
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(core.current.catalogueIndex, 0);
  controller.command(cmdStopLearn);
  EXPECT_EQ(window.take(), "dialog(139) ");
  core.learning.captureRunning = true;
  controller.command(cmdStopLearn);
  core.learning.learningMode = false;
  core.learning.captureRunning = false;
  controller.command(cmdStopLearn);
  EXPECT_EQ(window.take(), "");
}

TEST_F(RemoteControllerTest, SoundTogglesBetweenOneAndZeroAndIsSaved) {
  select({0});
  core.settings.soundOn = 2;
  controller.command(cmdSound);
  EXPECT_EQ(core.settings.soundOn, 1);
  EXPECT_EQ(window.take(), "menus ");
  controller.command(cmdSound);
  EXPECT_EQ(stored().soundOn, 0);
  controller.command(cmdSound);
  EXPECT_EQ(core.settings.soundOn, 1);
}

TEST_F(RemoteControllerTest, AutoAdjustIgnoresCommandsAndEndsAtTheNextTapWhileHeld) {
  select({0, 12}, 1);
  core.autoAdjustActive = true;
  controller.command(cmdSetupIrPort);
  controller.command(cmdExit);
  EXPECT_EQ(window.take(), "");
  tap(tvLayout, 1);  // an ordinary tap: starts repeating
  window.take();
  controller.penUp();  // lifting the pen neither repaints nor stops it
  EXPECT_EQ(window.take(), "");
  EXPECT_TRUE(core.pen.buttonHeld);
  // Once the worker runs (it starts the candidates from 0), say it has
  // reached -2 and tap anywhere.
  while (opener.frameCount == 0) std::this_thread::yield();
  DeviceProfile& device = *core.current.device.load();
  device.spaceAdjust = -2;
  tap(tvLayout, kHitNextDevice);
  EXPECT_EQ(window.take(), "repaint ");
  EXPECT_FALSE(core.autoAdjustActive);
  worker.join();
  EXPECT_EQ(stored().spaceAdjust, -2);
  EXPECT_EQ(stored().savedSelectionPos, 1);
  EXPECT_EQ(core.current.catalogueIndex, 12);  // the ending tap switched nothing
}

TEST_F(RemoteControllerTest, ShutdownStopsTheWorkerBeforeThePortGoes) {
  select({0});
  tap(tvLayout, 1);
  core.autoAdjustActive = true;
  controller.shutdown();
  EXPECT_FALSE(worker.running());
  EXPECT_FALSE(port.portBusy);
  EXPECT_NE(window.take().find("sleep(500)"), std::string::npos);
}

class LearningTapTest : public RemoteControllerTest {
 protected:
  void SetUp() override {
    RemoteControllerTest::SetUp();
    ASSERT_EQ(createUserDevice(core, u"Hi-fi", kVcrSkin), CreateResult::created);
    core.current.device = &core.catalogue.userDevices[0];
  }
};

TEST_F(LearningTapTest, CommandTapCapturesIntoItsSlotAndReportsBack) {
  opener.remote = RemoteSignal{{560, 1690, 560}, 40'000};
  tap(vcrLayout, 14);  // F2 of a VCR skin: command 14, label slot 1
  EXPECT_EQ(window.take(), "invert(14) ");
  EXPECT_EQ(core.learning.learnSlot, 14);
  EXPECT_EQ(core.learning.labelSlot, 1);
  learnWorker.join();
  EXPECT_EQ(learnWindow.reported, (std::vector<int32_t>{cmdNameCommand}));  // 14 is past the 13 main commands
  EXPECT_FALSE(core.buffers.signalRows[0][14]->empty());
  EXPECT_FALSE(port.portBusy);
}

TEST_F(LearningTapTest, TapsWhileCapturingAndDeviceButtonsAreIgnored) {
  tap(vcrLayout, 5);  // no remote: the capture listens on
  window.take();
  tap(vcrLayout, 6);
  tap(vcrLayout, kHitNextDevice);
  EXPECT_EQ(window.take(), "");
  EXPECT_EQ(core.learning.learnSlot, 5);
}

TEST_F(LearningTapTest, StopLearnLeavesACaptureThatHearsNothingAndShowsLearnFunction) {
  tap(vcrLayout, 5);
  while (!core.learning.captureRunning) std::this_thread::yield();
  controller.command(cmdStopLearn);
  learnWorker.join();
  EXPECT_EQ(learnWindow.reported, (std::vector<int32_t>{cmdLearnDialog}));
  EXPECT_TRUE(core.buffers.signalRows[0][5]->empty());
  EXPECT_FALSE(port.portBusy);
  EXPECT_FALSE(core.learning.captureRunning);
  EXPECT_TRUE(core.learning.learningMode);
}

TEST_F(LearningTapTest, CommandTwentyShowsTheEditedDeviceAndLearnFunction) {
  select({0});
  core.current.device = &core.catalogue.builtIn[0];
  controller.command(cmdLearnDialog);
  EXPECT_EQ(core.current.device.load(), &core.catalogue.userDevices[0]);
  EXPECT_EQ(core.current.catalogueIndex, 0);  // the shown device, not the catalogue position, changes
  EXPECT_EQ(window.take(), "repaint dialog(139) ");
  controller.command(cmdNameCommand);
  EXPECT_EQ(window.take(), "dialog(141) repaint dialog(139) ");
}

}  // namespace
}  // namespace zapvane
