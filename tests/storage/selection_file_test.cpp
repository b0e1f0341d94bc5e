// The selection file and the choice of the device shown at start-up: the
// stored layout, damaged files that must neither crash nor reach outside the
// list, and saved positions that point outside it.
#include "storage/selection_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/test_folder.h"

namespace zapvane {
namespace {

using testing::Bytes;
using testing::leWords;
using testing::readBytes;
using testing::writeBytes;

std::vector<int32_t> entriesOf(const SelectionList& list) {
  return std::vector<int32_t>(list.entries.begin(), list.entries.begin() + list.selectionCount);
}

// The built-in devices plus `userCount` user records; the selection never
// looks inside a profile.
std::unique_ptr<DeviceCatalogue> catalogueWith(int32_t userCount) {
  auto catalogue = std::make_unique<DeviceCatalogue>();
  fillBuiltInProfiles(catalogue->builtIn);
  resetUserDevices(*catalogue);
  catalogue->userCount = userCount;
  CurrentDevice ignored;
  buildCatalogue(*catalogue, ignored);
  return catalogue;
}

class SelectionFile : public ::testing::Test {
 protected:
  testing::TestFolder dir;
  const std::string path = dir / "remotes.sel";
};

TEST_F(SelectionFile, ListIsStoredAsCountThenEntriesAndReadsBack) {
  SelectionList saved;
  saved.selectionCount = 3;
  saved.entries = {0, 5, 40, 17};  // 17 lies past the count: not stored
  ASSERT_TRUE(saveSelection(saved, path).isOk());
  EXPECT_EQ(readBytes(path), leWords({3, 0, 5, 40}));

  auto loaded = std::make_unique<SelectionList>();
  const SelectionLoad load = loadSelection(*loaded, path, 41);
  EXPECT_TRUE(load.fromFile);
  EXPECT_TRUE(load.problem.empty()) << load.problem;
  EXPECT_EQ(entriesOf(*loaded), (std::vector<int32_t>{0, 5, 40}));
}

TEST_F(SelectionFile, EmptyOrMissingListShowsTheFirstBuiltInDevice) {
  auto catalogue = catalogueWith(0);
  for (const bool missing : {true, false}) {
    SCOPED_TRACE(missing ? "missing file" : "count 0");
    if (!missing) {
      ASSERT_TRUE(saveSelection(SelectionList{}, path).isOk());
      EXPECT_EQ(readBytes(path), leWords({0}));
    }
    auto list = std::make_unique<SelectionList>();
    list->entries[0] = 12;  // a stale list must not survive the load
    list->selectionCount = 1;
    const SelectionLoad load = loadSelection(*list, path, catalogue->catalogueCount);
    EXPECT_EQ(load.fromFile, !missing);
    EXPECT_EQ(std::filesystem::exists(path), !missing) << "a load never writes";
    EXPECT_TRUE(load.readError.isOk());
    EXPECT_TRUE(load.problem.empty());
    EXPECT_EQ(list->selectionCount, 0);

    IrSettings settings;
    CurrentDevice current;
    restoreCurrentDevice(settings, *list, *catalogue, current);
    EXPECT_EQ(current.device.load(), &catalogue->builtIn[0]);
    EXPECT_EQ(current.catalogueIndex, 0);
    EXPECT_EQ(current.selectionPos, 0);
  }
}

// The list is heap-allocated at its exact size, so that a read or write past
// its entries lands in AddressSanitizer's red zone.
TEST_F(SelectionFile, DamagedFilesKeepOnlyUsableEntriesAndSaySo) {
  std::vector<int64_t> tooMany(102, 1);
  tooMany[0] = 101;
  Bytes cutMidWord = leWords({3, 7, 8, 9});
  cutMidWord.resize(14);
  const struct {
    const char* what;
    Bytes file;
    std::vector<int32_t> kept;
  } cases[] = {
      {"negative count", leWords({-1, 3, 4}), {}},
      {"count past the list's room", leWords(tooMany), {}},
      {"entries that are no device", leWords({6, 3, 38, -1, 7, INT32_MAX, 37}), {3, 7, 37}},
      {"cut inside an entry", cutMidWord, {7, 8}},
      {"three bytes", Bytes{3, 0, 0}, {}},
      {"empty", Bytes{}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(path, c.file);
    auto list = std::make_unique<SelectionList>();
    const SelectionLoad load = loadSelection(*list, path, 38);
    EXPECT_EQ(entriesOf(*list), c.kept);
    if (!c.file.empty()) {  // of an empty file only the empty list is asked
      EXPECT_FALSE(load.problem.empty());
    }
    EXPECT_EQ(readBytes(path), c.file) << "a load must not rewrite the file";
  }

  std::vector<int64_t> full(101, 37);
  full[0] = 100;
  writeBytes(path, leWords(full));
  auto list = std::make_unique<SelectionList>();
  EXPECT_EQ(loadSelection(*list, path, 38).problem, "");
  EXPECT_EQ(entriesOf(*list), std::vector<int32_t>(100, 37));
}

TEST(RestoreCurrentDevice, ShowsTheSavedPositionOrFallsBackToTheFirstEntry) {
  auto catalogue = catalogueWith(3);  // catalogueCount 41
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
    IrSettings settings;
    settings.savedSelectionPos = c.savedPos;
    CurrentDevice current;
    restoreCurrentDevice(settings, list, *catalogue, current);
    EXPECT_EQ(current.catalogueIndex, c.shown);
    EXPECT_EQ(current.device.load(), catalogue->entries[static_cast<size_t>(c.shown)]);
    if (c.shown != 0) {
      EXPECT_EQ(list.entries.at(static_cast<size_t>(current.selectionPos.load())), c.shown);
    }
  }
}

}  // namespace
}  // namespace zapvane
