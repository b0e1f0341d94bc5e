// Start-up from a data directory: a first start, the files of a previous run
// read in the order that makes them agree, and damaged files of every kind
// that must still leave a remote control the user can work with.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/remote.h"
#include "ir/ir_port.h"
#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"
#include "platform/virtual_platform.h"
#include "support/test_folder.h"
#include "support/user_world.h"

namespace zapvane {
namespace {

using namespace testing;  // zapvane::testing

class Startup : public ::testing::Test {
 protected:
  Startup() { platform.realFiles = true; }
  std::unique_ptr<Remote> start(const std::filesystem::path& where) {
    auto remote = std::make_unique<Remote>(platform, DataFiles::in(where.string()), problemLines);
    remote->start();
    return remote;
  }

  TestFolder root;
  VirtualPlatform platform;
  std::ostringstream problemLines;
};

// A first start makes the directory and writes the default settings, with
// the port of ports.conf, and nothing else.
TEST_F(Startup, FirstStartWritesOnlyTheSettingsWithThePortOfPortsConf) {
  const std::filesystem::path fresh = root.path() / "not" / "there";
  start(fresh);
  EXPECT_EQ(readBytes(fresh / "remotes.set"), leWords({0, 0, 0, 1, 0}));

  std::ofstream(root / "ports.conf") << "Port=3\nCOM3=sim\n";
  auto core = start(root.path());
  EXPECT_EQ(readBytes(root / "remotes.set"), leWords({2, 0, 0, 1, 0}));
  EXPECT_FALSE(std::filesystem::exists(root / "remotes.sel") || std::filesystem::exists(root / "remotes.usr"));
  EXPECT_EQ(core->catalogue.catalogueCount, 38);
  EXPECT_EQ(core->current.device.load(), &core->catalogue.builtIn[0]);
  EXPECT_EQ(problemLines.str(), "");
  EXPECT_EQ(problemLines.str().find("alloc"), std::string::npos);  // no box for the user
}

// The user devices are loaded before the selection, which may name them;
// the fallbacks of the saved position are the selection's own.
TEST_F(Startup, SavedDevicesSelectionAndPositionPickTheShownDevice) {
  auto users = std::make_unique<UserWorld>();
  users->add(u"Proj0", kTvSkin);
  users->add(u"Proj1", kVcrSkin);
  ASSERT_TRUE(saveUserDevices(users->catalogue, testing::disk(), root / "remotes.usr").isOk());
  SelectionList selection;
  selection.selectionCount = 3;
  selection.entries = {5, 38, 39};
  ASSERT_TRUE(saveSelection(selection, testing::disk(), root / "remotes.sel").isOk());
  const Bytes settingsFile = leWords({0, 0, 2, 1, 0});
  writeBytes(root / "remotes.set", settingsFile);

  auto core = start(root.path());
  ASSERT_EQ(core->catalogue.catalogueCount, 40);
  EXPECT_EQ(core->catalogue.entries[38], &core->catalogue.userDevices[0]);
  EXPECT_EQ(std::u16string(core->catalogue.entries[38]->name.data()), u"Proj0");
  EXPECT_EQ(core->catalogue.entries[39]->commandCount, 23);
  EXPECT_EQ(core->selection.selectionCount, 3);
  EXPECT_EQ(core->current.selectionPos, 2);
  EXPECT_EQ(core->current.device.load(), &core->catalogue.userDevices[1]);
  EXPECT_EQ(readBytes(root / "remotes.set"), settingsFile) << "start-up never rewrites existing settings";
  EXPECT_EQ(problemLines.str(), "");
}

// What start-up finds wrong it says on one line each and then mends: a
// refused user-devices file is kept aside, a killed save's temporary swept.
TEST_F(Startup, RefusedFilesAreReportedAndStaleTemporariesSwept) {
  writeBytes(root / "remotes.usr", leWords({100, 31, 0, 0, 0, 0}));
  std::ofstream(root / "remotes.sel.Ab12Cd") << "x";
  const timespec twoMinutesAgo[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (root / "remotes.sel.Ab12Cd").c_str(), twoMinutesAgo, 0), 0);

