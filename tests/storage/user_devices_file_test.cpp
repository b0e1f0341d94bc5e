// The user-devices file: its byte layout (files from the handheld must load),
// round trips, damaged or short files, and refused files kept aside unharmed.
#include "storage/user_devices_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/fakes.h"
#include "support/test_folder.h"
#include "support/user_world.h"

namespace zapvane {
namespace {

using namespace testing;  // zapvane::testing
namespace fs = std::filesystem;

constexpr size_t kBlock = 22028;
constexpr size_t kHeader = 24;

char16_t unitAt(const Bytes& b, size_t at) { return static_cast<char16_t>(b.at(at) | b.at(at + 1) << 8); }

// Every stored part of a block in use: both skins, negative adjustments,
// learned slots at both ends of the stored range and one past it, full labels.
std::unique_ptr<UserWorld> twoDevices() {
  auto w = std::make_unique<UserWorld>();
  w->add(u"Living room TV", kTvSkin, 2, -1);
  w->learn(0, 0, 1);
  w->learn(0, 16, 2, kSignalPairs);  // all 100 pairs, no end pair
  w->label(0, 0, u"Teletext");
  w->add(u"Vid\u00e9o\u2713", kVcrSkin, -3, 5).name[10] = u'x';  // past the terminator: stored as in memory
  w->learn(1, 0, 3);
  w->learn(1, 26, 4);
  w->learn(1, 27, 5);  // never stored
  w->label(1, 0, u"Rec");
  w->label(1, 9, u"ABCDEFGHIJKLMNO");
  return w;
}

// A one-device file of `skin` with slot 0 learned, as bytes to damage.
Bytes oneDeviceBytes(int32_t skin) {
  auto w = std::make_unique<UserWorld>();
  w->add(u"Amp", skin);
  w->learn(0, 0, 1);
  return userDevicesBytes(w->catalogue);
}

class UserDevicesFile : public ::testing::Test {
 protected:
  std::unique_ptr<UserWorld> load(UserDevicesLoad* result = nullptr,
                                  BufferAllocator allocate = allocateUserDeviceBuffers) {
    auto w = std::make_unique<UserWorld>();
    w->catalogue.userCount = 5;  // a stale count must not survive any load
    const UserDevicesLoad r = loadUserDevices(w->catalogue, w->buffers, testing::disk(), path, messages, allocate);
    if (result != nullptr) *result = r;
    return w;
  }

  TestFolder dir;
  const std::string path = dir / "remotes.usr";
  RecordingMessages messages;
};

TEST_F(UserDevicesFile, FileIsAHeaderThenOneBlockPerDeviceWithFieldsAtTheirOffsets) {
  for (const auto& [devices, size] : {std::pair{0, 24u}, {30, 660864u}}) {
    auto w = std::make_unique<UserWorld>();
    for (int i = 0; i < devices; ++i) w->add(u"dev", i % 2);
    EXPECT_EQ(userDevicesBytes(w->catalogue).size(), size) << devices << " devices";
  }

  auto w = twoDevices();
  ASSERT_TRUE(saveUserDevices(w->catalogue, testing::disk(), path).isOk());
  const Bytes b = readBytes(path);
  ASSERT_EQ(b.size(), kHeader + 2 * kBlock);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + kHeader), leWords({100, 2, 0, 0, 0, 0}));
  for (size_t device = 0; device < 2; ++device) {
    SCOPED_TRACE("device " + std::to_string(device));
    const size_t block = kHeader + kBlock * device;
    const DeviceProfile& d = w->catalogue.userDevices[device];
    for (size_t u = 0; u < 50; ++u) EXPECT_EQ(unitAt(b, block + 2 * u), d.name[u]) << "name unit " << u;
    std::vector<int32_t> words;  // isLearned comes before skinType, then three reserved words
    for (size_t at = 100; at < 128; at += 4) words.push_back(wordAt(b, block + at));
    EXPECT_EQ(words, (std::vector<int32_t>{1, d.skinType, d.spaceAdjust, d.markAdjust, 0, 0, 0}));
    for (size_t slot = 0; slot < 27; ++slot) {
      const LearnedSignal& s = w->signal(static_cast<int>(device), static_cast<int>(slot));
      for (size_t word = 0; word < 200; ++word) {
        ASSERT_EQ(wordAt(b, block + 128 + 800 * slot + 4 * word), s.words[word]) << "slot " << slot << " word " << word;
      }
    }
    for (size_t slot = 0; slot < 10; ++slot) {
      const auto label = w->labelUnits(static_cast<int>(device), static_cast<int>(slot));
      for (size_t u = 0; u < 15; ++u) EXPECT_EQ(unitAt(b, block + 21728 + 30 * slot + 2 * u), label[u]) << slot;
    }
  }
}

