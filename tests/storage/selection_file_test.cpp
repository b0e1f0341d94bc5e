// The selection file and the choice of the device shown at start-up: the
// stored layout, damaged files that must neither crash nor reach outside the
// list, and saved positions that point outside it.
#include "storage/selection_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace zapvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes leWords(const std::vector<int32_t>& words) {
  Bytes bytes;
  for (int32_t w : words) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(w) >> shift));
  }
  return bytes;
}

std::vector<int32_t> entriesOf(const SelectionList& list) {
  return std::vector<int32_t>(list.entries.begin(), list.entries.begin() + list.selectionCount);
}

// The built-in devices plus `userCount` user devices (records only: the
// selection never looks inside a profile).
std::unique_ptr<DeviceCatalogue> catalogueWith(int32_t userCount) {
  auto catalogue = std::make_unique<DeviceCatalogue>();
  fillBuiltInProfiles(catalogue->builtIn);
  resetUserDevices(*catalogue);
  catalogue->userCount = userCount;
  CurrentDevice ignored;
  buildCatalogue(*catalogue, ignored);
  return catalogue;
}

class SelectionFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "zapvane-selection-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    path = (dir / "remotes.sel").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir;
  std::string path;
};

TEST_F(SelectionFileTest, ListIsStoredAsCountThenEntriesAndReadsBack) {
  SelectionList saved;
  saved.selectionCount = 3;
  saved.entries[0] = 0;
  saved.entries[1] = 5;
  saved.entries[2] = 40;
  saved.entries[3] = 17;  // past the count: not stored
  ASSERT_TRUE(saveSelection(saved, path).isOk());
  EXPECT_EQ(fileBytes(path), leWords({3, 0, 5, 40}));

  auto loaded = std::make_unique<SelectionList>();
  const SelectionLoad load = loadSelection(*loaded, path, 41);
  EXPECT_TRUE(load.fromFile);
  EXPECT_TRUE(load.problem.empty()) << load.problem;
  EXPECT_EQ(entriesOf(*loaded), (std::vector<int32_t>{0, 5, 40}));
}

TEST_F(SelectionFileTest, EmptyListIsFourZeroBytesAndShowsTheFirstBuiltInDevice) {
  ASSERT_TRUE(saveSelection(SelectionList{}, path).isOk());
  EXPECT_EQ(fileBytes(path), leWords({0}));

  auto catalogue = catalogueWith(0);
  auto list = std::make_unique<SelectionList>();
  list->entries[0] = 12;  // a stale list must not survive the load
  list->selectionCount = 1;
  ASSERT_TRUE(loadSelection(*list, path, catalogue->catalogueCount).problem.empty());
  EXPECT_EQ(list->selectionCount, 0);

  IrSettings settings;
  CurrentDevice current;
  restoreCurrentDevice(settings, *list, *catalogue, current);
  EXPECT_EQ(current.device.load(), &catalogue->builtIn[0]);
  EXPECT_EQ(current.catalogueIndex, 0);
  EXPECT_EQ(current.selectionPos, 0);
}

TEST_F(SelectionFileTest, MissingFileIsAnEmptyListWithoutComplaint) {
  auto list = std::make_unique<SelectionList>();
  list->selectionCount = 2;
  const SelectionLoad load = loadSelection(*list, path, 38);
  EXPECT_FALSE(load.fromFile);
  EXPECT_TRUE(load.readError.isOk());
  EXPECT_TRUE(load.problem.empty());
  EXPECT_EQ(list->selectionCount, 0);
  EXPECT_FALSE(fs::exists(path));
}

