// Start-up from a data directory: a first start, the files of a previous run
// read in the order that makes them agree (user devices before the selection
// that names them), and damaged files of every kind that must still leave a
// remote control the user can work with.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/remote_core.h"
#include "ir/ir_port.h"
#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"

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

class RecordingMessages final : public MessageSink {
 public:
  void show(const Message& message) override { shown.push_back(message); }
  std::vector<Message> shown;
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "zapvane-startup-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root = pattern;
  }
  void TearDown() override { fs::remove_all(root); }

  std::unique_ptr<RemoteCore> start(const fs::path& dir) {
    auto core = std::make_unique<RemoteCore>();
    startRemote(*core, DataFiles::in(dir.string()), nullptr, messages, problems);
    return core;
  }

  fs::path root;
  RecordingMessages messages;
  std::ostringstream problemLines;
  ProblemReporter problems{problemLines, "zapvane"};
};

TEST_F(StartupTest, FirstStartCreatesTheDirectoryAndWritesOnlyTheSettings) {
  const fs::path dir = root / "not" / "there" / "yet";
  auto core = start(dir);
  ASSERT_TRUE(fs::is_directory(dir));
  EXPECT_EQ(fs::file_size(dir / "remotes.set"), 20u);
  EXPECT_FALSE(fs::exists(dir / "remotes.sel"));
  EXPECT_FALSE(fs::exists(dir / "remotes.usr"));
  EXPECT_EQ(core->catalogue.catalogueCount, 38);
  EXPECT_EQ(core->current.device.load(), &core->catalogue.builtIn[0]);
  EXPECT_EQ(core->settings.soundOn, 1);
  EXPECT_EQ(portDeviceName(core->settings.port), "COM1:");
  EXPECT_EQ(problemLines.str(), "") << "a first start has nothing to complain about";
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, PortLineOfPortsConfGivesTheDefaultPort) {
  std::ofstream(root / "ports.conf") << "Port=3\nCOM3=sim\n";
  auto core = start(root);
  EXPECT_EQ(core->settings.port, 2);
  EXPECT_EQ(portDeviceName(core->settings.port), "COM3:");
  EXPECT_EQ(fileBytes(root / "remotes.set"), Bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
}

// What one run saves, the next one shows: saved user devices follow the
// built-in ones, and the selection may name them because they are loaded
// before it.
TEST_F(StartupTest, SavedDevicesSelectionAndPositionPickTheShownDevice) {
  struct Users {
    DeviceCatalogue catalogue;
    UserDeviceBuffers buffers;
  };
  auto users = std::make_unique<Users>();
  resetUserDevices(users->catalogue);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(allocateUserDeviceBuffers(users->buffers, i));
    DeviceProfile& d = users->catalogue.userDevices[static_cast<size_t>(i)];
    d.name = {u'P', u'r', u'o', u'j', static_cast<char16_t>(u'0' + i)};
    d.skinType = i;
    attachUserDeviceBuffers(d, users->buffers, i);
  }
  users->catalogue.userCount = 2;
  ASSERT_TRUE(saveUserDevices(users->catalogue, (root / "remotes.usr").string()).isOk());
  SelectionList selection;
  selection.selectionCount = 3;
  selection.entries = {5, 39, 38};
  ASSERT_TRUE(saveSelection(selection, (root / "remotes.sel").string()).isOk());

  struct Case {
    int32_t savedPos;
    int32_t pos;
    int32_t index;
  };
  for (const Case c : {Case{0, 0, 5}, Case{1, 1, 39}, Case{2, 2, 38}, Case{3, 0, 5}, Case{99, 0, 5}}) {
    SCOPED_TRACE("saved position " + std::to_string(c.savedPos));
    IrSettings settings;
    settings.soundOn = 1;
    settings.savedSelectionPos = c.savedPos;
    ASSERT_TRUE(saveSettings(settings, (root / "remotes.set").string()).isOk());
    const Bytes settingsFile = fileBytes(root / "remotes.set");

    auto core = start(root);
    ASSERT_EQ(core->catalogue.catalogueCount, 40);
    EXPECT_EQ(core->catalogue.entries[38], &core->catalogue.userDevices[0]);
    EXPECT_EQ(std::u16string(core->catalogue.entries[38]->name.data()), u"Proj0");
    EXPECT_EQ(core->catalogue.entries[39]->commandCount, 23);
    EXPECT_EQ(core->selection.selectionCount, 3);
    EXPECT_EQ(core->current.selectionPos, c.pos);
    EXPECT_EQ(core->current.catalogueIndex, c.index);
    EXPECT_EQ(core->current.device.load(), core->catalogue.entries[static_cast<size_t>(c.index)]);
    EXPECT_EQ(fileBytes(root / "remotes.set"), settingsFile) << "start-up never rewrites existing settings";
  }
  EXPECT_EQ(problemLines.str(), "");
}