// The tag and the reserved words are read but not used: a load and a save
// give back the clean file, which the layout above pins field by field.
TEST_F(UserDevicesFile, EverythingStoredSurvivesALoadAndSavesToTheSameBytes) {
  auto saved = twoDevices();
  ASSERT_TRUE(saveUserDevices(saved->catalogue, testing::disk(), path).isOk());
  const Bytes first = readBytes(path);
  ASSERT_TRUE(saveUserDevices(saved->catalogue, testing::disk(), path).isOk());
  EXPECT_EQ(readBytes(path), first) << "saving twice";
  Bytes dirty = first;
  for (const size_t at : {0u, 8u, 12u, 16u, 20u}) putWordAt(dirty, at, -9);
  for (size_t at = 116; at < 128; at += 4) putWordAt(dirty, kHeader + kBlock + at, 0x55AA55AA);
  writeBytes(path, dirty);

  UserDevicesLoad result;
  auto loaded = load(&result);
  EXPECT_TRUE(result.fromFile && !result.refused && messages.shown.empty());
  EXPECT_TRUE(result.finding.isOk()) << result.finding.message();
  ASSERT_EQ(loaded->catalogue.userCount, 2);
  ASSERT_TRUE(saveUserDevices(loaded->catalogue, testing::disk(), path).isOk());
  EXPECT_EQ(readBytes(path), first) << "saving what was loaded";
  // What the file does not hold: derived from the skin, or fresh.
  for (int i = 0; i < 2; ++i) {
    const DeviceProfile& b = loaded->catalogue.userDevices[static_cast<size_t>(i)];
    ASSERT_NE(b.learnedSlots, nullptr);
    EXPECT_EQ((std::vector<int32_t>{b.isLearned, b.userIndex, b.frameGap, b.labelCount, b.commandCount}),
              (std::vector<int32_t>{1, i, 150000, 10, i == 0 ? 27 : 23})) << "device " << i;
    for (int slot = 27; slot < 30; ++slot) EXPECT_TRUE(b.learnedSlots[slot]->empty()) << i << " slot " << slot;
  }
}

// Only the first word decides: -1 then anything is unlearned, a zero mark is
// learned; a stored slot past the skin's commands stays out of reach.
TEST_F(UserDevicesFile, SlotWhoseFirstWordIsMinusOneIsAnInactiveCommand) {
  Bytes b = oneDeviceBytes(kVcrSkin);
  const size_t slots = kHeader + 128;
  for (size_t word = 0; word < 200; ++word) putWordAt(b, slots + 4 * word, word == 0 ? -1 : 4500);
  putWordAt(b, slots + 800, 9000);
  putWordAt(b, slots + 800 * 22, 0);
  putWordAt(b, slots + 800 * 26, 9000);
  writeBytes(path, b);

  const auto loaded = load();
  for (const auto& [command, active] : {std::pair{0, false}, {1, true}, {2, false}, {22, true}, {26, false}}) {
    EXPECT_EQ(commandExists(command, loaded->catalogue.userDevices[0]), active) << command;
  }
}

