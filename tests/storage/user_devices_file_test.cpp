// The user-devices file: its byte layout (files from the handheld must load),
// what survives a save and a load, how damaged or short files load, and the
// refusal of files the program cannot use, which are kept aside unharmed.
#include "storage/user_devices_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
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

constexpr size_t kBlock = 22028;
constexpr size_t kHeader = 24;

Bytes fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

int32_t wordAt(const Bytes& b, size_t at) {
  uint32_t word = 0;
  for (size_t k = 0; k < 4; ++k) word |= static_cast<uint32_t>(b.at(at + k)) << (8 * k);
  return static_cast<int32_t>(word);
}

void putWordAt(Bytes& b, size_t at, int32_t value) {
  for (size_t k = 0; k < 4; ++k) b.at(at + k) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * k));
}

char16_t unitAt(const Bytes& b, size_t at) { return static_cast<char16_t>(b.at(at) | b.at(at + 1) << 8); }

class RecordingMessages final : public MessageSink {
 public:
  void show(const Message& message) override { shown.push_back(message); }
  std::vector<Message> shown;
};

// A catalogue with its user-device buffers, as start-up leaves it before the
// file is loaded.
struct UserWorld {
  DeviceCatalogue catalogue;
  UserDeviceBuffers buffers;

  UserWorld() { resetUserDevices(catalogue); }

  // A user device as the learning workflow creates it.
  DeviceProfile& add(std::u16string_view name, int32_t skin, int32_t space = 0, int32_t mark = 0) {
    const int i = catalogue.userCount;
    EXPECT_TRUE(allocateUserDeviceBuffers(buffers, i));
    DeviceProfile& d = catalogue.userDevices[static_cast<size_t>(i)];
    std::copy(name.begin(), name.end(), d.name.begin());
    d.skinType = skin;
    d.spaceAdjust = space;
    d.markAdjust = mark;
    attachUserDeviceBuffers(d, buffers, i);
    ++catalogue.userCount;
    return d;
  }

  // `pairs` (mark, space) pairs derived from seed, then the end pair.
  void learn(int device, int slot, int32_t seed, int pairs = 12) {
    LearnedSignal& s = *buffers.signalRows[static_cast<size_t>(device)][static_cast<size_t>(slot)];
    for (size_t w = 0; w < s.words.size(); ++w) s.words[w] = seed * 1000 + static_cast<int32_t>(w);
    if (pairs < kSignalPairs) {
      s.words[static_cast<size_t>(2 * pairs)] = kEndMark;
      s.words[static_cast<size_t>(2 * pairs + 1)] = kEndMark;
    }
  }

  void label(int device, int slot, std::u16string_view text) {
    std::copy(text.begin(), text.end(), buffers.labelRows[static_cast<size_t>(device)][static_cast<size_t>(slot)]);
  }

  const LearnedSignal& signal(int device, int slot) const {
    return *buffers.signalRows[static_cast<size_t>(device)][static_cast<size_t>(slot)];
  }
  std::u16string_view labelUnits(int device, int slot) const {
    return {buffers.labelRows[static_cast<size_t>(device)][static_cast<size_t>(slot)], kLabelUnits};
  }
};

// Two devices that use every stored part of a block: a TV-skin device and a
// VCR-skin one with negative adjustments, learned slots at both ends of the
// stored range, one past it, and labels up to their full 15 units.
std::unique_ptr<UserWorld> twoDevices() {
  auto w = std::make_unique<UserWorld>();
  w->add(u"Living room TV", kTvSkin, 2, -1);
  w->learn(0, 0, 1);
  w->learn(0, 16, 2, kSignalPairs);  // all 100 pairs, no end pair
  w->label(0, 0, u"Teletext");
  DeviceProfile& vcr = w->add(u"Vid\u00e9o\u2713", kVcrSkin, -3, 5);
  vcr.name[10] = u'x';  // after the terminator: stored as it is in memory
  w->learn(1, 0, 3);
  w->learn(1, 26, 4);
  w->learn(1, 27, 5);  // never stored
  w->label(1, 0, u"Rec");
  w->label(1, 9, u"ABCDEFGHIJKLMNO");
  return w;
}

class UserDevicesFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "zapvane-users-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    path = (dir / "remotes.usr").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  UserDevicesLoad load(UserWorld& into, BufferAllocator allocate = allocateUserDeviceBuffers) {
    return loadUserDevices(into.catalogue, into.buffers, path, messages, allocate);
  }

  fs::path dir;
  std::string path;
  RecordingMessages messages;
};

