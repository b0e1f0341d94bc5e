// The user-devices file: a file typed from its layout table loads field by field and
// saves back byte for byte; skins, short files, and files refused and kept aside.
#include "storage/user_devices_file.h"

#include <gtest/gtest.h>

#include "platform/memory_file_system.h"
#include "support/fakes.h"
#include "support/test_folder.h"
#include "support/user_world.h"

namespace zapvane::testing {

constexpr size_t kBlock = 22028, kDevice1 = 24 + kBlock;

class UserDevicesFile : public ::testing::Test {
 protected:
  // Loads `file` (none: no file) into reset records whose stale count no load may keep.
  std::unique_ptr<UserWorld> load(std::optional<Bytes> file, BufferAllocator allocate = allocateUserDeviceBuffers) {
    if (file) disk.put(path, *file);
    auto w = std::make_unique<UserWorld>();
    w->catalogue.userCount = 5;
    result = loadUserDevices(w->catalogue, w->buffers, disk, path, messages, allocate);
    return w;
  }
  // The first byte where `saved` differs from `expected`, -1 when none does.
  static std::ptrdiff_t firstDifference(const Bytes& saved, const Bytes& expected) {
    const auto at = std::mismatch(saved.begin(), saved.end(), expected.begin(), expected.end()).first;
    return saved == expected ? -1 : at - saved.begin();
  }
  MemoryFileSystem disk;
  const std::string path = "/data/remotes.usr";
  const Bytes typed = layoutFile(ZAPVANE_TEST_DATA "/storage/two_devices.usr.txt");
  RecordingMessages messages;
  UserDevicesLoad result;
};

TEST_F(UserDevicesFile, TypedFileLoadsFieldByFieldAndSavesBackTheSameBytes) {
  Bytes dirty = typed;  // the tag and the reserved words are read but never used
  for (const size_t at : {0u, 8u, 20u, 22168u, 22176u}) putWordAt(dirty, at, -9);
  const auto w = load(dirty);
  ASSERT_TRUE(result.fromFile && result.finding.isOk() && w->catalogue.userCount == 2) << result.finding.message();
  const DeviceProfile &tv = w->catalogue.userDevices[0], &vcr = w->catalogue.userDevices[1];
  for (const DeviceProfile* d : {&tv, &vcr}) {
    EXPECT_EQ((std::vector<int32_t>{d->isLearned, d->skinType, d->spaceAdjust, d->markAdjust, d->commandCount,
                                    d->labelCount, d->frameGap, d->userIndex}),
              d == &tv ? std::vector({1, 0, 2, -1, 27, 10, 150000, 0}) : std::vector({1, 1, -3, 5, 23, 10, 150000, 1}));
  }
  EXPECT_EQ(std::u16string(tv.name.data()) + u"|" + vcr.name.data() + vcr.name[10], u"Living room TV|Vid\u00e9o\u2713x");
  EXPECT_EQ(std::u16string(tv.labelTable[0]) + u"|" + vcr.labelTable[0] + u"|" + std::u16string(vcr.labelTable[9], 15),
            u"Teletext|Rec|ABCDEFGHIJKLMNO");
  EXPECT_EQ(std::vector({w->signal(0, 0).space(3), w->signal(0, 16).words[199], w->signal(1, 26).space(0)}),
            std::vector({40000, 562, 25000}));
  EXPECT_EQ(std::vector({commandExists(0, vcr), commandExists(1, vcr), commandExists(2, vcr), commandExists(22, vcr),
                         commandExists(26, vcr)}), std::vector({true, false, false, true, false}));
  EXPECT_TRUE(w->signal(1, 27).empty() && w->signal(1, 29).empty());
  w->signal(1, 27).words[0] = 9000;  // slots 27..29 are never stored
  ASSERT_TRUE(saveUserDevices(w->catalogue, disk, path).isOk());
  EXPECT_EQ(firstDifference(disk.bytesOf(path), typed), -1);
}

TEST_F(UserDevicesFile, StoredSkinAndLearnedFlagAreMadeSafe) {
  const struct { int32_t isLearned, skin, commandCount; bool problem; } cases[] = {
      {1, 2, 0, false}, {0, 0, 27, true}, {2, 1, 23, true}};
  for (const auto& c : cases) {
    Bytes one(typed.begin(), typed.begin() + kDevice1);
    putWordAt(one, 4, 1), putWordAt(one, 124, c.isLearned), putWordAt(one, 128, c.skin);
    const auto w = load(one);
    const DeviceProfile& d = w->catalogue.userDevices[0];
    EXPECT_EQ(std::vector({d.isLearned, d.commandCount}), std::vector({1, c.commandCount})) << c.isLearned << c.skin;
    EXPECT_EQ(commandExists(0, d), c.commandCount > 0);
    EXPECT_EQ(!result.finding.isOk(), c.problem) << result.finding.message();
  }
}

// Whatever the cut, the devices hold exactly the bytes the file has and are
// as reset and allocated after it; the file is used, not kept aside.
TEST_F(UserDevicesFile, FileCutShortLoadsWhatItHas) {
  Bytes whole = typed;  // every signal word of device 1 non-zero, so that a word read short shows
  for (size_t at = kDevice1 + 128; at < kDevice1 + 21728; at += 4) putWordAt(whole, at, static_cast<int64_t>(at));
  auto reset = std::make_unique<UserWorld>();
  reset->add(u"", kTvSkin), reset->add(u"", kTvSkin);
  const Bytes fresh = userDevicesBytes(reset->catalogue);
  std::vector<std::ptrdiff_t> cuts = {std::ssize(whole) - 2};  // only the last unit of the last label missing
  for (std::ptrdiff_t cut = 8; cut < std::ssize(whole); cut += 212) cuts.push_back(cut);
  for (const std::ptrdiff_t cut : cuts) {
    const auto w = load(Bytes(whole.begin(), whole.begin() + cut));
    ASSERT_TRUE(w->catalogue.userCount == 2 && !result.refused && !result.finding.isOk() && disk.has(path)) << cut;
    Bytes expected(whole.begin(), whole.begin() + cut);
    expected.insert(expected.end(), fresh.begin() + cut, fresh.end());
    EXPECT_EQ(firstDifference(userDevicesBytes(w->catalogue), expected), -1) << "cut at " << cut;
  }
}

// No file is no device, silently, and thirty fill 660864 bytes; anything else
// unusable is refused whole and moved out of the way before anything can be
// saved over it, each to a copy of its own; only a failed allocation is shown.
TEST_F(UserDevicesFile, UnusableFilesAreRefusedAndKeptAside) {
  EXPECT_TRUE(load(std::nullopt)->catalogue.userCount == 0 && !result.fromFile && result.finding.isOk());
  const auto thirty = load(leWords({100, 30}));
  EXPECT_TRUE(thirty->catalogue.userCount == 30 && !result.refused) << result.finding.message();
  EXPECT_EQ(userDevicesBytes(thirty->catalogue).size(), 660864u);
  const BufferAllocator onlyTheFirst = [](UserDeviceBuffers& b, int device) {
    return device < 1 && allocateUserDeviceBuffers(b, device);
  };
  const struct { Bytes file; const char* aside; BufferAllocator allocate = allocateUserDeviceBuffers; } cases[] = {
      {leWords({100, 31, 0, 0, 0, 0}), ".bad"}, {leWords({100, -1, 0, 0, 0, 0}), ".bad.2"},
      {typed, ".bad.3", onlyTheFirst}, {{}, ".bad.4"}, {{100, 0, 0, 0, 2, 0, 0}, ".bad.5"}};
  for (const auto& c : cases) {
    const auto w = load(c.file, c.allocate);
    EXPECT_TRUE(result.refused && w->catalogue.userCount == 0 && !w->catalogue.userDevices[0].learnedSlots) << c.aside;
    EXPECT_TRUE(result.finding.message().ends_with("kept as " + path + c.aside)) << result.finding.message();
    EXPECT_FALSE(disk.has(path));
  }
  for (const auto& c : cases) EXPECT_EQ(disk.bytesOf(path + c.aside), c.file) << c.aside;
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.shown[0].text + "|" + messages.shown[0].caption == "Memory alloc error!!!|Error" &&
              messages.shown[0].icon == MessageIcon::exclamation);
  disk.fault = FileFault::readOnly;  // nowhere to keep it: refused all the same, and left where it is
  load(leWords({100, 31}));
  EXPECT_TRUE(result.refused && disk.has(path));
  EXPECT_NE(result.finding.message().find("could not keep the file aside"), std::string::npos);
}

}  // namespace zapvane::testing