TEST_F(UserDevicesFile, StoredSkinAndLearnedFlagAreMadeSafe) {
  const struct { int32_t isLearned, skin, commandCount; bool problem; } cases[] = {
      {1, 2, 0, false}, {0, 0, 27, true}, {2, 1, 23, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE("isLearned " + std::to_string(c.isLearned) + ", skin " + std::to_string(c.skin));
    Bytes b = oneDeviceBytes(kTvSkin);
    putWordAt(b, kHeader + 100, c.isLearned);
    putWordAt(b, kHeader + 104, c.skin);
    writeBytes(path, b);
    UserDevicesLoad result;
    const auto loaded = load(&result);
    const DeviceProfile& amp = loaded->catalogue.userDevices[0];
    ASSERT_EQ(loaded->catalogue.userCount, 1);
    EXPECT_EQ(amp.isLearned, 1);
    EXPECT_EQ(amp.commandCount, c.commandCount);
    EXPECT_EQ(commandExists(0, amp), c.commandCount > 0);
    EXPECT_EQ(!result.finding.isOk(), c.problem) << result.finding.message();
  }
}

// Whatever the cut, the loaded devices hold exactly the bytes the file has,
// and everything after the cut is as fresh as a newly created device.
TEST_F(UserDevicesFile, FileCutShortLoadsWhatItHas) {
  auto w = twoDevices();
  for (int slot = 0; slot < 27; ++slot) w->learn(1, slot, 10 + slot);
  const Bytes whole = userDevicesBytes(w->catalogue);
  auto fresh = std::make_unique<UserWorld>();
  fresh->add(u"", kTvSkin);
  fresh->add(u"", kTvSkin);
  const Bytes empty = userDevicesBytes(fresh->catalogue);

  std::vector<size_t> cuts = {whole.size() - 2};  // only the last unit of the last label missing
  for (size_t cut = 8; cut < whole.size(); cut += 4 * 53) cuts.push_back(cut);
  for (const size_t cut : cuts) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const auto at = static_cast<std::ptrdiff_t>(cut);
    writeBytes(path, Bytes(whole.begin(), whole.begin() + at));
    UserDevicesLoad result;
    const auto loaded = load(&result);
    ASSERT_FALSE(result.refused) << result.finding.message();
    ASSERT_EQ(loaded->catalogue.userCount, 2);
    EXPECT_FALSE(result.finding.isOk());
    EXPECT_TRUE(fs::exists(path)) << "a short file is used, not kept aside";

    Bytes expected(whole.begin(), whole.begin() + at);
    expected.insert(expected.end(), empty.begin() + at, empty.end());
    const Bytes again = userDevicesBytes(loaded->catalogue);
    ASSERT_EQ(again.size(), expected.size());
    EXPECT_EQ(std::mismatch(again.begin(), again.end(), expected.begin()).first - again.begin(), std::ssize(again))
        << "first wrong byte";
  }
}

// Refused whole and moved out of the way before anything can be saved over
// it, each refusal to its own copy; only a failed allocation is shown.
TEST_F(UserDevicesFile, UnusableFilesAreRefusedAndKeptAside) {
  auto three = twoDevices();
  three->add(u"Third", kTvSkin);
  const BufferAllocator onlyTheFirst = [](UserDeviceBuffers& buffers, int device) {
    return device < 1 && allocateUserDeviceBuffers(buffers, device);
  };
  const struct {
    const char* what;
    Bytes file;
    BufferAllocator allocate;
  } cases[] = {
      {"count 31", leWords({100, 31, 0, 0, 0, 0}), allocateUserDeviceBuffers},
      {"count -1", leWords({100, -1, 0, 0, 0, 0}), allocateUserDeviceBuffers},
      {"no memory for the second device", userDevicesBytes(three->catalogue), onlyTheFirst},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    SCOPED_TRACE(c.what);
    writeBytes(path, c.file);
    UserDevicesLoad result;
    const auto loaded = load(&result, c.allocate);
    const std::string aside = path + (k == 0 ? ".bad" : ".bad." + std::to_string(k + 1));
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(loaded->catalogue.userCount, 0);
    EXPECT_EQ(loaded->catalogue.userDevices[0].learnedSlots, nullptr);
    EXPECT_NE(result.finding.message().find(aside), std::string::npos) << result.finding.message();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(messages.shown.size(), c.allocate == onlyTheFirst ? 1u : 0u);
  }
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text + "|" + messages.shown[0].caption, "Memory alloc error!!!|Error");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::exclamation);

  ASSERT_TRUE(saveUserDevices(twoDevices()->catalogue, testing::disk(), path).isOk());
  for (size_t k = 0; k < std::size(cases); ++k) {
    EXPECT_EQ(readBytes(path + (k == 0 ? ".bad" : ".bad." + std::to_string(k + 1))), cases[k].file) << cases[k].what;
  }
}

// No file is no user devices, silently. A header that ends before its count
// says nothing usable either; kept aside or left in place, its bytes stay.
TEST_F(UserDevicesFile, MissingFileOrHeaderWithoutACountMeansNoUserDevices) {
  UserDevicesLoad result;
  EXPECT_EQ(load(&result)->catalogue.userCount, 0);
  EXPECT_FALSE(result.fromFile || result.refused);
  EXPECT_TRUE(result.finding.isOk()) << result.finding.message();
  EXPECT_TRUE(fs::is_empty(dir.path())) << "nothing is written for a missing file";

  for (const Bytes& file : {Bytes{}, Bytes{100, 0, 0, 0, 2, 0, 0}}) {
    SCOPED_TRACE(std::to_string(file.size()) + " bytes");
    fs::remove(path + ".bad");
    writeBytes(path, file);
    EXPECT_EQ(load()->catalogue.userCount, 0);
    EXPECT_EQ(readBytes(fs::exists(path) ? path : path + ".bad"), file);
  }
}

}  // namespace
}  // namespace zapvane