TEST_F(UserDevicesFileTest, FileIsAHeaderAndOneBlockPerDevice) {
  struct Case {
    int devices;
    uintmax_t size;
  };
  for (const Case c : {Case{0, 24}, Case{1, 22052}, Case{2, 44080}, Case{30, 660864}}) {
    auto w = std::make_unique<UserWorld>();
    for (int i = 0; i < c.devices; ++i) w->add(u"dev", i % 2);
    ASSERT_TRUE(saveUserDevices(w->catalogue, path).isOk());
    EXPECT_EQ(fs::file_size(path), c.size) << c.devices << " devices";
  }
}

TEST_F(UserDevicesFileTest, FieldsSitAtTheirOffsets) {
  auto w = twoDevices();
  ASSERT_TRUE(saveUserDevices(w->catalogue, path).isOk());
  const Bytes b = fileBytes(path);
  ASSERT_EQ(b.size(), kHeader + 2 * kBlock);

  EXPECT_EQ(wordAt(b, 0), 100);
  EXPECT_EQ(wordAt(b, 4), 2);
  for (size_t at = 8; at < kHeader; at += 4) EXPECT_EQ(wordAt(b, at), 0) << at;

  for (size_t device = 0; device < 2; ++device) {
    SCOPED_TRACE("device " + std::to_string(device));
    const size_t block = kHeader + kBlock * device;
    const DeviceProfile& d = w->catalogue.userDevices[device];
    for (size_t u = 0; u < 50; ++u) EXPECT_EQ(unitAt(b, block + 2 * u), d.name[u]) << "name unit " << u;
    EXPECT_EQ(wordAt(b, block + 100), 1);  // isLearned comes before skinType
    EXPECT_EQ(wordAt(b, block + 104), d.skinType);
    EXPECT_EQ(wordAt(b, block + 108), d.spaceAdjust);
    EXPECT_EQ(wordAt(b, block + 112), d.markAdjust);
    for (size_t at = 116; at < 128; at += 4) EXPECT_EQ(wordAt(b, block + at), 0) << at;
    for (size_t slot = 0; slot < 27; ++slot) {
      const LearnedSignal& s = w->signal(static_cast<int>(device), static_cast<int>(slot));
      for (size_t word = 0; word < 200; ++word) {
        ASSERT_EQ(wordAt(b, block + 128 + 800 * slot + 4 * word), s.words[word]) << "slot " << slot << " word " << word;
      }
    }
    for (size_t slot = 0; slot < 10; ++slot) {
      const auto label = w->labelUnits(static_cast<int>(device), static_cast<int>(slot));
      for (size_t u = 0; u < 15; ++u)
        EXPECT_EQ(unitAt(b, block + 21728 + 30 * slot + 2 * u), label[u]) << "label " << slot;
    }
  }
  EXPECT_EQ(unitAt(b, kHeader + kBlock + 2 * 3), u'\u00e9');
  EXPECT_EQ(wordAt(b, kHeader + 104), kTvSkin);
  EXPECT_EQ(wordAt(b, kHeader + kBlock + 128), 3000);
  EXPECT_EQ(wordAt(b, kHeader + kBlock + 128 + 800), -1);  // slot 1 never learned
}

