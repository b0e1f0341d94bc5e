// The selection file and the device shown at start-up: the stored layout,
// damaged files that must neither crash nor reach outside the list, and
// saved positions that point outside it.
#include "storage/selection_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/remote.h"
#include "platform/virtual_platform.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

using namespace testing;  // zapvane::testing

std::vector<int32_t> entriesOf(const SelectionList& list) {
  return std::vector<int32_t>(list.entries.begin(), list.entries.begin() + list.selectionCount);
}

// A remote whose catalogue holds the built-in devices plus `userCount` user
// records (the selection never looks inside a profile), with no data files:
// what start-up shows from a selection and a saved position, alone.
struct CatalogueWith {
  explicit CatalogueWith(int32_t userCount) {
    startCatalogue(remote.catalogue, remote.current);
    remote.catalogue.userCount = userCount;
    buildCatalogue(remote.catalogue, remote.current);
  }
  // The device shown for `list` at saved position `savedPos`.
  const CurrentDevice& show(const SelectionList& list, int32_t savedPos) {
    remote.selection = list;
    remote.settings.savedSelectionPos = savedPos;
    remote.showSavedDevice();
    return remote.current;
  }

  VirtualPlatform machine;
  std::ostringstream err;
  Remote remote{machine, DataFiles{}, err};
};

class SelectionFile : public ::testing::Test {
 protected:
  TestFolder dir;
  const std::string path = dir / "remotes.sel";
};

TEST_F(SelectionFile, ListIsStoredAsCountThenEntriesAndReadsBack) {
  SelectionList saved;
  ASSERT_TRUE(saveSelection(saved, testing::disk(), path).isOk());
  EXPECT_EQ(readBytes(path), leWords({0}));
  saved.selectionCount = 3;
  saved.entries = {0, 5, 40, 17};  // 17 lies past the count: not stored
  ASSERT_TRUE(saveSelection(saved, testing::disk(), path).isOk());
  EXPECT_EQ(readBytes(path), leWords({3, 0, 5, 40}));

  auto loaded = std::make_unique<SelectionList>();
  const SelectionLoad load = loadSelection(*loaded, testing::disk(), path, 41);
  EXPECT_TRUE(load.fromFile && load.readError.isOk());
  EXPECT_TRUE(load.finding.isOk()) << load.finding.message();
  EXPECT_EQ(entriesOf(*loaded), (std::vector<int32_t>{0, 5, 40}));
}

// Whatever the file, a stale list never survives the load, the file is left
// as it was, and an empty result shows the first built-in device. The list is
// heap-allocated at its exact size, so that a read or write past its entries
// lands in AddressSanitizer's red zone.
TEST_F(SelectionFile, DamagedFilesKeepOnlyUsableEntriesAndSaySo) {
  std::vector<int64_t> tooMany(102, 1), full(101, 37);
  tooMany[0] = 101;
  full[0] = 100;
  Bytes cutMidWord = leWords({3, 7, 8, 9});
  cutMidWord.resize(14);
  const struct {
    const char* what;
    Bytes file;
    std::vector<int32_t> kept;
    bool problem;
  } cases[] = {
      {"count 0", leWords({0}), {}, false},
      {"empty", Bytes{}, {}, false},
      {"a full list", leWords(full), std::vector<int32_t>(100, 37), false},
      {"negative count", leWords({-1, 3, 4}), {}, true},
      {"count past the list's room", leWords(tooMany), {}, true},
      {"entries that are no device", leWords({6, 3, 38, -1, 7, INT32_MAX, 37}), {3, 7, 37}, true},
      {"cut inside an entry", cutMidWord, {7, 8}, true},
      {"three bytes", Bytes{3, 0, 0}, {}, true},
  };
  auto catalogue = std::make_unique<CatalogueWith>(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(path, c.file);
    auto list = std::make_unique<SelectionList>();
    list->entries[0] = 12;
    list->selectionCount = 1;
    const SelectionLoad load = loadSelection(*list, testing::disk(), path, 38);
    EXPECT_TRUE(load.fromFile && load.readError.isOk());
    EXPECT_EQ(entriesOf(*list), c.kept);
    EXPECT_EQ(!load.finding.isOk(), c.problem) << load.finding.message();
    EXPECT_EQ(readBytes(path), c.file) << "a load must not rewrite the file";

    const CurrentDevice& current = catalogue->show(*list, 0);
    const int32_t shown = c.kept.empty() ? 0 : c.kept[0];
    EXPECT_EQ(current.catalogueIndex, shown);
    EXPECT_EQ(current.device.load(), &catalogue->remote.catalogue.builtIn[static_cast<size_t>(shown)]);
  }

  std::filesystem::remove(path);
  auto list = std::make_unique<SelectionList>();
  list->selectionCount = 1;
  const SelectionLoad load = loadSelection(*list, testing::disk(), path, 38);
  EXPECT_FALSE(load.fromFile || !load.readError.isOk() || !load.finding.isOk());
  EXPECT_EQ(list->selectionCount, 0);
  EXPECT_FALSE(std::filesystem::exists(path)) << "a load never writes";
}

TEST(RestoreCurrentDevice, ShowsTheSavedPositionOrFallsBackToTheFirstEntry) {
  auto catalogue = std::make_unique<CatalogueWith>(3);  // catalogueCount 41
  SelectionList list;
  list.selectionCount = 3;
  list.entries = {4, 9, 40, 22};  // 22 lies past the list: never shown
  // An entry the catalogue lacks (a later bug, a shrunken catalogue) must not
  // reach past the catalogue's entries: the first built-in device shows.
  const struct {
    int32_t savedPos, secondEntry, shown;
  } cases[] = {{0, 9, 4}, {2, 9, 40}, {3, 9, 4}, {41, 9, 4}, {42, 9, 4}, {-1, 9, 4}, {1, 41, 0}, {1, -1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE("saved position " + std::to_string(c.savedPos) + ", second entry " + std::to_string(c.secondEntry));
    list.entries[1] = c.secondEntry;
    const CurrentDevice& current = catalogue->show(list, c.savedPos);
    EXPECT_EQ(current.catalogueIndex, c.shown);
    EXPECT_EQ(current.device.load(), catalogue->remote.catalogue.entries[static_cast<size_t>(c.shown)]);
    if (c.shown != 0) {
      EXPECT_EQ(list.entries.at(static_cast<size_t>(current.selectionPos.load())), c.shown);
    }
  }
}

}  // namespace
}  // namespace zapvane
