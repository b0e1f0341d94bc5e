// The user-devices file: its byte layout (files from the handheld must load),
// what survives a save and a load, how damaged or short files load, and the
// refusal of files the program cannot use, which are kept aside unharmed.
#include "storage/user_devices_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/fakes.h"
#include "support/test_folder.h"
#include "support/user_world.h"

namespace zapvane {
namespace {

using testing::Bytes;
using testing::putWordAt;
using testing::readBytes;
using testing::UserWorld;
using testing::wordAt;
using testing::writeBytes;

constexpr size_t kBlock = 22028;
constexpr size_t kHeader = 24;

char16_t unitAt(const Bytes& b, size_t at) { return static_cast<char16_t>(b.at(at) | b.at(at + 1) << 8); }

// Two devices that use every stored part of a block: a TV-skin device and a
// VCR-skin one with negative adjustments, learned slots at both ends of the
// stored range, one past it, and labels up to their full 15 units.
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

class UserDevicesFile : public ::testing::Test {
 protected:
  UserDevicesLoad load(UserWorld& into, BufferAllocator allocate = allocateUserDeviceBuffers) {
    return loadUserDevices(into.catalogue, into.buffers, path, messages, allocate);
  }

  testing::TestFolder dir;
  const std::string path = dir / "remotes.usr";
  testing::RecordingMessages messages;
};

TEST_F(UserDevicesFile, FileIsAHeaderThenOneBlockPerDeviceWithFieldsAtTheirOffsets) {
  for (const auto& [devices, size] : {std::pair{0, 24u}, {30, 660864u}}) {
    auto w = std::make_unique<UserWorld>();
    for (int i = 0; i < devices; ++i) w->add(u"dev", i % 2);
    ASSERT_TRUE(saveUserDevices(w->catalogue, path).isOk());
    EXPECT_EQ(std::filesystem::file_size(path), size) << devices << " devices";
  }

  auto w = twoDevices();
  ASSERT_TRUE(saveUserDevices(w->catalogue, path).isOk());
  const Bytes b = readBytes(path);
  ASSERT_EQ(b.size(), kHeader + 2 * kBlock);
  EXPECT_EQ(wordAt(b, 0), 100);
  EXPECT_EQ(wordAt(b, 4), 2);
  for (size_t at = 8; at < kHeader; at += 4) EXPECT_EQ(wordAt(b, at), 0) << at;

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

// The tag and the reserved words are read as written but not used: a load
// and a save give back the clean file.
TEST_F(UserDevicesFile, EverythingStoredSurvivesALoadAndSavesToTheSameBytes) {
  auto saved = twoDevices();
  ASSERT_TRUE(saveUserDevices(saved->catalogue, path).isOk());
  const Bytes first = readBytes(path);
  ASSERT_TRUE(saveUserDevices(saved->catalogue, path).isOk());
  EXPECT_EQ(readBytes(path), first) << "saving twice";
  Bytes dirty = first;
  putWordAt(dirty, 0, 7);
  for (size_t at = 8; at < kHeader; at += 4) putWordAt(dirty, at, -9);
  for (size_t at = 116; at < 128; at += 4) putWordAt(dirty, kHeader + kBlock + at, 0x55AA55AA);
  writeBytes(path, dirty);

  auto loaded = std::make_unique<UserWorld>();
  const UserDevicesLoad result = load(*loaded);
  EXPECT_TRUE(result.fromFile && !result.refused && messages.shown.empty());
  EXPECT_EQ(result.problem, "");
  ASSERT_EQ(loaded->catalogue.userCount, 2);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE("device " + std::to_string(i));
    const DeviceProfile& a = saved->catalogue.userDevices[static_cast<size_t>(i)];
    const DeviceProfile& b = loaded->catalogue.userDevices[static_cast<size_t>(i)];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ((std::vector<int32_t>{b.skinType, b.spaceAdjust, b.markAdjust, b.isLearned, b.userIndex, b.frameGap,
                                    b.labelCount, b.commandCount}),
              (std::vector<int32_t>{a.skinType, a.spaceAdjust, a.markAdjust, 1, i, 150000, 10, i == 0 ? 27 : 23}));
    ASSERT_NE(b.learnedSlots, nullptr);
    ASSERT_NE(b.labelTable, nullptr);
    for (int slot = 0; slot < 27; ++slot) EXPECT_EQ(b.learnedSlots[slot]->words, a.learnedSlots[slot]->words) << slot;
    for (int slot = 27; slot < 30; ++slot) EXPECT_TRUE(b.learnedSlots[slot]->empty()) << slot;
    for (int slot = 0; slot < 10; ++slot) {
      EXPECT_EQ(std::u16string_view(b.labelTable[slot], 15), saved->labelUnits(i, slot)) << "label " << slot;
    }
  }
  ASSERT_TRUE(saveUserDevices(loaded->catalogue, path).isOk());
  EXPECT_EQ(readBytes(path), first) << "saving what was loaded";
}

// Only the first word decides: -1 then anything is unlearned, a zero mark is
// learned; a stored slot past the skin's commands stays out of reach.
TEST_F(UserDevicesFile, SlotWhoseFirstWordIsMinusOneIsAnInactiveCommand) {
  auto w = std::make_unique<UserWorld>();
  w->add(u"Amp", kVcrSkin);
  Bytes b = userDevicesBytes(w->catalogue);
  const size_t slots = kHeader + 128;
  for (size_t word = 1; word < 200; ++word) putWordAt(b, slots + 4 * word, 4500);
  putWordAt(b, slots + 800, 9000);
  putWordAt(b, slots + 800 * 22, 0);
  putWordAt(b, slots + 800 * 26, 9000);
  writeBytes(path, b);

  auto loaded = std::make_unique<UserWorld>();
  load(*loaded);
  const DeviceProfile& amp = loaded->catalogue.userDevices[0];
  for (const auto& [command, active] : {std::pair{0, false}, {1, true}, {2, false}, {22, true}, {26, false}}) {
    EXPECT_EQ(commandExists(command, amp), active) << command;
  }
}

TEST_F(UserDevicesFile, StoredSkinAndLearnedFlagAreMadeSafe) {
  const struct { int32_t isLearned, skin, commandCount; bool problem; } cases[] = {
      {1, 2, 0, false}, {0, 0, 27, true}, {2, 1, 23, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE("isLearned " + std::to_string(c.isLearned) + ", skin " + std::to_string(c.skin));
    auto w = std::make_unique<UserWorld>();
    w->add(u"Amp", kTvSkin);
    w->learn(0, 0, 1);
    Bytes b = userDevicesBytes(w->catalogue);
    putWordAt(b, kHeader + 100, c.isLearned);
    putWordAt(b, kHeader + 104, c.skin);
    writeBytes(path, b);

    auto loaded = std::make_unique<UserWorld>();
    const UserDevicesLoad result = load(*loaded);
    const DeviceProfile& amp = loaded->catalogue.userDevices[0];
    ASSERT_EQ(loaded->catalogue.userCount, 1);
    EXPECT_EQ(amp.isLearned, 1);
    EXPECT_EQ(amp.commandCount, c.commandCount);
    EXPECT_EQ(commandExists(0, amp), c.commandCount > 0);
    EXPECT_EQ(!result.problem.empty(), c.problem) << result.problem;
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
    auto loaded = std::make_unique<UserWorld>();
    const UserDevicesLoad result = load(*loaded);
    ASSERT_FALSE(result.refused) << result.problem;
    ASSERT_EQ(loaded->catalogue.userCount, 2);
    EXPECT_NE(result.problem, "");
    EXPECT_TRUE(std::filesystem::exists(path)) << "a short file is used, not kept aside";

    Bytes expected(whole.begin(), whole.begin() + at);
    expected.insert(expected.end(), empty.begin() + at, empty.end());
    const Bytes again = userDevicesBytes(loaded->catalogue);
    ASSERT_EQ(again.size(), expected.size());
    EXPECT_EQ(std::mismatch(again.begin(), again.end(), expected.begin()).first - again.begin(), std::ssize(again))
        << "first wrong byte";
  }
}

// The file is refused whole and moved out of the way before anything can be
// saved over it; each refusal keeps its own copy.
TEST_F(UserDevicesFile, ImpossibleCountsAreRefusedAndKeptAside) {
  std::vector<std::pair<std::string, Bytes>> keptAside;
  for (const int32_t count : {31, -1}) {
    SCOPED_TRACE("count " + std::to_string(count));
    const Bytes file = testing::leWords({100, count, 0, 0, 0, 0});
    writeBytes(path, file);
    auto loaded = std::make_unique<UserWorld>();
    const UserDevicesLoad result = load(*loaded);
    const std::string aside = path + (keptAside.empty() ? ".bad" : ".bad.2");
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(loaded->catalogue.userCount, 0);
    EXPECT_EQ(loaded->catalogue.userDevices[0].learnedSlots, nullptr);
    EXPECT_NE(result.problem.find(aside), std::string::npos) << result.problem;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(readBytes(aside), file);
    keptAside.emplace_back(aside, file);
  }
  EXPECT_TRUE(messages.shown.empty());

  auto w = twoDevices();
  ASSERT_TRUE(saveUserDevices(w->catalogue, path).isOk());
  for (const auto& [aside, bytes] : keptAside) EXPECT_EQ(readBytes(aside), bytes) << aside;
}

// No file is no user devices, silently. A header that ends before its count
// says nothing usable either; kept aside or left in place, its bytes stay.
TEST_F(UserDevicesFile, MissingFileOrHeaderWithoutACountMeansNoUserDevices) {
  auto loaded = std::make_unique<UserWorld>();
  loaded->catalogue.userCount = 5;
  const UserDevicesLoad result = load(*loaded);
  EXPECT_FALSE(result.fromFile || result.refused);
  EXPECT_EQ(result.problem, "");
  EXPECT_EQ(loaded->catalogue.userCount, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing is written for a missing file";

  for (const Bytes& file : {Bytes{}, Bytes{100, 0, 0, 0, 2, 0, 0}}) {
    SCOPED_TRACE(std::to_string(file.size()) + " bytes");
    std::filesystem::remove(path + ".bad");
    writeBytes(path, file);
    loaded->catalogue.userCount = 3;
    load(*loaded);
    EXPECT_EQ(loaded->catalogue.userCount, 0);
    EXPECT_EQ(readBytes(std::filesystem::exists(path) ? path : path + ".bad"), file);
  }
}

TEST_F(UserDevicesFile, AllocationFailureIsShownAndRefusesTheFile) {
  auto w = twoDevices();
  w->add(u"Third", kTvSkin);
  const Bytes file = userDevicesBytes(w->catalogue);
  writeBytes(path, file);

  auto loaded = std::make_unique<UserWorld>();
  const UserDevicesLoad result = load(*loaded, [](UserDeviceBuffers& buffers, int device) {
    return device < 1 && allocateUserDeviceBuffers(buffers, device);
  });
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Memory alloc error!!!");
  EXPECT_EQ(messages.shown[0].caption, "Error");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::exclamation);
  EXPECT_TRUE(result.refused);
  EXPECT_EQ(loaded->catalogue.userCount, 0);
  EXPECT_EQ(loaded->catalogue.userDevices[0].commandCount, 0);
  EXPECT_EQ(readBytes(path + ".bad"), file);
}

}  // namespace
}  // namespace zapvane