  auto core = start(root.path());
  EXPECT_EQ(core->catalogue.userCount, 0);
  EXPECT_TRUE(std::filesystem::exists(root / "remotes.usr.bad"));
  EXPECT_FALSE(std::filesystem::exists(root / "remotes.sel.Ab12Cd"));
  const std::string said = problemLines.str();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("remotes.usr.bad"), std::string::npos) << said;
}

// Random bytes nearly always hold an impossible count, which stops a loader
// at once; a plausible count in every other round drives the loaders through
// the rest of the file.
TEST_F(Startup, DamagedFilesOfEveryKindStillGiveAUsableRemote) {
  const std::vector<size_t> settingsSizes = {0, 1, 7, 20, 33};
  const std::vector<size_t> selectionSizes = {0, 3, 4, 17, 404, 1000};
  const std::vector<size_t> userSizes = {0, 5, 24, 100, 22052, 44080, 100000, 700000};
  const std::vector<std::string> portsLines = {"Port=99999999999\n", "Port=-2147483648\n", "Port=0\n",
                                               "COM1=/nonexistent/tty\n", "=\n", "Port\n",
                                               std::string("\xff\xfe\0junk\n", 9)};
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  auto pick = [&](const auto& from) { return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)]; };
  auto randomFile = [&](const std::filesystem::path& path, const std::vector<size_t>& sizes, size_t countAt,
                        int32_t highCount, bool plausible) {
    Bytes b(pick(sizes));
    for (uint8_t& x : b) x = static_cast<uint8_t>(random());
    if (plausible && countAt + 4 <= b.size()) {
      putWordAt(b, countAt, std::uniform_int_distribution(-2, highCount)(random));
    }
    writeBytes(path, b);
  };

  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::filesystem::path dir = root.path() / std::to_string(round);
    std::filesystem::create_directory(dir);
    randomFile(dir / "remotes.set", settingsSizes, 0, 0, false);
    randomFile(dir / "remotes.sel", selectionSizes, 0, 102, round % 2 == 0);
    randomFile(dir / "remotes.usr", userSizes, 4, 32, round % 2 == 0);
    std::ofstream(dir / "ports.conf", std::ios::binary) << pick(portsLines) << pick(portsLines);

    auto core = start(dir);
    const DeviceCatalogue& c = core->catalogue;
    const SelectionList& list = core->selection;
    ASSERT_TRUE(c.userCount >= 0 && c.userCount <= 30 && c.catalogueCount == 38 + c.userCount) << c.userCount;
    ASSERT_TRUE(list.selectionCount >= 0 && list.selectionCount <= 100) << list.selectionCount;
    for (int32_t i = 0; i < list.selectionCount; ++i) {
      const int32_t entry = list.entries[static_cast<size_t>(i)];
      EXPECT_TRUE(entry >= 0 && entry < c.catalogueCount) << "entry " << i << " = " << entry;
    }
    const DeviceProfile* shown = core->current.device.load();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown, c.entries[static_cast<size_t>(core->current.catalogueIndex.load())]);
    EXPECT_TRUE(core->current.selectionPos == 0 || core->current.selectionPos < list.selectionCount);
    for (int32_t i = 0; i < c.userCount; ++i) {
      const DeviceProfile& d = c.userDevices[static_cast<size_t>(i)];
      EXPECT_TRUE(d.isLearned == 1 && d.learnedSlots != nullptr && d.labelTable != nullptr) << "user device " << i;
      EXPECT_EQ(c.entries[static_cast<size_t>(38 + i)], &d);
    }
    for (int32_t index = -1; index <= 30; ++index) commandExists(index, *shown);  // under ASan: no stray read
    EXPECT_FALSE(portDeviceName(core->settings.port).empty());

    // Usable means the next save works and the next start reads it back.
    EXPECT_TRUE(saveSettings(core->settings, testing::disk(), dir / "remotes.set").isOk());
    EXPECT_TRUE(saveSelection(list, testing::disk(), dir / "remotes.sel").isOk());
    EXPECT_TRUE(saveUserDevices(c, testing::disk(), dir / "remotes.usr").isOk());
    auto again = start(dir);
    EXPECT_EQ(again->catalogue.catalogueCount, c.catalogueCount);
    EXPECT_EQ(again->current.catalogueIndex, core->current.catalogueIndex);
    std::filesystem::remove_all(dir);
  }
  EXPECT_EQ(problemLines.str().find("alloc"), std::string::npos);  // no box for the user
}

}  // namespace
}  // namespace zapvane