TEST_F(UserDevicesFileTest, EverythingStoredSurvivesALoadAndSavesToTheSameBytes) {
  auto saved = twoDevices();
  ASSERT_TRUE(saveUserDevices(saved->catalogue, path).isOk());
  const Bytes first = fileBytes(path);
  ASSERT_TRUE(saveUserDevices(saved->catalogue, path).isOk());
  EXPECT_EQ(fileBytes(path), first) << "saving twice";

  auto loaded = std::make_unique<UserWorld>();
  const UserDevicesLoad result = load(*loaded);
  EXPECT_TRUE(result.fromFile);
  EXPECT_FALSE(result.refused);
  EXPECT_TRUE(result.problem.empty()) << result.problem;
  EXPECT_TRUE(messages.shown.empty());
  ASSERT_EQ(loaded->catalogue.userCount, 2);

  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE("device " + std::to_string(i));
    const DeviceProfile& a = saved->catalogue.userDevices[static_cast<size_t>(i)];
    const DeviceProfile& b = loaded->catalogue.userDevices[static_cast<size_t>(i)];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.skinType, a.skinType);
    EXPECT_EQ(b.spaceAdjust, a.spaceAdjust);
    EXPECT_EQ(b.markAdjust, a.markAdjust);
    EXPECT_EQ(b.isLearned, 1);
    EXPECT_EQ(b.userIndex, i);
    EXPECT_EQ(b.frameGap, 150000);
    EXPECT_EQ(b.labelCount, 10);
    EXPECT_EQ(b.commandCount, a.skinType == kVcrSkin ? 23 : 27);
    ASSERT_NE(b.learnedSlots, nullptr);
    ASSERT_NE(b.labelTable, nullptr);
    for (int slot = 0; slot < 27; ++slot) EXPECT_EQ(b.learnedSlots[slot]->words, a.learnedSlots[slot]->words) << slot;
    for (int slot = 27; slot < 30; ++slot) EXPECT_TRUE(b.learnedSlots[slot]->empty()) << slot;
    for (int slot = 0; slot < 10; ++slot) {
      EXPECT_EQ(std::u16string_view(b.labelTable[slot], 15), loaded->labelUnits(i, slot));
      EXPECT_EQ(loaded->labelUnits(i, slot), saved->labelUnits(i, slot)) << "label " << slot;
    }
  }
  // The VCR device: a learned command is active, an unlearned one is not,
  // and slot 26 is stored but lies past its 23 commands.
  const DeviceProfile& vcr = loaded->catalogue.userDevices[1];
  EXPECT_TRUE(commandExists(0, vcr));
  EXPECT_FALSE(commandExists(1, vcr));
  EXPECT_FALSE(commandExists(26, vcr));
  EXPECT_FALSE(commandExists(27, vcr));

  ASSERT_TRUE(saveUserDevices(loaded->catalogue, path).isOk());
  EXPECT_EQ(fileBytes(path), first) << "saving what was loaded";
}

TEST_F(UserDevicesFileTest, SlotWhoseFirstWordIsMinusOneIsAnInactiveCommand) {
  auto w = std::make_unique<UserWorld>();
  w->add(u"Amp", kTvSkin);
  Bytes b = userDevicesBytes(w->catalogue);
  const size_t slots = kHeader + 128;
  for (size_t word = 1; word < 200; ++word) putWordAt(b, slots + 4 * word, 4500);  // slot 0: -1, then junk
  putWordAt(b, slots + 800, 9000);                                                 // slot 1: learned
  putWordAt(b, slots + 800 * 26, 0);                                               // slot 26: a zero mark
  writeBytes(path, b);

  auto loaded = std::make_unique<UserWorld>();
  load(*loaded);
  const DeviceProfile& amp = loaded->catalogue.userDevices[0];
  EXPECT_FALSE(commandExists(0, amp));
  EXPECT_TRUE(commandExists(1, amp));
  EXPECT_FALSE(commandExists(2, amp));
  EXPECT_TRUE(commandExists(26, amp));
}

