// The settings file: defaults with the configured port when it is missing,
// handheld files read as they are (short or long), the record byte for byte.
#include "storage/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/test_folder.h"

namespace zapvane {
namespace {

using namespace testing;  // zapvane::testing
namespace fs = std::filesystem;

std::vector<int32_t> fieldsOf(const IrSettings& s) {
  return {s.port, s.spaceAdjust, s.savedSelectionPos, s.soundOn, s.markAdjust};
}

void fill(IrSettings& s, const std::vector<int32_t>& v) {
  s.port = v[0], s.spaceAdjust = v[1], s.savedSelectionPos = v[2], s.soundOn = v[3], s.markAdjust = v[4];
}

class SettingsFile : public ::testing::Test {
 protected:
  TestFolder dir;
  const std::string path = dir / "remotes.set";
};

// ports.conf counts ports from 1, the record from 0; reading the file itself
// is start-up's business.
TEST_F(SettingsFile, MissingFileTakesDefaultsFromPortsConfAndWritesThem) {
  for (const auto& [configured, port] : {std::pair<std::optional<int32_t>, int32_t>{3, 2}, {std::nullopt, 0},
                                         {INT32_MIN, INT32_MAX}}) {
    SCOPED_TRACE("configured port " + (configured ? std::to_string(*configured) : "none"));
    fs::remove(path);
    IrSettings settings;
    fill(settings, {7, 4, 9, 0, -3});  // whatever was there must not leak into the defaults
    const SettingsLoad load = loadSettings(settings, testing::disk(), path, configured);
    EXPECT_FALSE(load.fromFile);
    EXPECT_TRUE(load.saved.isOk()) << load.saved.message();
    EXPECT_EQ(fieldsOf(settings), (std::vector<int32_t>{port, 0, 0, 1, 0}));
    EXPECT_EQ(readBytes(path), leWords({port, 0, 0, 1, 0}));
  }
}

// A file is read into the record as raw bytes: what it holds replaces the
// leading bytes, even inside a word, the rest keeps what was in memory, and
// bytes past the record are ignored. A load never rewrites the file.
TEST_F(SettingsFile, FileOfAnyLengthReplacesOnlyTheBytesItHolds) {
  const Bytes stored = leWords({0x01020304, -5, 2, 7, INT32_MIN, 0xDEADBEEF});
  const std::vector<int32_t> before = {0x11121314, 0x21222324, 0x31323334, 0x41424344, 0x51525354};
  for (size_t length = 0; length <= stored.size(); ++length) {
    SCOPED_TRACE("file of " + std::to_string(length) + " bytes");
    const Bytes file(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(length));
    writeBytes(path, file);
    IrSettings settings;
    fill(settings, before);
    EXPECT_TRUE(loadSettings(settings, testing::disk(), path, 5).fromFile);
    Bytes expected = leWords({before[0], before[1], before[2], before[3], before[4]});
    std::copy_n(stored.begin(), std::min<size_t>(length, 20), expected.begin());
    EXPECT_EQ(settingsRecordBytes(settings), expected);
    EXPECT_EQ(readBytes(path), file);
  }

  // The record is zero-filled at start-up, so a 12-byte file leaves the sound off.
  writeBytes(path, leWords({3, -2, 4}));
  IrSettings fresh;
  loadSettings(fresh, testing::disk(), path, 1);
  EXPECT_EQ(fieldsOf(fresh), (std::vector<int32_t>{3, -2, 4, 0, 0}));
}

TEST_F(SettingsFile, ValuesOutsideTheirRangesRoundTripByteExact) {
  const std::vector<int32_t> values = {-1, -5, INT32_MIN, 2, INT32_MAX};
  IrSettings saved, loaded;
  fill(saved, values);
  ASSERT_TRUE(saveSettings(saved, testing::disk(), path).isOk());
  EXPECT_EQ(readBytes(path), leWords({values.begin(), values.end()}));
  ASSERT_TRUE(loadSettings(loaded, testing::disk(), path, 1).fromFile);
  EXPECT_EQ(fieldsOf(loaded), values);
}

// A file that is there but cannot be read may still be the user's: the
// defaults are used in memory and nothing is written over it or beside it.
TEST_F(SettingsFile, UnreadableFileGivesDefaultsAndIsLeftAlone) {
  fs::create_directory(path);
  IrSettings settings;
  fill(settings, {7, 4, 9, 0, -3});
  const SettingsLoad load = loadSettings(settings, testing::disk(), path, 2);
  EXPECT_FALSE(load.fromFile || load.readError.isOk());
  EXPECT_EQ(fieldsOf(settings), (std::vector<int32_t>{1, 0, 0, 1, 0}));
  EXPECT_TRUE(fs::is_empty(path));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace zapvane