// The list is heap-allocated at its exact size, so that a read or write past
// its entries lands in AddressSanitizer's red zone.
TEST_F(SelectionFileTest, DamagedFilesKeepOnlyUsableEntriesAndSaySo) {
  struct Case {
    const char* what;
    Bytes file;
    std::vector<int32_t> kept;
  };
  std::vector<int32_t> full(101, 37);
  full[0] = 100;  // a full list: 100 entries of 37
  std::vector<int32_t> tooMany(102, 1);
  tooMany[0] = 101;
  const Bytes cutMidWord = [] {
    Bytes b = leWords({3, 7, 8, 9});
    b.resize(14);
    return b;
  }();
  const std::vector<Case> cases = {
      {"negative count", leWords({-1, 3, 4}), {}},
      {"lowest count", leWords({INT32_MIN, 3}), {}},
      {"count past the list's room", leWords(tooMany), {}},
      {"entries that are no device", leWords({6, 3, 38, -1, 7, INT32_MAX, 37}), {3, 7, 37}},
      {"only bad entries", leWords({2, 38, -5}), {}},
      {"one bad entry", leWords({2, 5, 38}), {5}},
      {"cut short", leWords({5, 1, 2}), {1, 2}},
      {"cut inside an entry", cutMidWord, {7, 8}},
      {"one byte", Bytes{3}, {}},
      {"two bytes", Bytes{3, 0}, {}},
      {"three bytes", Bytes{3, 0, 0}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(path, c.file);
    auto list = std::make_unique<SelectionList>();
    const SelectionLoad load = loadSelection(*list, path, 38);
    EXPECT_EQ(entriesOf(*list), c.kept);
    EXPECT_FALSE(load.problem.empty());
    EXPECT_EQ(fileBytes(path), c.file) << "a load must not rewrite the file";
  }

  writeBytes(path, leWords(full));
  auto list = std::make_unique<SelectionList>();
  const SelectionLoad load = loadSelection(*list, path, 38);
  EXPECT_TRUE(load.problem.empty()) << load.problem;
  EXPECT_EQ(entriesOf(*list), std::vector<int32_t>(100, 37));
}

// An empty file carries no count at all; whatever is said about it, it must
// give an empty list.
TEST_F(SelectionFileTest, EmptyFileGivesAnEmptyList) {
  writeBytes(path, {});
  auto list = std::make_unique<SelectionList>();
  list->selectionCount = 4;
  loadSelection(*list, path, 38);
  EXPECT_EQ(list->selectionCount, 0);
}

TEST(RestoreCurrentDevice, ShowsTheSavedPositionOrFallsBackToTheFirstEntry) {
  auto catalogue = catalogueWith(3);  // catalogueCount 41
  SelectionList list;
  list.selectionCount = 3;
  list.entries = {4, 9, 40};
  list.entries[3] = 22;  // stale entry past the list: never shown
  struct Case {
    int32_t savedPos;
    int32_t pos;
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 2}, Case{3, 0}, Case{10, 0}, Case{41, 0}, Case{42, 0},
                       Case{-1, 0}, Case{INT32_MIN, 0}, Case{INT32_MAX, 0}}) {
    SCOPED_TRACE("saved position " + std::to_string(c.savedPos));
    IrSettings settings;
    settings.savedSelectionPos = c.savedPos;
    CurrentDevice current;
    restoreCurrentDevice(settings, list, *catalogue, current);
    const int32_t index = list.entries[static_cast<size_t>(c.pos)];
    EXPECT_EQ(current.selectionPos, c.pos);
    EXPECT_EQ(current.catalogueIndex, index);
    EXPECT_EQ(current.device.load(), catalogue->entries[static_cast<size_t>(index)]);
  }
}

// A list built in memory with an index the catalogue lacks (a later bug, a
// catalogue that shrank) must not reach past the catalogue's entries.
TEST(RestoreCurrentDevice, EntryOutsideTheCatalogueShowsTheFirstBuiltInDevice) {
  auto catalogue = catalogueWith(0);
  SelectionList list;
  list.selectionCount = 2;
  list.entries = {3, 60};
  for (int32_t bad : {60, 38, -1}) {
    list.entries[1] = bad;
    IrSettings settings;
    settings.savedSelectionPos = 1;
    CurrentDevice current;
    restoreCurrentDevice(settings, list, *catalogue, current);
    EXPECT_EQ(current.device.load(), &catalogue->builtIn[0]) << bad;
  }
}

}  // namespace
}  // namespace zapvane
