// The two small files: settings read as the handheld wrote them, whatever
// their length; a selection of usable entries only, and the device it shows.
#include <gtest/gtest.h>

#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "support/rig.h"
#include "support/test_folder.h"

namespace zapvane::testing {

// A file is read as raw bytes: what it holds replaces the leading bytes, even
// inside a word, the rest keeps what was in memory (zeros at start-up: a
// 12-byte file leaves the sound off), bytes past the record are ignored, and a
// save gives it back. With no file, ports.conf's port counts from 1, the
// record's from 0, and nothing of what was in memory leaks into the defaults; a
// file there but unreadable may be the user's: defaults in memory, no write.
TEST(SettingsFile, FileOfAnyLengthReplacesTheBytesItHoldsElseTheDefaultsHold) {
  MemoryFileSystem disk;
  IrSettings s;
  const std::string path = "/data/remotes.set";
  const std::vector<int64_t> before = {0x11121314, 0x21222324, 0x31323334, 0x41424344, 0x51525354};
  const Bytes stored = leWords({0x01020304, -5, 2, 7, INT32_MIN, 0xDEADBEEF});
  for (size_t length = 0; length <= stored.size(); ++length) {
    const Bytes file(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(length));
    disk.put(path, file), readSettingsRecord(s, leWords(before));
    EXPECT_TRUE(loadSettings(s, disk, path, 5).fromFile && disk.bytesOf(path) == file);
    Bytes expected = leWords(before);
    std::copy_n(stored.begin(), std::min<size_t>(length, 20), expected.begin());
    EXPECT_EQ(settingsRecordBytes(s), expected) << length << " bytes";
  }
  ASSERT_TRUE(saveSettings(s, disk, path).isOk());
  EXPECT_EQ(disk.bytesOf(path), Bytes(stored.begin(), stored.begin() + 20));
  for (const auto& [port, expected] : {std::pair<std::optional<int32_t>, int64_t>{3, 2}, {{}, 0}, {INT32_MIN, INT32_MAX}}) {
    disk.removeFile(path), readSettingsRecord(s, leWords(before));
    const SettingsLoad load = loadSettings(s, disk, path, port);
    EXPECT_TRUE(!load.fromFile && load.saved.isOk() && disk.bytesOf(path) == leWords({expected, 0, 0, 1, 0}));
    EXPECT_EQ(settingsRecordBytes(s), leWords({expected, 0, 0, 1, 0}));
  }
  disk.removeFile(path), disk.createDirectories(path), readSettingsRecord(s, leWords(before));
  const SettingsLoad load = loadSettings(s, disk, path, 2);
  EXPECT_TRUE(!load.fromFile && !load.readError.isOk() && disk.paths().empty());
  EXPECT_EQ(settingsRecordBytes(s), leWords({1, 0, 0, 1, 0}));
}

// Whatever the file (none: an empty list, silently), no stale entry survives,
// the file stays as it was, and the list saves as its count and entries. The
// list sits on the heap at its exact size, where ASan sees a step past it.
TEST(SelectionFile, KeepsOnlyUsableEntriesOfADamagedFileAndSaysSo) {
  std::vector<int64_t> tooMany(102, 1), full(101, 37);
  tooMany[0] = 101, full[0] = 100;
  const struct { const char* what; std::optional<Bytes> file; std::vector<int64_t> savedAs; bool problem; } cases[] = {
      {"no file", std::nullopt, {0}, false},
      {"count 0", leWords({0}), {0}, false},
      {"empty", Bytes{}, {0}, false},
      {"three entries", leWords({3, 0, 5, 37}), {3, 0, 5, 37}, false},
      {"a full list", leWords(full), full, false},
      {"negative count", leWords({-1, 3, 4}), {0}, true},
      {"count past the list's room", leWords(tooMany), {0}, true},
      {"entries that are no device", leWords({6, 3, 38, -1, 7, INT32_MAX, 37}), {3, 3, 7, 37}, true},
      {"cut inside an entry", Bytes{3, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0, 9, 0}, {2, 7, 8}, true},
      {"three bytes", Bytes{3, 0, 0}, {0}, true}};
  for (const auto& c : cases) {
    MemoryFileSystem disk;
    disk.createDirectories("/data");
    if (c.file) disk.put("/data/remotes.sel", *c.file);
    auto list = std::make_unique<SelectionList>();
    list->entries[0] = 12, list->selectionCount = 1;
    const SelectionLoad load = loadSelection(*list, disk, "/data/remotes.sel", 38);
    EXPECT_TRUE(load.fromFile == c.file.has_value() && load.readError.isOk()) << c.what;
    EXPECT_EQ(!load.finding.isOk(), c.problem) << c.what << ": " << load.finding.message();
    EXPECT_TRUE(c.file ? disk.bytesOf("/data/remotes.sel") == *c.file : disk.paths().empty()) << c.what;
    EXPECT_TRUE(saveSelection(*list, disk, "/data/remotes.sel").isOk());
    EXPECT_EQ(disk.bytesOf("/data/remotes.sel"), leWords(c.savedAs)) << c.what;
  }
}

// An entry the catalogue lacks (a later bug, a shrunken catalogue) must not
// reach past the catalogue's entries: the first built-in device shows.
TEST(SelectionFile, ShownEntryThatIsNoDeviceFallsBackToTheFirstBuiltInOne) {
  Rig rig;
  rig.started();
  for (const int32_t entry : {38, -1}) {
    rig.select({4, entry}, 1);
    EXPECT_TRUE(rig.remote.current.catalogueIndex == 0 && rig.remote.current.selectionPos == 1) << entry;
    EXPECT_EQ(rig.remote.current.device.load(), rig.remote.catalogue.entries[0]) << entry;
  }
}

}  // namespace zapvane::testing