TEST_F(UserDevicesFileTest, StoredSkinAndLearnedFlagAreMadeSafe) {
  struct Case {
    int32_t isLearned;
    int32_t skin;
    int32_t commandCount;
    bool problem;
  };
  for (const Case c : {Case{1, 0, 27, false}, Case{1, 1, 23, false}, Case{1, 2, 0, false}, Case{1, -1, 0, false},
                       Case{0, 0, 27, true}, Case{2, 1, 23, true}, Case{-1, 0, 27, true}}) {
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

TEST_F(UserDevicesFileTest, TagAndReservedWordsAreIgnoredAndRewrittenAsZero) {
  auto w = twoDevices();
  const Bytes clean = userDevicesBytes(w->catalogue);
  Bytes dirty = clean;
  putWordAt(dirty, 0, 7);
  for (size_t at = 8; at < kHeader; at += 4) putWordAt(dirty, at, -9);
  for (size_t at = 116; at < 128; at += 4) putWordAt(dirty, kHeader + kBlock + at, 0x55AA55AA);
  writeBytes(path, dirty);

  auto loaded = std::make_unique<UserWorld>();
  EXPECT_FALSE(load(*loaded).refused);
  EXPECT_EQ(userDevicesBytes(loaded->catalogue), clean);
}

TEST_F(UserDevicesFileTest, MissingFileMeansNoUserDevices) {
  auto loaded = std::make_unique<UserWorld>();
  loaded->catalogue.userCount = 5;
  const UserDevicesLoad result = load(*loaded);
  EXPECT_FALSE(result.fromFile);
  EXPECT_FALSE(result.refused);
  EXPECT_TRUE(result.problem.empty());
  EXPECT_EQ(loaded->catalogue.userCount, 0);
  EXPECT_TRUE(fs::is_empty(dir));
}

// Whatever the cut, the loaded devices hold exactly the bytes the file has,
// and everything after the cut is as fresh as a newly created device.
TEST_F(UserDevicesFileTest, FileCutShortLoadsWhatItHas) {
  auto w = twoDevices();
  for (int slot = 0; slot < 27; ++slot) w->learn(1, slot, 10 + slot);
  const Bytes whole = userDevicesBytes(w->catalogue);
  auto fresh = std::make_unique<UserWorld>();
  fresh->add(u"", kTvSkin);
  fresh->add(u"", kTvSkin);
  const Bytes empty = userDevicesBytes(fresh->catalogue);

  std::vector<size_t> cuts = {whole.size() - 2};  // only the last unit of the last label missing
  for (size_t cut = 8; cut < whole.size(); cut += 4 * 53) cuts.push_back(cut);
  for (size_t cut : cuts) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    writeBytes(path, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    auto loaded = std::make_unique<UserWorld>();
    const UserDevicesLoad result = load(*loaded);
    ASSERT_FALSE(result.refused) << result.problem;
    ASSERT_EQ(loaded->catalogue.userCount, 2);
    EXPECT_FALSE(result.problem.empty());
    EXPECT_TRUE(fs::exists(path)) << "a short file is used, not kept aside";

    Bytes expected(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    expected.insert(expected.end(), empty.begin() + static_cast<std::ptrdiff_t>(cut), empty.end());
    const Bytes again = userDevicesBytes(loaded->catalogue);
    ASSERT_EQ(again.size(), expected.size());
    size_t firstDiff = 0;
    while (firstDiff < again.size() && again[firstDiff] == expected[firstDiff]) ++firstDiff;
    EXPECT_EQ(firstDiff, again.size()) << "first wrong byte at " << firstDiff;
  }
}

// The file is refused whole and moved out of the way before anything can be
// saved over it; each refusal keeps its own copy.
TEST_F(UserDevicesFileTest, UnusableFilesAreRefusedAndKeptAside) {
  struct Case {
    const char* what;
    Bytes file;
  };
  auto withCount = [](int32_t count) {
    Bytes b(kHeader, 0);
    putWordAt(b, 0, 100);
    putWordAt(b, 4, count);
    return b;
  };
  const std::vector<Case> cases = {{"count 31", withCount(31)},
                                   {"count -1", withCount(-1)},
                                   {"lowest count", withCount(INT32_MIN)},
                                   {"highest count", withCount(INT32_MAX)}};
  std::vector<std::pair<fs::path, Bytes>> keptAside;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(path, c.file);
    auto loaded = std::make_unique<UserWorld>();
    const UserDevicesLoad result = load(*loaded);
    const std::string aside = path + (keptAside.empty() ? ".bad" : ".bad." + std::to_string(keptAside.size() + 1));
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(loaded->catalogue.userCount, 0);
    EXPECT_EQ(loaded->catalogue.userDevices[0].learnedSlots, nullptr);
    EXPECT_NE(result.problem.find(aside), std::string::npos) << result.problem;
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(fileBytes(aside), c.file);
    EXPECT_TRUE(messages.shown.empty());
    keptAside.emplace_back(aside, c.file);
  }

  auto w = twoDevices();
  ASSERT_TRUE(saveUserDevices(w->catalogue, path).isOk());
  EXPECT_EQ(fileBytes(path), userDevicesBytes(w->catalogue));
  for (const auto& [aside, bytes] : keptAside) EXPECT_EQ(fileBytes(aside), bytes) << aside;
}

// A header that ends before its count says nothing usable; whether it is
// kept aside or left in place, its bytes must not be lost.
TEST_F(UserDevicesFileTest, HeaderWithoutACountGivesNoUserDevices) {
  for (const Bytes& file : {Bytes{}, Bytes{100}, Bytes{100, 0, 0, 0, 2, 0, 0}}) {
    SCOPED_TRACE(std::to_string(file.size()) + " bytes");
    fs::remove(path + ".bad");
    writeBytes(path, file);
    auto loaded = std::make_unique<UserWorld>();
    loaded->catalogue.userCount = 3;
    load(*loaded);
    EXPECT_EQ(loaded->catalogue.userCount, 0);
    EXPECT_EQ(fileBytes(fs::exists(path) ? path : path + ".bad"), file);
  }
}

TEST_F(UserDevicesFileTest, AllocationFailureIsShownAndRefusesTheFile) {
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
  EXPECT_EQ(fileBytes(path + ".bad"), file);
}

}  // namespace
}  // namespace zapvane
