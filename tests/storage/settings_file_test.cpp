// The settings file: defaults from ports.conf when it is missing, files
// copied from the handheld read as they are (short or long), and the record
// stored byte for byte.
#include "storage/settings_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ir/ir_port.h"
#include "platform/ports_config.h"

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

// Words written out by hand, so the expected file does not come from the
// code under test.
Bytes leWords(std::initializer_list<uint32_t> words) {
  Bytes bytes;
  for (uint32_t w : words) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(w >> shift));
  }
  return bytes;
}

std::vector<int32_t> fieldsOf(const IrSettings& s) {
  return {s.port, s.spaceAdjust, s.savedSelectionPos, s.soundOn, s.markAdjust};
}

void fill(IrSettings& s, const std::vector<int32_t>& v) {
  s.port = v[0];
  s.spaceAdjust = v[1];
  s.savedSelectionPos = v[2];
  s.soundOn = v[3];
  s.markAdjust = v[4];
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "zapvane-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    path = (dir / "remotes.set").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir;
  std::string path;
};

TEST_F(SettingsFileTest, MissingFileTakesDefaultsFromPortsConfAndWritesThem) {
  struct Case {
    const char* portsConf;  // nullptr: no ports.conf at all
    int32_t port;
    const char* deviceName;
  };
  for (const Case& c : {Case{"# transceiver\nPort=3\nCOM3=sim\n", 2, "COM3:"}, Case{"COM1=sim\n", 0, "COM1:"},
                        Case{nullptr, 0, "COM1:"}}) {
    SCOPED_TRACE(c.portsConf != nullptr ? c.portsConf : "(no ports.conf)");
    fs::remove(path);
    fs::remove(dir / "ports.conf");
    if (c.portsConf != nullptr) std::ofstream(dir / "ports.conf") << c.portsConf;

    IrSettings settings;
    fill(settings, {7, 4, 9, 0, -3});  // whatever was there must not leak into the defaults
    const SettingsLoad load = loadSettings(settings, path, loadPortsConfig((dir / "ports.conf").string()).port);

    EXPECT_FALSE(load.fromFile);
    EXPECT_TRUE(load.saved.isOk()) << load.saved.message();
    EXPECT_TRUE(load.readError.isOk());
    EXPECT_EQ(fieldsOf(settings), (std::vector<int32_t>{c.port, 0, 0, 1, 0}));
    EXPECT_EQ(fileBytes(path), leWords({static_cast<uint32_t>(c.port), 0, 0, 1, 0}));
    EXPECT_EQ(portDeviceName(settings.port), c.deviceName);
  }
}

// A file of any length is read into the record byte by byte: what it holds
// replaces the leading bytes, the rest keeps what was in memory, and bytes
// past the record are ignored. The file itself is never rewritten by a load.
TEST_F(SettingsFileTest, FileOfAnyLengthReplacesOnlyTheBytesItHolds) {
  const Bytes stored = leWords({0x01020304, 0xFFFFFFFB, 0x00000002, 0x00000007, 0x80000000, 0xDEADBEEF});
  const std::vector<int32_t> before = {0x11121314, 0x21222324, 0x31323334, 0x41424344, 0x51525354};
  for (size_t length = 0; length <= stored.size(); ++length) {
    SCOPED_TRACE("file of " + std::to_string(length) + " bytes");
    const Bytes file(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(length));
    writeBytes(path, file);
    IrSettings settings;
    fill(settings, before);
    const SettingsLoad load = loadSettings(settings, path, 5);

    IrSettings expected;
    fill(expected, before);
    Bytes expectedBytes = settingsRecordBytes(expected);
    for (size_t i = 0; i < std::min<size_t>(length, 20); ++i) expectedBytes[i] = stored[i];
    EXPECT_TRUE(load.fromFile);
    EXPECT_EQ(settingsRecordBytes(settings), expectedBytes);
    EXPECT_EQ(fileBytes(path), file);
  }
}

TEST_F(SettingsFileTest, TwelveByteFileLeavesSoundOffAndMarkAdjustZeroInAFreshRecord) {
  writeBytes(path, leWords({3, static_cast<uint32_t>(-2), 4}));
  IrSettings settings;  // zero-filled, as at start-up
  ASSERT_TRUE(loadSettings(settings, path, 1).fromFile);
  EXPECT_EQ(fieldsOf(settings), (std::vector<int32_t>{3, -2, 4, 0, 0}));
}

TEST_F(SettingsFileTest, ValuesOutsideTheirRangesRoundTripByteExact) {
  IrSettings saved;
  fill(saved, {-1, -5, INT32_MIN, 2, INT32_MAX});
  ASSERT_TRUE(saveSettings(saved, path).isOk());
  EXPECT_EQ(fileBytes(path), leWords({0xFFFFFFFF, 0xFFFFFFFB, 0x80000000, 2, 0x7FFFFFFF}));

  IrSettings loaded;
  ASSERT_TRUE(loadSettings(loaded, path, 1).fromFile);
  EXPECT_EQ(fieldsOf(loaded), fieldsOf(saved));
}

// A file that is there but cannot be read may still be the user's: the
// defaults are used in memory and nothing is written over it.
TEST_F(SettingsFileTest, UnreadableFileGivesDefaultsAndIsLeftAlone) {
  fs::create_directory(path);
  IrSettings settings;
  fill(settings, {7, 4, 9, 0, -3});
  const SettingsLoad load = loadSettings(settings, path, 2);

  EXPECT_FALSE(load.fromFile);
  EXPECT_FALSE(load.readError.isOk());
  EXPECT_FALSE(load.readError.message().empty());
  EXPECT_TRUE(load.saved.isOk());
  EXPECT_EQ(fieldsOf(settings), (std::vector<int32_t>{1, 0, 0, 1, 0}));
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_TRUE(fs::is_empty(path));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "a file was written beside it";
}

}  // namespace
}  // namespace zapvane
