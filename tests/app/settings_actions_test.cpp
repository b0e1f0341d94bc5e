// What Select devices and Setup IR port show and store, without a display.
#include "app/settings_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"
#include "platform/virtual_platform.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

using Pair = std::pair<int32_t, int32_t>;

class SettingsActionsTest : public ::testing::Test {
 protected:
  SettingsActionsTest() {
    platform.realFiles = true;
    startCatalogue(remote.catalogue, remote.current);
    for (const char16_t* name : {u"Kitchen", u"B\u00fcro"}) {  // user devices 0 and 1, entries 38 and 39
      const int32_t i = remote.catalogue.userCount++;
      allocateUserDeviceBuffers(remote.buffers, i);
      DeviceProfile& device = remote.catalogue.userDevices[static_cast<size_t>(i)];
      attachUserDeviceBuffers(device, remote.buffers, i);
      std::copy_n(name, std::char_traits<char16_t>::length(name), device.name.begin());
      appendUserDevice(remote.catalogue, i);
    }
  }

  void show(int32_t index, int32_t pos = 0) {
    remote.current.device = remote.catalogue.entries[static_cast<size_t>(index)];
    remote.current.catalogueIndex = index;
    remote.current.selectionPos = pos;
  }
  std::vector<int32_t> storedSelection() {
    SelectionList stored;
    loadSelection(stored, testing::disk(), files.selection, remote.catalogue.catalogueCount);
    return {stored.entries.begin(), stored.entries.begin() + stored.selectionCount};
  }
  // port row, space, mark as Setup IR port opens
  std::array<int32_t, 3> initial() {
    const SetupValues v = setupInitialValues(remote);
    return {v.portRow, v.adjust.space, v.adjust.mark};
  }
  // port, the global pair, position
  std::array<int32_t, 4> storedSettings() {
    IrSettings s;
    loadSettings(s, testing::disk(), files.settings, std::nullopt);
    return {s.port, s.spaceAdjust, s.markAdjust, s.savedSelectionPos};
  }
  Pair storedUserPair() {
    Remote reloaded{platform, files, err};
    reloaded.start();
    return {reloaded.catalogue.userDevices[0].spaceAdjust, reloaded.catalogue.userDevices[0].markAdjust};
  }

  testing::TestFolder folder;
  DataFiles files = DataFiles::in(folder.path().string());
  VirtualPlatform platform;
  std::ostringstream err;
  Remote remote{platform, files, err};
};

TEST_F(SettingsActionsTest, ListShowsEveryEntryInCatalogueOrderWithUserDevicesMarked) {
  const std::vector<std::string> texts = deviceListTexts(remote.catalogue);
  ASSERT_EQ(texts.size(), 40u);
  EXPECT_EQ(texts[0], "SONY - TV");
  EXPECT_EQ(texts[37], "AIWA - audio");
  EXPECT_EQ(texts[38], "* Kitchen");
  EXPECT_EQ(texts[39], "* B\xC3\xBCro");
  remote.selection = {5, {12, 3, 40, -1, 7}};
  EXPECT_EQ(preselectedRows(remote.selection, 40), (std::vector<int32_t>{12, 3, 7}));
}

TEST_F(SettingsActionsTest, OkStoresTheChosenRowsAscendingAndShowsTheFirst) {
  remote.selection = {2, {3, 12}};
  show(12, 1);
  applyDeviceSelection(remote, {5, 0, 12});
  EXPECT_EQ(storedSelection(), (std::vector<int32_t>{0, 5, 12}));
  EXPECT_EQ(remote.current.selectionPos, 0);
  EXPECT_EQ(remote.current.device.load(), &remote.catalogue.builtIn[0]);
  applyDeviceSelection(remote, {9, 9, 39, 40, -1});  // twice, and rows the list cannot hold
  EXPECT_EQ(storedSelection(), (std::vector<int32_t>{9, 39}));
  EXPECT_EQ(remote.current.catalogueIndex, 9);
}

TEST_F(SettingsActionsTest, OkWithNothingChosenEmptiesTheListAndKeepsItsFirstSlotsDevice) {
  remote.selection = {2, {4, 9}};
  show(9, 1);
  applyDeviceSelection(remote, {});
  EXPECT_EQ(std::filesystem::file_size(files.selection), 4u);
  EXPECT_EQ(remote.selection.selectionCount, 0);
  EXPECT_EQ(remote.current.catalogueIndex, 4);
  EXPECT_EQ(remote.current.selectionPos, 0);
  remote.selection = {0, {99}};  // a slot that never held a catalogue index shows entry 0
  applyDeviceSelection(remote, {});
  EXPECT_EQ(remote.current.catalogueIndex, 0);
}

TEST_F(SettingsActionsTest, SetupShowsAndStoresThePortAndTheCurrentKindsPair) {
  DeviceProfile& user = remote.catalogue.userDevices[0];
  user.spaceAdjust = -1;
  user.markAdjust = 4;
  remote.settings.port = 3;
  remote.settings.spaceAdjust = 3;
  remote.settings.markAdjust = -2;
  EXPECT_EQ(initial(), (std::array{3, 3, -2}));
  for (int32_t port : {-1, 4, 70000}) {
    remote.settings.port = port;
    EXPECT_EQ(initial()[0], kNoPortRow) << port;
  }

  show(12, 2);
  applySetupOk(remote, {2, {-4, 5}});
  EXPECT_EQ(storedSettings(), (std::array<int32_t, 4>{2, -4, 5, 2}));
  EXPECT_EQ(remote.catalogue.builtIn[12].spaceAdjust, 0);  // a built-in device's own pair is auto adjust's
  EXPECT_FALSE(std::filesystem::exists(files.userDevices));

  show(38, 1);
  EXPECT_EQ(initial(), (std::array{2, -1, 4}));
  applySetupOk(remote, {kNoPortRow, {-3, 2}});
  EXPECT_EQ(storedSettings(), (std::array<int32_t, 4>{-1, -4, 5, 1}));
  EXPECT_EQ(storedUserPair(), Pair(-3, 2));
  EXPECT_TRUE(err.str().empty());
}

TEST_F(SettingsActionsTest, DefaultZeroesOnlyTheCurrentKindAtOnceAndLeavesThePort) {
  remote.settings.port = 3;
  remote.settings.spaceAdjust = 3;
  remote.settings.markAdjust = -2;
  remote.catalogue.userDevices[0].spaceAdjust = 2;
  show(38);
  applySetupDefault(remote);
  EXPECT_EQ(storedUserPair(), Pair(0, 0));
  EXPECT_EQ(storedSettings(), (std::array<int32_t, 4>{3, 3, -2, 0}));
  show(0, 1);
  applySetupDefault(remote);
  EXPECT_EQ(storedSettings(), (std::array<int32_t, 4>{3, 0, 0, 1}));
}

TEST_F(SettingsActionsTest, FailedSavesAreReportedAndTheValuesStayInMemory) {
  std::ofstream(folder / "file") << "a file where the data directory should be";
  Remote broken{platform, DataFiles::in(folder / "file"), err};
  startCatalogue(broken.catalogue, broken.current);
  applyDeviceSelection(broken, {7});
  applySetupOk(broken, {1, {2, 2}});
  EXPECT_EQ(broken.selection.entries[0], 7);
  EXPECT_EQ(broken.settings.port, 1);
  const std::string lines = err.str();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
  EXPECT_NE(lines.find("save failed"), std::string::npos);
}

}  // namespace
}  // namespace zapvane
