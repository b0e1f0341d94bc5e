// The 38 built-in profiles against the device sheets typed out here a second
// time, sharing nothing with the catalogue's sources: a slip in either shows.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/device_catalogue.h"

namespace zapvane {
namespace {

// header mark/space, one mark/space, zero mark/space, trailer mark,
// tail wait1/mark1/wait2/mark2, code bits, as the timing sheets list them.
constexpr FrameTiming kTimingSets[] = {
    {2400, 600, 1200, 550, 600, 550, 0, 0, 0, 0, 0, 12},
    {3600, 1700, 400, 1250, 400, 400, 400, 0, 0, 0, 0, 48},
    {8800, 4400, 550, 1600, 550, 550, 540, 39200, 8800, 2200, 550, 32},
    {8800, 4400, 550, 1500, 550, 550, 550, 39200, 8800, 2200, 550, 32},
    {0, 0, 400, 1950, 400, 800, 400, 0, 0, 0, 0, 16},
    {8800, 4200, 550, 1800, 550, 550, 550, 0, 0, 0, 0, 16},
    {8600, 5700, 450, 2000, 400, 700, 450, 0, 0, 0, 0, 42},
};

struct DeviceSheet {
  const char* name;
  int timingSet;  // from 1
  int32_t skin, frameGap, commands;
  const char* labels;  // '|' between labels, in slot order
  // "command=code": up to 32 bits the whole code word, above 32 "codeHigh:codeLow"; "--" absent.
  const char* spotCodes;
};

const DeviceSheet kDeviceSheets[kBuiltInCount] = {
    {"SONY - TV", 1, kTvSkin, 20000, 26, "TV/AV|Picture+|Picture-|Color+|Color-|Brigh.+|Brigh. -|Teletext|Info", ""},
    {"SONY Tape A", 1, kVcrSkin, 20000, 13, "", "0=-- 11=839"},
    {"SONY Tape B", 1, kVcrSkin, 20000, 13, "", "4=-- 12=B8E"},
    {"SONY - DAT", 1, kTvSkin, 20000, 26, "Play|Stop|Rew|FF|Pause|REC mute|REC pause|Open/Close|Counter mode", "10=-- 25=847"},
    {"SONY - VCR1", 1, kVcrSkin, 20000, 23, "Eject|Cntr. reset|Rec. mode|menu|menu up|menu down|menu left|menu right|enter|input select", "0=A88 13=688 14=628 15=1A8 22=F28"},
    {"SONY - VCR2", 1, kVcrSkin, 20000, 23, "Eject|Cntr. reset|Rec. mode|menu|menu up|menu down|menu left|menu right|enter|input select", "0=A9C 22=F3C"},
    {"SONY - VCR3", 1, kVcrSkin, 20000, 23, "Eject|Cntr. reset|Rec. mode|menu|menu up|menu down|menu left|menu right|enter|input select", "0=A9A 22=F3A"},
    {"SONY - CD", 1, kVcrSkin, 20000, 14, "Eject", "2=-- 13=691"},
    {"SONY - AMP", 1, kTvSkin, 20000, 27, "Phono|Tuner|Tape|CD|DAT|DSP|DOLBY|HALL|Rear+|Rear -", "4=-- 26=C26"},
    {"SONY - TUNER", 1, kTvSkin, 20000, 26, "Scan+|Scan -|SHIFT|Tuning|Display|memory|M. ON/OFF|Clock|Band", "11=496 12=C96"},
    {"SONY - LD", 1, kVcrSkin, 20000, 13, "", "11=04C 12=--"},
    {"SONY-V.Camera", 1, kVcrSkin, 20000, 13, "", "5=59C 12=--"},
    {"PANASONIC - TV", 2, kTvSkin, 90000, 20, "TV/AV|Teltext|Info", "0=4004:01000809 19=4004:01009C9D"},
    {"PANASONIC-VCR", 2, kVcrSkin, 80000, 16, "Menu|Enter|VTR/TV", ""},
    {"PANASONIC-AMP", 2, kVcrSkin, 80000, 15, "Sleep|Display", "1=-- 14=4004:0543F17B"},
    {"PANASONIC-CD", 2, kVcrSkin, 80000, 15, "Random|Repeate", "5=4004:0543E1A7 14=4004:054381C7"},
    {"PANASONIC-TAPE", 2, kVcrSkin, 80000, 15, "RewPlay|Deck 1/2", "5=4004:05436523 14=4004:0543B5F3"},
    {"PANASONIC-TUNER", 2, kTvSkin, 90000, 19, "FM mode|Tune", "16=-- 18=4004:05431D5B"},
    {"TOSHIBA - TV", 3, kTvSkin, 90000, 20, "TV/AV|Display|Sound", "0=02FD807F 19=02FDC837"},
    {"TOSHIBA-VCR", 3, kVcrSkin, 90000, 18, "TV/VCR|x2|Slow|Sound|VISS", ""},
    {"HITACHI - TV", 3, kTvSkin, 90000, 18, "TV/AV", "0=12EDB04F 17=12ED906F"},
    {"HITACHI-VCR1", 3, kVcrSkin, 90000, 15, "C. reset|SP/LP", "5=06F928D7 12=06F928D7"},
    {"HITACHI-VCR2", 3, kVcrSkin, 90000, 15, "C. reset|SP/LP", "5=067928D7 12=067928D7"},
    {"SANYO - TV", 3, kTvSkin, 90000, 19, "Display|Sound", "15=0CF3002F 18=0CF3C03F"},
    {"SANYO-VCR1", 3, kVcrSkin, 90000, 16, "TV/VCR|x2|Slow", "3=-- 15=8CF358A7"},
    {"SANYO-VCR2", 3, kVcrSkin, 90000, 13, "", "0=77F3DA25 12=77F3A857"},
    {"NEC - TV", 3, kTvSkin, 90000, 20, "TV/VCR|RGB|Display", "0=18E708F7 19=18E7F00F"},
    {"NEC-VCR", 3, kVcrSkin, 90000, 16, "C. reset|Eject|Slow", "0=986710EF 15=9867C03F"},
    {"YAMAHA-CD", 3, kVcrSkin, 90000, 14, "Eject", "0=-- 6=9E61C03F 11=9E61C03F"},
    {"MITSUBISHI - TV", 5, kTvSkin, 24300, 18, "Timer", ""},
    {"MITSUBISHI - VCR1", 5, kVcrSkin, 24300, 14, "TV/VCR", "0=EA40 13=EAA0"},
    {"MITSUBISHI - VCR2", 5, kVcrSkin, 24300, 14, "TV/VCR", "0=EA41 13=EAA1"},
    {"JVC - TV", 6, kTvSkin, 40000, 20, "TV/VCR|Dsiplay|Recall ch.", "0=C084 13=C084"},
    {"JVC-VCR1", 6, kVcrSkin, 40000, 19, "Eject|SP/LP|C. reset|VPS|Display|Ch", "0=C2D0 18=C22C"},
    {"JVC-VCR2", 6, kVcrSkin, 40000, 19, "Eject|SP/LP|C. reset|VPS|Display|Ch", "0=CAD0 18=CA2C"},
    {"JVC-CD", 6, kVcrSkin, 40000, 14, "Eject", "5=CD32 13=CD20"},
    {"PIONEER - CD", 4, kVcrSkin, 90000, 14, "Disc", "5=45BAE817 13=45BAB847"},
    {"AIWA - audio", 7, kVcrSkin, 80000, 16, "Function|BASS|TREBLE", ""},
};

// Whole tables of one device per row layout: 12-bit, 16-bit, 32-bit with
// the upper 16 bits per device, and the 48- and 42-bit codeHigh forms.
const struct {
  int device;
  const char* codes;  // one code per command index, as in spotCodes
} kFullTables[] = {
    {0, "010 810 410 C10 210 A10 610 E10 110 910 A90 090 890 490 C90 290 B90 A50 190 990 590 D90 790 F90 FD0 5D0"},
    {29, "E200 E210 E208 E218 E204 E214 E20C E21C E280 E290 E240 E250 E248 E244 E254 E24A -- E2E8"},
    {19, "22DD48B7 22DDD827 22DDF807 -- -- 22DDA867 22DD28D7 22DDC837 22DD9867 -- -- 22DD08F7 22DD18E7 "
         "22DD8877 22DDB847 22DDB04F 22DDCA35 22DD629D"},
    {13, "4004:0900BCB5 4004:09002C25 4004:0900ACA5 -- -- 4004:09005059 4004:09000009 4004:0900C0C9 "
         "4004:09004049 4004:0900525B 4004:0900929B 4004:09006069 4004:09001019 "
         "4004:09806AE3 4004:09801A93 4004:09006C65"},
    {37, "1D8:113F00FF -- -- 1D8:113FB24D 1D8:113F728D 1D8:113F02FD 1D8:113F827D 1D8:113F42BD "
         "1D8:113FC23D -- -- -- -- 1D8:113F7887 1D8:113FE21D 1D8:113F12ED"},
};

const struct {
  int device;
  int32_t command, milliseconds;
} kExtraDelays[] = {{9, 11, -1}, {9, 12, -1}, {13, 0, 200}, {14, 0, 200}, {37, 0, 500}, {37, 13, 400}};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

// Names and labels are plain ASCII.
std::string ascii(const char16_t* units, size_t maxUnits) {
  std::string text;
  for (size_t i = 0; i < maxUnits && units[i] != 0; ++i) text += static_cast<char>(units[i]);
  return text;
}

// `printed` is one code as the sheets print it.
void expectCode(const DeviceProfile& p, int32_t command, const std::string& printed) {
  SCOPED_TRACE("command " + std::to_string(command) + " = " + printed);
  ASSERT_LT(command, p.commandCount);
  const CommandRow row = commandEntry(p, command);
  EXPECT_EQ(commandExists(command, p), printed != "--");
  const size_t colon = printed.find(':');
  const auto hex = [](const std::string& digits) { return static_cast<uint32_t>(std::stoul(digits, nullptr, 16)); };
  if (printed == "--") {
    EXPECT_EQ(row.firstWord(), 0xFFFFFFFFu);
  } else if (colon == std::string::npos) {
    EXPECT_EQ((std::vector<uint32_t>{static_cast<uint32_t>(row.width()), row.code()}),
              (std::vector<uint32_t>{4, hex(printed)}));
  } else {
    EXPECT_EQ((std::vector<uint32_t>{static_cast<uint32_t>(row.width()), row.codeHigh(), row.codeLow()}),
              (std::vector<uint32_t>{5, hex(printed.substr(0, colon)), hex(printed.substr(colon + 1))}));
  }
}

class BuiltInCatalogue : public ::testing::Test {
 protected:
  BuiltInCatalogue() { startCatalogue(*catalogue, current); }
  const DeviceProfile& device(int index) const { return *catalogue->entries[static_cast<size_t>(index)]; }
  std::unique_ptr<DeviceCatalogue> catalogue = std::make_unique<DeviceCatalogue>();
  CurrentDevice current;
};

TEST_F(BuiltInCatalogue, ProfilesAndCodesMatchTheDeviceSheets) {
  for (int i = 0; i < kBuiltInCount; ++i) {
    const DeviceSheet& sheet = kDeviceSheets[i];
    const DeviceProfile& p = device(i);
    SCOPED_TRACE("device " + std::to_string(i) + " " + sheet.name);
    EXPECT_EQ(ascii(p.name.data(), p.name.size()), sheet.name);
    EXPECT_EQ(p.name.back(), u'\0');
    EXPECT_EQ(p.skinType, sheet.skin);
    EXPECT_EQ(p.frameGap, sheet.frameGap);
    EXPECT_EQ(p.commandCount, sheet.commands);

    const std::vector<std::string> labels = split(sheet.labels, '|');
    EXPECT_EQ(p.commandCount, (sheet.skin == kTvSkin ? 17 : 13) + std::ssize(labels));
    ASSERT_EQ(p.labelCount, std::ssize(labels));
    EXPECT_EQ(p.labelTable == nullptr, labels.empty());
    for (size_t k = 0; k < labels.size(); ++k) EXPECT_EQ(ascii(p.labelTable[k], 64), labels[k]) << "label slot " << k;

    EXPECT_TRUE(p.timing == kTimingSets[sheet.timingSet - 1]) << "timing set " << sheet.timingSet;
    EXPECT_EQ((std::vector<int32_t>{p.isLearned, p.spaceAdjust, p.markAdjust}), std::vector<int32_t>(3, 0));
    EXPECT_TRUE(p.codeTable != nullptr && p.learnedSlots == nullptr);

    for (const std::string& spot : split(sheet.spotCodes, ' ')) {
      const size_t equals = spot.find('=');
      expectCode(p, std::stoi(spot.substr(0, equals)), spot.substr(equals + 1));
    }
  }
}

TEST_F(BuiltInCatalogue, FullCodeTablesOfEveryRowLayout) {
  for (const auto& table : kFullTables) {
    SCOPED_TRACE(kDeviceSheets[table.device].name);
    const std::vector<std::string> codes = split(table.codes, ' ');
    ASSERT_EQ(device(table.device).commandCount, std::ssize(codes));
    for (size_t c = 0; c < codes.size(); ++c) expectCode(device(table.device), static_cast<int32_t>(c), codes[c]);
  }
}

// The shift page and the transmit pause read these words; a row shifted by
// one word would still carry plausible codes, so every row is checked.
TEST_F(BuiltInCatalogue, ShiftFlagsSlotsAndExtraDelaysOfEveryRow) {
  int listed = 0;
  for (int i = 0; i < kBuiltInCount; ++i) {
    const DeviceProfile& p = device(i);
    const int32_t mainPage = p.skinType == kTvSkin ? 17 : 13;
    for (int32_t c = 0; c < p.commandCount; ++c) {
      SCOPED_TRACE(kDeviceSheets[i].name + (" command " + std::to_string(c)));
      const CommandRow row = commandEntry(p, c);
      EXPECT_FALSE(c >= mainPage && row.absent()) << "every shift-page command has a code";
      EXPECT_EQ(row.onShiftPage(), c >= mainPage ? 1 : 0);
      EXPECT_EQ(row.shiftSlot(), c >= mainPage ? c - mainPage : 0);
      if (row.absent()) continue;
      int32_t delay = 0;
      for (const auto& d : kExtraDelays) {
        if (d.device == i && d.command == c) delay = d.milliseconds, ++listed;
      }
      EXPECT_EQ(row.extraDelay(), delay);
    }
  }
  EXPECT_EQ(listed, 6) << "a delayed command is absent";
}

}  // namespace
}  // namespace zapvane