Bytes randomBytes(std::mt19937& random, size_t size) {
  std::uniform_int_distribution<int> byte(0, 255);
  Bytes b(size);
  for (uint8_t& x : b) x = static_cast<uint8_t>(byte(random));
  return b;
}

// Random bytes nearly always hold an impossible count, which stops a loader
// at once; a plausible count in some rounds drives the loaders through the
// rest of the file.
void putCount(Bytes& b, size_t at, int32_t count) {
  for (size_t k = 0; k < 4 && at + k < b.size(); ++k) {
    b[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(count) >> (8 * k));
  }
}

TEST_F(StartupTest, DamagedFilesOfEveryKindStillGiveAUsableRemote) {
  const std::vector<size_t> settingsSizes = {0, 1, 7, 20, 33};
  const std::vector<size_t> selectionSizes = {0, 3, 4, 17, 404, 1000};
  const std::vector<size_t> userSizes = {0, 5, 24, 100, 22052, 44080, 100000, 700000};
  const std::vector<std::string> portsLines = {"Port=99999999999\n",
                                               "Port=-2147483648\n",
                                               "Port=0\n",
                                               "COM1=/nonexistent/tty\n",
                                               "=\n",
                                               "Port\n",
                                               std::string("\xff\xfe\0junk\n", 9)};
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  auto pick = [&](const auto& from) { return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)]; };
  std::uniform_int_distribution<int32_t> userCount(-2, 32);
  std::uniform_int_distribution<int32_t> selectionCount(-2, 102);

  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const fs::path dir = root / std::to_string(round);
    fs::create_directory(dir);
    writeBytes(dir / "remotes.set", randomBytes(random, pick(settingsSizes)));
    Bytes sel = randomBytes(random, pick(selectionSizes));
    if (round % 2 == 0) putCount(sel, 0, selectionCount(random));
    writeBytes(dir / "remotes.sel", sel);
    Bytes usr = randomBytes(random, pick(userSizes));
    if (round % 2 == 0) putCount(usr, 4, userCount(random));
    writeBytes(dir / "remotes.usr", usr);
    std::ofstream(dir / "ports.conf", std::ios::binary) << pick(portsLines) << pick(portsLines);

    auto core = start(dir);
    const DeviceCatalogue& c = core->catalogue;
    ASSERT_GE(c.userCount, 0);
    ASSERT_LE(c.userCount, 30);
    ASSERT_EQ(c.catalogueCount, 38 + c.userCount);
    ASSERT_GE(core->selection.selectionCount, 0);
    ASSERT_LE(core->selection.selectionCount, 100);
    for (int32_t i = 0; i < core->selection.selectionCount; ++i) {
      const int32_t entry = core->selection.entries[static_cast<size_t>(i)];
      EXPECT_TRUE(entry >= 0 && entry < c.catalogueCount) << "entry " << i << " = " << entry;
    }
    const DeviceProfile* shown = core->current.device.load();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown, c.entries[static_cast<size_t>(core->current.catalogueIndex.load())]);
    EXPECT_TRUE(core->current.selectionPos == 0 || core->current.selectionPos < core->selection.selectionCount);
    for (int32_t i = 0; i < c.userCount; ++i) {
      const DeviceProfile& d = c.userDevices[static_cast<size_t>(i)];
      EXPECT_EQ(d.isLearned, 1);
      EXPECT_NE(d.learnedSlots, nullptr);
      EXPECT_NE(d.labelTable, nullptr);
      EXPECT_EQ(c.entries[static_cast<size_t>(38 + i)], &d);
    }
    for (int32_t index = -1; index <= 30; ++index) commandExists(index, *shown);
    EXPECT_FALSE(portDeviceName(core->settings.port).empty());

    // Usable means the next save works and the next start reads it back.
    EXPECT_TRUE(saveSettings(core->settings, (dir / "remotes.set").string()).isOk());
    EXPECT_TRUE(saveSelection(core->selection, (dir / "remotes.sel").string()).isOk());
    EXPECT_TRUE(saveUserDevices(core->catalogue, (dir / "remotes.usr").string()).isOk());
    auto again = start(dir);
    EXPECT_EQ(again->catalogue.catalogueCount, c.catalogueCount);
    EXPECT_EQ(again->current.catalogueIndex, core->current.catalogueIndex);
    fs::remove_all(dir);
  }
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace zapvane
