// What Select devices and Setup IR port show and store, without a display.
#include "ui/settings_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"
#include "support/fakes.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

using Pair = std::pair<int32_t, int32_t>;

class SettingsActionsTest : public ::testing::Test {
 protected:
  SettingsActionsTest() {
    startCatalogue(core);
    for (const char16_t* name : {u"Kitchen", u"B\u00fcro"}) {  // user devices 0 and 1, entries 38 and 39
      const int32_t i = core.catalogue.userCount++;
      allocateUserDeviceBuffers(core.buffers, i);
      DeviceProfile& device = core.catalogue.userDevices[static_cast<size_t>(i)];
      attachUserDeviceBuffers(device, core.buffers, i);
      std::copy_n(name, std::char_traits<char16_t>::length(name), device.name.begin());
      appendUserDevice(core.catalogue, i);
    }
  }

  void show(int32_t index, int32_t pos = 0) {
    core.current.device = core.catalogue.entries[static_cast<size_t>(index)];
    core.current.catalogueIndex = index;
    core.current.selectionPos = pos;
  }
  std::vector<int32_t> storedSelection() {
    SelectionList stored;
    loadSelection(stored, files.selection, core.catalogue.catalogueCount);
    return {stored.entries.begin(), stored.entries.begin() + stored.selectionCount};
  }
  // port row, space, mark as Setup IR port opens
  std::array<int32_t, 3> initial() {
    const SetupValues v = setupInitialValues(core);
    return {v.portRow, v.adjust.space, v.adjust.mark};
  }
  // port, the global pair, position
  std::array<int32_t, 4> storedSettings() {
    IrSettings s;
    loadSettings(s, files.settings, std::nullopt);
    return {s.port, s.spaceAdjust, s.markAdjust, s.savedSelectionPos};
  }
  Pair storedUserPair() {
    RemoteCore reloaded;
    startCatalogue(reloaded);
    loadUserDevices(reloaded.catalogue, reloaded.buffers, files.userDevices, messages);
    return {reloaded.catalogue.userDevices[0].spaceAdjust, reloaded.catalogue.userDevices[0].markAdjust};
  }

  testing::TestFolder folder;
  DataFiles files = DataFiles::in(folder.path().string());
  RemoteCore core;
  testing::RecordingMessages messages;
  std::ostringstream err;
  ProblemReporter problems{err, "test"};
};

TEST_F(SettingsActionsTest, ListShowsEveryEntryInCatalogueOrderWithUserDevicesMarked) {
  const std::vector<std::string> texts = deviceListTexts(core.catalogue);
  ASSERT_EQ(texts.size(), 40u);
  EXPECT_EQ(texts[0], "SONY - TV");
  EXPECT_EQ(texts[37], "AIWA - audio");
  EXPECT_EQ(texts[38], "* Kitchen");
  EXPECT_EQ(texts[39], "* B\xC3\xBCro");
  core.selection = {5, {12, 3, 40, -1, 7}};
  EXPECT_EQ(preselectedRows(core.selection, 40), (std::vector<int32_t>{12, 3, 7}));
}

TEST_F(SettingsActionsTest, OkStoresTheChosenRowsAscendingAndShowsTheFirst) {
  core.selection = {2, {3, 12}};
  show(12, 1);
  applyDeviceSelection(core, {5, 0, 12}, files, problems);
  EXPECT_EQ(storedSelection(), (std::vector<int32_t>{0, 5, 12}));
  EXPECT_EQ(core.current.selectionPos, 0);
  EXPECT_EQ(core.current.device.load(), &core.catalogue.builtIn[0]);
  applyDeviceSelection(core, {9, 9, 39, 40, -1}, files, problems);  // twice, and rows the list cannot hold
  EXPECT_EQ(storedSelection(), (std::vector<int32_t>{9, 39}));
  EXPECT_EQ(core.current.catalogueIndex, 9);
}

TEST_F(SettingsActionsTest, OkWithNothingChosenEmptiesTheListAndKeepsItsFirstSlotsDevice) {
  core.selection = {2, {4, 9}};
  show(9, 1);
  applyDeviceSelection(core, {}, files, problems);
  EXPECT_EQ(std::filesystem::file_size(files.selection), 4u);
  EXPECT_EQ(core.selection.selectionCount, 0);
  EXPECT_EQ(core.current.catalogueIndex, 4);
  EXPECT_EQ(core.current.selectionPos, 0);
  core.selection = {0, {99}};  // a slot that never held a catalogue index shows entry 0
  applyDeviceSelection(core, {}, files, problems);
  EXPECT_EQ(core.current.catalogueIndex, 0);
}

TEST_F(SettingsActionsTest, SetupShowsAndStoresThePortAndTheCurrentKindsPair) {
  DeviceProfile& user = core.catalogue.userDevices[0];
  user.spaceAdjust = -1;
  user.markAdjust = 4;
  core.settings.port = 3;
  core.settings.spaceAdjust = 3;
  core.settings.markAdjust = -2;
  EXPECT_EQ(initial(), (std::array{3, 3, -2}));
  for (int32_t port : {-1, 4, 70000}) {
    core.settings.port = port;
    EXPECT_EQ(initial()[0], kNoPortRow) << port;
  }

  show(12, 2);
  applySetupOk(core, {2, {-4, 5}}, files, problems);
  EXPECT_EQ(storedSettings(), (std::array<int32_t, 4>{2, -4, 5, 2}));
  EXPECT_EQ(core.catalogue.builtIn[12].spaceAdjust, 0);  // a built-in device's own pair is auto adjust's
  EXPECT_FALSE(std::filesystem::exists(files.userDevices));

  show(38, 1);
  EXPECT_EQ(initial(), (std::array{2, -1, 4}));
  applySetupOk(core, {kNoPortRow, {-3, 2}}, files, problems);
  EXPECT_EQ(storedSettings(), (std::array<int32_t, 4>{-1, -4, 5, 1}));
  EXPECT_EQ(storedUserPair(), Pair(-3, 2));
  EXPECT_TRUE(err.str().empty());
}

TEST_F(SettingsActionsTest, DefaultZeroesOnlyTheCurrentKindAtOnceAndLeavesThePort) {
  core.settings.port = 3;
  core.settings.spaceAdjust = 3;
  core.settings.markAdjust = -2;
  core.catalogue.userDevices[0].spaceAdjust = 2;
  show(38);
  applySetupDefault(core, files, problems);
  EXPECT_EQ(storedUserPair(), Pair(0, 0));
  EXPECT_EQ(storedSettings(), (std::array<int32_t, 4>{3, 3, -2, 0}));
  show(0, 1);
  applySetupDefault(core, files, problems);
  EXPECT_EQ(storedSettings(), (std::array<int32_t, 4>{3, 0, 0, 1}));
}

TEST_F(SettingsActionsTest, FailedSavesAreReportedAndTheValuesStayInMemory) {
  std::ofstream(folder / "file") << "a file where the data directory should be";
  files = DataFiles::in(folder / "file");
  applyDeviceSelection(core, {7}, files, problems);
  applySetupOk(core, {1, {2, 2}}, files, problems);
  EXPECT_EQ(core.selection.entries[0], 7);
  EXPECT_EQ(core.settings.port, 1);
  const std::string lines = err.str();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
  EXPECT_NE(lines.find("save failed"), std::string::npos);
}

}  // namespace
}  // namespace zapvane
