// The 38 built-in profiles against the device sheets of tests/data/catalogue,
// typed apart from the sources; the catalogue's order and growth, the reset of
// user records, which taps have something to send, the names' UTF-16 text.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

#include "catalogue/reference_data.h"
#include "catalogue/text.h"
#include "support/rig.h"

namespace zapvane::testing {
namespace {

// "width:code delay shift/slot", or "--" for an absent row.
std::string rowText(std::optional<uint64_t> code, int width, int32_t delay, int32_t shift, int32_t slot) {
  char text[64];
  std::snprintf(text, sizeof text, "%d:%llX %d %d/%d", width, static_cast<unsigned long long>(code.value_or(0)),
                delay, shift, slot);
  return code ? text : "--";
}

// The shift page and the transmit pause read the last words of a row, and a
// row shifted by one word would still hold plausible codes, so every word of
// every row is compared.
TEST(BuiltInCatalogue, EveryProfileAndEveryRowMatchesItsSheet) {
  Rig rig;
  rig.started();
  ASSERT_EQ(std::ssize(deviceSheets()), kBuiltInCount);
  for (size_t i = 0; i < deviceSheets().size(); ++i) {
    const DeviceSheet& s = deviceSheets()[i];
    const DeviceProfile& p = *rig.remote.catalogue.entries[i];
    SCOPED_TRACE(s.name);
    EXPECT_EQ(utf16ToUtf8(p.name.data(), p.name.size()), s.name);
    EXPECT_TRUE(p.timing == s.timing && p.learnedSlots == nullptr && (p.labelTable == nullptr) == s.labels.empty());
    EXPECT_EQ((std::vector<int32_t>{p.skinType, p.frameGap, p.isLearned, p.spaceAdjust, p.markAdjust, s.mainCommands}),
              (std::vector<int32_t>{s.skin, s.frameGap, 0, 0, 0, mainPageCommands(s.skin)}));
    Row labels, want, got;
    for (int32_t k = 0; k < p.labelCount; ++k) labels.push_back(utf16ToUtf8(p.labelTable[k], kNameUnits));
    EXPECT_EQ(labels, s.labels);
    ASSERT_EQ(p.commandCount, std::ssize(s.codes));
    for (int32_t c = 0; c < p.commandCount; ++c) {
      const CommandRow row = commandEntry(p, c);
      const bool wide = row.width() == 5, shift = c >= s.mainCommands, present = row.firstWord() != 0xFFFFFFFFu;
      const uint64_t code = wide ? uint64_t{row.codeHigh()} << 32 | row.codeLow() : row.code();
      got.push_back(rowText(present ? std::optional(code) : std::nullopt, row.width(), row.extraDelay(),
                            row.onShiftPage(), row.shiftSlot()));
      const auto delay = s.extraDelays.find(c);
      want.push_back(rowText(s.codes[static_cast<size_t>(c)], s.timing.codeBits > 32 ? 5 : 4,
                             delay == s.extraDelays.end() ? 0 : delay->second, shift, shift ? c - s.mainCommands : 0));
      EXPECT_EQ(commandExists(c, p), s.codes[static_cast<size_t>(c)].has_value()) << "command " << c;
    }
    EXPECT_EQ(got, want);
  }
}

// The catalogue with no files, as start-up builds it before loading any.
class Catalogue : public ::testing::Test {
 protected:
  Catalogue() { startCatalogue(c, current); }
  std::unique_ptr<DeviceCatalogue> owned = std::make_unique<DeviceCatalogue>();
  DeviceCatalogue& c = *owned;
  CurrentDevice current;
};

TEST_F(Catalogue, BuiltInDevicesFirstThenUserDevicesAtIndex38PlusTheirUserIndex) {
  c.userCount = 30;
  current.device = &c.userDevices[4], current.catalogueIndex = 42, current.selectionPos = 7;
  buildCatalogue(c, current);
  ASSERT_EQ(c.catalogueCount, 68);
  for (size_t i = 0; i < 68; ++i) EXPECT_EQ(c.entries[i], i < 38 ? &c.builtIn[i] : &c.userDevices[i - 38]) << i;
  EXPECT_TRUE(current.device == c.entries[0] && current.catalogueIndex == 0 && current.selectionPos == 0);
  c.userCount = 0;
  buildCatalogue(c, current);
  for (const int32_t index : {-1, 0, 30}) EXPECT_FALSE(appendUserDevice(c, index)) << "not in use: " << index;
  for (int32_t i = 0; i < 30; ++i) {
    c.userCount = i + 1;  // the workflow counts a new device in, then appends it
    ASSERT_TRUE(appendUserDevice(c, i)) << i;
    EXPECT_EQ(c.entries[static_cast<size_t>(38 + i)], &c.userDevices[static_cast<size_t>(i)]);
  }
  EXPECT_FALSE(appendUserDevice(c, 29)) << "a 31st entry would overflow the catalogue";
  EXPECT_EQ(c.catalogueCount, 68);
}

TEST_F(Catalogue, ResetMakesEveryUserRecordAnEmptyLearnedDevice) {
  const uint32_t table[4] = {};
  const char16_t* labels[1] = {u"x"};
  LearnedSignal* slots[1] = {};
  for (DeviceProfile& p : c.userDevices) {
    p.timing = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    p.name[0] = u'X', p.codeTable = table, p.labelTable = labels, p.learnedSlots = slots;
    p.commandCount = p.labelCount = p.skinType = p.frameGap = p.isLearned = p.userIndex = p.spaceAdjust = p.markAdjust = 3;
  }
  resetUserDevices(c);
  for (int32_t i = 0; i < kMaxUserDevices; ++i) {
    const DeviceProfile& p = c.userDevices[static_cast<size_t>(i)];
    EXPECT_TRUE(p.timing == FrameTiming{} && !p.codeTable && !p.labelTable && !p.learnedSlots) << i;
    EXPECT_EQ((std::vector<int32_t>{p.name[0], p.commandCount, p.labelCount, p.skinType, p.frameGap, p.isLearned,
                                    p.userIndex, p.spaceAdjust, p.markAdjust}),
              (std::vector<int32_t>{0, 0, 0, kTvSkin, 150000, 1, i, 0, 0}));
  }
}

// On the shift page the hit test has chosen shiftCommand and the tapped index
// plays no part; every built-in shift-page row carries a code. Only the first
// word marks an absent row.
TEST(CommandExists, BuiltInRowsByTheirFirstWordOrTheShiftCommand) {
  const uint32_t narrow[] = {0, 0, 0, 0, 0xFFFFFFFF, 0x810, 200, 0, 0x7FF, 0, 0, 0, 0x810, 0, 1, 0};
  const uint32_t wide[] = {0xFFFFFFFF, 0x01000809, 0, 0, 0, 0x4004, 0xFFFFFFFF, 0, 0, 0};
  DeviceProfile p16, p48;
  p16.timing.codeBits = 16, p16.codeTable = narrow, p16.commandCount = 4;
  p48.timing.codeBits = 48, p48.codeTable = wide, p48.commandCount = 2;
  const std::tuple<const DeviceProfile&, int32_t, PageState, bool> cases[] = {
      {p16, 0, {}, true},  {p16, 1, {}, false}, {p16, 3, {}, true},        {p16, 4, {}, false},
      {p16, -1, {}, false}, {p48, 0, {}, false}, {p48, 1, {}, true},        {p48, 2, {}, false},
      {p16, 1, {true, 3}, true}, {p16, 99, {true, 0}, true}, {p16, 0, {true, 4}, false}, {p16, 0, {true, -1}, false}};
  for (const auto& [profile, index, page, exists] : cases) {
    EXPECT_EQ(commandExists(index, profile, page), exists)
        << profile.timing.codeBits << " bits, index " << index << ", shift command " << page.shiftCommand;
  }
}

TEST(CommandExists, LearnedCommandsNeedASignalInTheirSlot) {
  LearnedSignal learned, empty;
  learned.clear(), empty.clear();
  learned.words[0] = 9000;
  std::array<LearnedSignal*, kUserSignalSlots + 1> slots{};  // one past the slots, to see it is never read
  slots[0] = slots[26] = slots[27] = slots[30] = &learned;
  slots[1] = &empty;  // slot 2 is missing
  DeviceProfile profile;
  profile.isLearned = 1, profile.commandCount = 27, profile.learnedSlots = slots.data();
  for (const auto& [index, exists] : {std::pair{0, true}, {1, false}, {2, false}, {26, true}, {27, false}, {-1, false}}) {
    EXPECT_EQ(commandExists(index, profile), exists) << "main page, slot " << index;
    EXPECT_EQ(commandExists(5, profile, PageState{true, index}), exists) << "shift page, slot " << index;
  }
  EXPECT_TRUE(learnedSlot(profile, 1) == &empty && learnedSlot(profile, 2) == nullptr);
  EXPECT_TRUE(learnedSlot(profile, 26) == &learned && learnedSlot(profile, 30) == nullptr);
  profile.learnedSlots = nullptr;  // a device whose buffers were never allocated
  EXPECT_FALSE(commandExists(0, profile) || commandExists(0, profile, PageState{true, 0}));
}

// Lone surrogates and malformed UTF-8 become U+FFFD; everything else survives
// both ways, each width at its limits.
TEST(NameText, ConvertsBetweenUtf16AndUtf8) {
  const std::u16string valid = {u'A', 0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0xD83D, 0xDCFA};
  const std::string utf8 = "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x9F\x93\xBA";
  EXPECT_EQ(utf16ToUtf8(valid.data(), valid.size()), utf8);
  EXPECT_EQ(utf8ToUtf16(utf8), valid);
  EXPECT_EQ(utf16ToUtf8(valid.data(), 7), utf8.substr(0, 12) + "\xEF\xBF\xBD") << "a pair cut in two";
  const std::u16string lone = {0xDC00, u'a', 0xD800, 0, u'b'};
  EXPECT_EQ(utf16ToUtf8(lone.data(), lone.size()), "\xEF\xBF\xBD" "a\xEF\xBF\xBD");
  EXPECT_EQ(utf8ToUtf16("\xC0\xAF|\xE2\x82|\xED\xA0\x80|\xFF"),
            (std::u16string{0xFFFD, 0xFFFD, u'|', 0xFFFD, 0xFFFD, u'|', 0xFFFD, 0xFFFD, 0xFFFD, u'|', 0xFFFD}));
}

}  // namespace
}  // namespace zapvane::testing
