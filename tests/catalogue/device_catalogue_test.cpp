// The catalogue's shape, the reset of the user-device records, and which taps
// have something to send. Built-in rows are checked one by one elsewhere.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/device_catalogue.h"

namespace zapvane {
namespace {

// The catalogue with no files, as start-up builds it before loading any.
struct StartedCatalogue {
  StartedCatalogue() { startCatalogue(*catalogue, current); }
  std::unique_ptr<DeviceCatalogue> catalogue = std::make_unique<DeviceCatalogue>();
  CurrentDevice current;
};

TEST(CatalogueOrder, BuiltInDevicesFirstThenTheUserDevices) {
  for (const int32_t users : {0, 30}) {
    SCOPED_TRACE(std::to_string(users) + " user devices");
    StartedCatalogue started;
    DeviceCatalogue& c = *started.catalogue;
    CurrentDevice& current = started.current;
    c.userCount = users;
    // Building always starts from entry 0; the selection file restores the shown device later.
    current.device = &c.userDevices[4];
    current.catalogueIndex = 42;
    current.selectionPos = 7;
    buildCatalogue(c, current);

    ASSERT_EQ(c.catalogueCount, 38 + users);
    for (size_t i = 0; i < 38; ++i) EXPECT_EQ(c.entries[i], &c.builtIn[i]) << "entry " << i;
    for (size_t i = 0; i < static_cast<size_t>(users); ++i) {
      EXPECT_EQ(c.entries[38 + i], &c.userDevices[i]) << "user device " << i;
      EXPECT_EQ(c.entries[38 + i]->userIndex, static_cast<int32_t>(i));
    }
    EXPECT_TRUE(current.device == c.entries[0] && current.catalogueIndex == 0 && current.selectionPos == 0);
  }
}

TEST(AppendUserDevice, NewDeviceTakesIndex38PlusUserIndexOnlyWhenInUse) {
  StartedCatalogue started;
  DeviceCatalogue& c = *started.catalogue;
  c.userCount = 1;
  for (const int32_t index : {-1, 1, 30}) EXPECT_FALSE(appendUserDevice(c, index)) << "user index " << index;
  EXPECT_EQ(c.catalogueCount, 38);

  for (int32_t i = 0; i < 30; ++i) {
    c.userCount = i + 1;  // the workflow counts the device in before appending it
    ASSERT_TRUE(appendUserDevice(c, i)) << "user device " << i;
    EXPECT_EQ(c.catalogueCount, 39 + i);
    EXPECT_EQ(c.entries[static_cast<size_t>(38 + i)], &c.userDevices[static_cast<size_t>(i)]);
  }
  EXPECT_FALSE(appendUserDevice(c, 29)) << "a 31st entry would overflow the catalogue";
  EXPECT_EQ(c.catalogueCount, 68);
}

// Every field a reset user device must hold at 0.
std::vector<int32_t*> zeroedFields(DeviceProfile& p) {
  FrameTiming& t = p.timing;
  return {&t.headerMark, &t.headerSpace, &t.oneMark,   &t.oneSpace,  &t.zeroMark,     &t.zeroSpace,
          &t.trailerMark, &t.trailerSpace, &t.tailMark1, &t.tailWait1, &t.tailMark2,    &t.tailWait2,
          &t.codeBits,   &p.commandCount, &p.labelCount, &t.trailerWait, &p.skinType};
}

TEST(ResetUserDevices, EveryRecordBecomesAnEmptyLearnedDevice) {
  auto catalogue = std::make_unique<DeviceCatalogue>();
  DeviceCatalogue& c = *catalogue;
  const uint32_t table[4] = {};
  const char16_t* labels[1] = {u"x"};
  LearnedSignal* slots[kUserSignalSlots] = {};
  for (DeviceProfile& p : c.userDevices) {
    for (int32_t* field : zeroedFields(p)) *field = 9;
    p.name[0] = u'X';
    p.codeTable = table;
    p.labelTable = labels;
    p.learnedSlots = slots;
    p.frameGap = p.isLearned = p.userIndex = p.spaceAdjust = p.markAdjust = 3;
  }
  resetUserDevices(c);
  for (int32_t i = 0; i < kMaxUserDevices; ++i) {
    DeviceProfile& p = c.userDevices[static_cast<size_t>(i)];
    SCOPED_TRACE("user device " + std::to_string(i));
    std::vector<int32_t> values;
    for (const int32_t* field : zeroedFields(p)) values.push_back(*field);
    EXPECT_EQ(values, std::vector<int32_t>(values.size(), 0)) << "in the order of zeroedFields()";
    EXPECT_EQ((std::vector<int32_t>{p.name[0], p.userIndex, p.frameGap, p.isLearned, p.spaceAdjust, p.markAdjust}),
              (std::vector<int32_t>{0, i, 150000, 1, 0, 0}));
    EXPECT_TRUE(p.codeTable == nullptr && p.labelTable == nullptr && p.learnedSlots == nullptr);
  }
}

// A built-in device with a code table of our own.
void useTable(DeviceProfile& p, const std::vector<uint32_t>& words, int32_t codeBits) {
  p.timing.codeBits = codeBits;
  p.codeTable = words.data();
  p.commandCount = static_cast<int32_t>(words.size()) / (codeBits > 32 ? 5 : 4);
}

constexpr uint32_t kAbsent = 0xFFFFFFFFu;

// On the shift page the hit test has chosen shiftCommand; the tapped index
// plays no part, and every built-in shift-page row carries a code.
TEST(CommandExists, BuiltInRowsByTheirFirstWordOrTheShiftCommand) {
  const std::vector<uint32_t> narrow = {
      0,       0,     0,   0,  // code 0 is a code like any other
      kAbsent, 0x810, 200, 0,  // absent, whatever the rest of the row says
      0x7FF,   0,     0,   0,  //
      0x810,   0,     1,   0,
  };
  const std::vector<uint32_t> wide = {
      kAbsent, 0x01000809, 0, 0, 0,  //
      0x4004,  kAbsent,    0, 0, 0,  // only the first word marks an absent row
  };
  DeviceProfile p16, p48;
  useTable(p16, narrow, 16);
  useTable(p48, wide, 48);
  const struct {
    const DeviceProfile& profile;
    int32_t index;
    PageState page;
    bool exists;
  } cases[] = {
      {p16, 0, {}, true},  {p16, 1, {}, false}, {p16, 3, {}, true},  {p16, 4, {}, false},
      {p16, -1, {}, false}, {p48, 0, {}, false}, {p48, 1, {}, true},  {p48, 2, {}, false},
      {p16, 1, {true, 3}, true}, {p16, 99, {true, 0}, true}, {p16, 0, {true, 4}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(commandExists(c.index, c.profile, c.page), c.exists)
        << c.profile.timing.codeBits << "-bit table, index " << c.index << ", shift page " << c.page.shiftPage << " command "
        << c.page.shiftCommand;
  }
}

TEST(CommandExists, LearnedCommandsNeedASignal) {
  LearnedSignal learned, empty;
  learned.clear();
  learned.words[0] = 9000;
  empty.clear();
  std::array<LearnedSignal*, kUserSignalSlots> slots{};
  for (const int i : {0, 26, 27}) slots[static_cast<size_t>(i)] = &learned;
  slots[1] = &empty;  // slot 2 stays missing
  DeviceProfile profile;
  profile.isLearned = 1;
  profile.commandCount = 27;
  profile.learnedSlots = slots.data();

  for (const auto& [index, exists] :
       {std::pair{0, true}, {1, false}, {2, false}, {26, true}, {27, false}, {-1, false}}) {
    EXPECT_EQ(commandExists(index, profile), exists) << "main page, slot " << index;
    EXPECT_EQ(commandExists(5, profile, PageState{true, index}), exists) << "shift page, slot " << index;
  }
  EXPECT_EQ(learnedSlot(profile, 1), &empty);
  EXPECT_EQ(learnedSlot(profile, 2), nullptr);

  profile.learnedSlots = nullptr;  // a device whose buffers were never allocated
  EXPECT_FALSE(commandExists(0, profile));
  EXPECT_FALSE(commandExists(0, profile, PageState{true, 0}));
  EXPECT_EQ(learnedSlot(profile, 0), nullptr);
}

}  // namespace
}  // namespace zapvane
