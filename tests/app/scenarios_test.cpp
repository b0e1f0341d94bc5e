// The remote without a display: the scenarios typed in tests/data/app/, and
// start-up from random bytes.
#include <gtest/gtest.h>

#include <random>

#include "scenario.h"

namespace zapvane::testing {
namespace {

std::unique_ptr<Scenario> scenario() {
  return std::make_unique<Scenario>([](const std::string& failure) { ADD_FAILURE() << failure; });
}

TEST(Scenarios, StartUp) { playScenarios("app/startup.txt", scenario); }
TEST(Scenarios, PenAndMenus) { playScenarios("app/pen_and_menu.txt", scenario); }
TEST(Scenarios, Learning) { playScenarios("app/learning.txt", scenario); }
TEST(Scenarios, SelectDevicesAndSetup) { playScenarios("app/settings.txt", scenario); }
TEST(Scenarios, SkinLayoutsAndHitTest) { playScenarios("app/skin_layouts.txt", scenario); }

// Random bytes nearly always hold an impossible count, which stops a loader
// at once; a plausible count in every other round drives the loaders through
// the rest of the file. Usable means what start-up made of them is saved and
// started again without a word.
TEST(Startup, DamagedFilesOfEveryKindStillGiveAUsableRemote) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  for (int round = 0; round < 40; ++round) {
    Rig rig;
    using Sizes = std::vector<size_t>;
    for (const auto& [file, sizes, countAt, high] : {std::tuple{"remotes.set", Sizes{0, 1, 7, 20, 33}, 0, -3},
                                                     {"remotes.sel", Sizes{0, 3, 4, 17, 404, 1000}, 0, 102},
                                                     {"remotes.usr", Sizes{0, 5, 24, 22052, 44080, 700000}, 4, 32}}) {
      std::vector<uint8_t> b(sizes[random() % sizes.size()]);
      for (uint8_t& x : b) x = static_cast<uint8_t>(random());
      if (high > 0 && round % 2 == 0 && b.size() >= 8) {
        const auto count = bytesOf({std::to_string(std::uniform_int_distribution(-2, high)(random))});
        std::copy(count.begin(), count.end(), b.begin() + countAt);
      }
      rig.put(file, b);
    }
    const Remote& r = rig.started().remote;
    const DeviceCatalogue& c = r.catalogue;
    ASSERT_TRUE(c.userCount >= 0 && c.userCount <= 30 && c.catalogueCount == 38 + c.userCount) << round;
    ASSERT_TRUE(r.selection.selectionCount >= 0 && r.selection.selectionCount <= 100) << round;
    for (int32_t i = 0; i < r.selection.selectionCount; ++i) {
      const int32_t entry = r.selection.entries[static_cast<size_t>(i)];
      EXPECT_TRUE(entry >= 0 && entry < c.catalogueCount) << entry;
    }
    ASSERT_EQ(r.current.device.load(), c.entries[static_cast<size_t>(r.current.catalogueIndex.load())]) << round;
    EXPECT_TRUE(r.current.selectionPos == 0 || r.current.selectionPos < r.selection.selectionCount) << round;
    // Under ASan: no stray read.
    for (int32_t index = -1; index <= 30; ++index) commandExists(index, *r.current.device.load());
    rig.remote.saveSettingsFile();
    rig.remote.saveSelectionFile();
    rig.remote.saveUserDevicesFile();
    rig.takeLines();
    Remote again{rig.platform, DataFiles::in(kRigFolder), rig.err};
    again.start();
    EXPECT_EQ(again.current.catalogueIndex, r.current.catalogueIndex) << round;
    EXPECT_EQ(rig.takeLines(), "") << round;
  }
}

}  // namespace
}  // namespace zapvane::testing
