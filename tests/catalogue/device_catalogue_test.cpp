// The catalogue's shape (built-in devices first, user devices after them),
// the reset of the user-device records, the row layout of code tables, and
// which taps have something to send.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "core/remote_core.h"

namespace zapvane {
namespace {

std::u16string nameOf(const DeviceProfile& p) { return std::u16string(p.name.data()); }

TEST(CatalogueOrder, WithoutUserDevicesHoldsTheBuiltInDevices) {
  RemoteCore core;
  startCatalogue(core);
  const DeviceCatalogue& c = core.catalogue;
  ASSERT_EQ(c.catalogueCount, 38);
  for (size_t i = 0; i < 38; ++i) EXPECT_EQ(c.entries[i], &c.builtIn[i]) << "entry " << i;
  EXPECT_EQ(nameOf(*c.entries[0]), u"SONY - TV");
  EXPECT_EQ(nameOf(*c.entries[37]), u"AIWA - audio");
  EXPECT_EQ(core.current.device.load(), c.entries[0]);
}

TEST(CatalogueOrder, UserDevicesFollowTheBuiltInOnes) {
  RemoteCore core;
  startCatalogue(core);
  core.catalogue.userCount = 30;
  // The selection file restores the shown device later; building always
  // starts from entry 0.
  core.current.device = &core.catalogue.userDevices[4];
  core.current.catalogueIndex = 42;
  core.current.selectionPos = 7;
  buildCatalogue(core.catalogue, core.current);

  const DeviceCatalogue& c = core.catalogue;
  ASSERT_EQ(c.catalogueCount, 68);
  EXPECT_EQ(nameOf(*c.entries[37]), u"AIWA - audio");
  for (size_t i = 0; i < 30; ++i) {
    EXPECT_EQ(c.entries[38 + i], &c.userDevices[i]) << "user device " << i;
    EXPECT_EQ(c.entries[38 + i]->userIndex, static_cast<int32_t>(i));
  }
  EXPECT_EQ(core.current.device.load(), c.entries[0]);
  EXPECT_EQ(core.current.catalogueIndex.load(), 0);
  EXPECT_EQ(core.current.selectionPos.load(), 0);
}

TEST(AppendUserDevice, NewDeviceTakesIndex38PlusUserIndex) {
  RemoteCore core;
  startCatalogue(core);
  DeviceCatalogue& c = core.catalogue;
  for (int32_t i = 0; i < 30; ++i) {
    c.userCount = i + 1;  // the workflow counts the device in before appending it
    ASSERT_TRUE(appendUserDevice(c, i)) << "user device " << i;
    EXPECT_EQ(c.catalogueCount, 39 + i);
    EXPECT_EQ(c.entries[static_cast<size_t>(38 + i)], &c.userDevices[static_cast<size_t>(i)]);
  }
  EXPECT_FALSE(appendUserDevice(c, 29)) << "a 31st entry would overflow the catalogue";
  EXPECT_EQ(c.catalogueCount, 68);
}

TEST(AppendUserDevice, RefusesARecordNotInUse) {
  RemoteCore core;
  startCatalogue(core);
  DeviceCatalogue& c = core.catalogue;
  c.userCount = 1;
  for (int32_t index : {-1, 1, 30}) {
    EXPECT_FALSE(appendUserDevice(c, index)) << "user index " << index;
  }
  EXPECT_EQ(c.catalogueCount, 38);
}

// Every field a reset user device must hold at 0.
std::vector<int32_t*> zeroedFields(DeviceProfile& p) {
  return {&p.headerMark, &p.headerSpace, &p.oneMark,   &p.oneSpace,     &p.zeroMark,  &p.zeroSpace, &p.trailerMark,
          &p.trailerSpace, &p.tailMark1, &p.tailWait1, &p.tailMark2,    &p.tailWait2, &p.codeBits,  &p.commandCount,
          &p.labelCount,  &p.trailerWait, &p.skinType};
}

TEST(ResetUserDevices, EveryRecordBecomesAnEmptyLearnedDevice) {
  DeviceCatalogue c;
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
  for (size_t i = 0; i < c.userDevices.size(); ++i) {
    DeviceProfile& p = c.userDevices[i];
    SCOPED_TRACE("user device " + std::to_string(i));
    const std::vector<int32_t*> fields = zeroedFields(p);
    for (size_t k = 0; k < fields.size(); ++k) EXPECT_EQ(*fields[k], 0) << "zeroedFields()[" << k << "]";
    EXPECT_EQ(p.name[0], u'\0');
    EXPECT_EQ(p.userIndex, static_cast<int32_t>(i));
    EXPECT_EQ(p.codeTable, nullptr);
    EXPECT_EQ(p.labelTable, nullptr);
    EXPECT_EQ(p.learnedSlots, nullptr);
    EXPECT_EQ(p.frameGap, 150000);
    EXPECT_EQ(p.isLearned, 1);
    EXPECT_EQ(p.spaceAdjust, 0);
    EXPECT_EQ(p.markAdjust, 0);
  }
}

// A built-in device with a code table of our own.
void useTable(DeviceProfile& p, const std::vector<uint32_t>& words, int32_t codeBits) {
  p.codeBits = codeBits;
  p.codeTable = words.data();
  p.commandCount = static_cast<int32_t>(words.size()) / (codeBits > 32 ? 5 : 4);
}

// Row i of a table whose word n holds n starts at word i x width; the last
// three words of a row are extraDelay, onShiftPage and shiftSlot.
TEST(RowWidth, FourWordsUpTo32BitsFiveAbove) {
  std::vector<uint32_t> words(20);
  for (size_t n = 0; n < words.size(); ++n) words[n] = static_cast<uint32_t>(n);
  for (const int32_t codeBits : {1, 12, 16, 32, 33, 42, 48, 64}) {
    const uint32_t width = codeBits > 32 ? 5 : 4;
    DeviceProfile p;
    useTable(p, words, codeBits);
    const CommandRow row = commandEntry(p, 2);
    SCOPED_TRACE("codeBits " + std::to_string(codeBits));
    EXPECT_EQ(rowWidth(codeBits), static_cast<int>(width));
    EXPECT_EQ(row.firstWord(), 2 * width);
    if (width == 5) {
      EXPECT_EQ(row.codeLow(), 2 * width + 1);
    }
    EXPECT_EQ(row.extraDelay(), static_cast<int32_t>(3 * width - 3));
    EXPECT_EQ(row.onShiftPage(), static_cast<int32_t>(3 * width - 2));
    EXPECT_EQ(row.shiftSlot(), static_cast<int32_t>(3 * width - 1));
  }
}

constexpr uint32_t kAbsent = 0xFFFFFFFFu;
constexpr int32_t kMinIndex = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxIndex = std::numeric_limits<int32_t>::max();

TEST(CommandExists, BuiltInRowsByTheirFirstWord) {
  const std::vector<uint32_t> narrow = {
      0,       0, 0, 0,  // code 0 is a code like any other
      kAbsent, 0x810, 200, 0,  // absent, whatever the rest of the row says
      0x7FF,   0, 0, 0,
      0x810,   0, 1, 0,
  };
  const std::vector<uint32_t> wide = {
      kAbsent, 0x01000809, 0, 0, 0,
      0x4004,  kAbsent,    0, 0, 0,  // only the first word marks an absent row
  };
  DeviceProfile p16, p48;
  useTable(p16, narrow, 16);
  useTable(p48, wide, 48);
  const struct {
    const DeviceProfile& profile;
    int32_t index;
    bool exists;
  } cases[] = {
      {p16, 0, true},  {p16, 1, false}, {p16, 2, true},          {p16, 3, true},
      {p16, 4, false}, {p16, -1, false}, {p16, kMinIndex, false}, {p16, kMaxIndex, false},
      {p48, 0, false}, {p48, 1, true},  {p48, 2, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(commandExists(c.index, c.profile), c.exists)
        << c.profile.codeBits << "-bit table, index " << c.index;
  }
}

// On the shift page the hit test has chosen shiftCommand; the tapped index
// plays no part.
TEST(CommandExists, ShiftPageTestsTheShiftCommand) {
  const std::vector<uint32_t> words = {kAbsent, 0, 0, 0, 0x10, 0, 1, 0, 0x20, 0, 1, 1};
  DeviceProfile p;
  useTable(p, words, 12);
  const struct {
    int32_t index;
    int32_t shiftCommand;
    bool exists;
  } cases[] = {{0, 2, true}, {99, 1, true}, {-7, 2, true}, {1, 3, false}, {1, 8, false}, {2, kMaxIndex, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(commandExists(c.index, p, PageState{true, c.shiftCommand}), c.exists)
        << "index " << c.index << ", shiftCommand " << c.shiftCommand;
  }
}

// The VCR skin has 16 command hot spots: 13..15 reach the first three
// shift-page commands directly, and do nothing where there are none.
TEST(CommandExists, VcrHotSpotsBeyondTheMainPage) {
  RemoteCore core;
  startCatalogue(core);
  const DeviceProfile& tapeA = core.catalogue.builtIn[1];
  const DeviceProfile& vcr1 = core.catalogue.builtIn[4];
  const uint32_t vcr1Shift[] = {0x688, 0x628, 0x1A8};
  for (int32_t spot = 13; spot <= 15; ++spot) {
    EXPECT_FALSE(commandExists(spot, tapeA)) << "SONY Tape A hot spot " << spot;
    EXPECT_TRUE(commandExists(spot, vcr1)) << "SONY - VCR1 hot spot " << spot;
    EXPECT_EQ(commandEntry(vcr1, spot).code(), vcr1Shift[spot - 13]);
  }
}

struct LearnedDevice {
  LearnedDevice() {
    learned.clear();
    learned.words[0] = 9000;
    learned.words[1] = 4500;
    empty.clear();
    for (int32_t i : {0, 26, 27, 29}) slots[static_cast<size_t>(i)] = &learned;
    slots[1] = &empty;  // slot 2 stays missing
    profile.isLearned = 1;
    profile.commandCount = 27;
    profile.learnedSlots = slots.data();
  }
  LearnedSignal learned, empty;
  std::array<LearnedSignal*, kUserSignalSlots> slots{};
  DeviceProfile profile;
};

TEST(CommandExists, LearnedCommandsNeedASignal) {
  LearnedDevice d;
  const struct {
    int32_t index;
    bool exists;
  } cases[] = {{0, true}, {1, false}, {2, false}, {26, true}, {27, false}, {29, false}, {-1, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(commandExists(c.index, d.profile), c.exists) << "main page, slot " << c.index;
    EXPECT_EQ(commandExists(5, d.profile, PageState{true, c.index}), c.exists) << "shift page, slot " << c.index;
  }
  EXPECT_EQ(learnedSlot(d.profile, 0), &d.learned);
  EXPECT_EQ(learnedSlot(d.profile, 1), &d.empty);
  EXPECT_EQ(learnedSlot(d.profile, 2), nullptr);

  d.profile.learnedSlots = nullptr;  // a device whose buffers were never allocated
  EXPECT_FALSE(commandExists(0, d.profile));
  EXPECT_FALSE(commandExists(0, d.profile, PageState{true, 0}));
  EXPECT_EQ(learnedSlot(d.profile, 0), nullptr);
}

}  // namespace
}  // namespace zapvane
