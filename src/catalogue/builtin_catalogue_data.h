// The 38 built-in devices as constant data, written the way the codes appear
// on a service sheet: one hex word per command, "--" for a command the device
// does not have. builtin_catalogue.cpp expands these sources into code-table
// rows at compile time and checks every count; the encoder knows nothing of
// devices.
//
// The order of kBuiltInSources is the catalogue order. The selection file
// stores catalogue indices, so this order is part of that file's format:
// never insert, remove or reorder entries.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "catalogue/device_profile.h"

namespace zapvane::builtin {

// Frame timing shared by several devices, microseconds. Sets are numbered
// from 1, as the sources name them.
inline constexpr std::array<FrameTiming, 7> kTimingSets = {{
    // header       one          zero       trailer  tail (wait1, mark1, wait2, mark2)  bits
    {2400, 600,  1200, 550,  600, 550,  0,    0, 0, 0, 0,                 12},  // 1: SONY
    {3600, 1700, 400, 1250,  400, 400,  400,  0, 0, 0, 0,                 48},  // 2: PANASONIC
    {8800, 4400, 550, 1600,  550, 550,  540,  39200, 8800, 2200, 550,     32},  // 3: TOSHIBA, NEC ...
    {8800, 4400, 550, 1500,  550, 550,  550,  39200, 8800, 2200, 550,     32},  // 4: PIONEER
    {0, 0,       400, 1950,  400, 800,  400,  0, 0, 0, 0,                 16},  // 5: MITSUBISHI
    {8800, 4200, 550, 1800,  550, 550,  550,  0, 0, 0, 0,                 16},  // 6: JVC
    {8600, 5700, 450, 2000,  400, 700,  450,  0, 0, 0, 0,                 42},  // 7: AIWA
}};

// How a listed hex word becomes the row's code words.
enum class CodeForm {
  asListed,  // the word is the code
  upper16,   // formValue supplies the upper 16 bits of a 32-bit code
  codeHigh,  // formValue is codeHigh; the listed word is codeLow (33..64 bits)
};

struct DeviceSource {
  std::u16string_view name;
  int timingSet;
  int32_t skinType;
  int32_t frameGap;  // microseconds
  CodeForm form;
  uint32_t formValue;
  std::string_view mainCodes;   // exactly mainPageCommands(skinType) words
  std::string_view shiftCodes;  // one word per label, in label-slot order
  std::array<const char16_t*, kMaxLabels> labels;
};

inline constexpr std::array<DeviceSource, 38> kBuiltInSources = {{
    // 0
    {u"SONY - TV", 1, kTvSkin, 20000, CodeForm::asListed, 0,
     "010 810 410 C10 210 A10 610 E10 110 910 A90 090 890 490 C90 290 B90",
     "A50 190 990 590 D90 790 F90 FD0 5D0",
     {u"TV/AV", u"Picture+", u"Picture-", u"Color+", u"Color-", u"Brigh.+", u"Brigh. -", u"Teletext", u"Info"}},
    // 1
    {u"SONY Tape A", 1, kVcrSkin, 20000, CodeForm::asListed, 0,
     "-- -- -- -- -- 4C1 1C1 2C1 CC1 -- -- 839 AC1",
     "",
     {}},
    // 2
    {u"SONY Tape B", 1, kVcrSkin, 20000, CodeForm::asListed, 0,
     "-- -- -- -- -- 58E 18E 38E D8E -- -- 98E B8E",
     "",
     {}},
    // 3
    {u"SONY - DAT", 1, kTvSkin, 20000, CodeForm::asListed, 0,
     "007 807 407 C07 207 A07 607 E07 107 287 -- -- -- -- -- -- --",
     "5C7 1C7 DC7 3C7 9C7 F27 B47 047 847",
     {u"Play", u"Stop", u"Rew", u"FF", u"Pause", u"REC mute", u"REC pause", u"Open/Close", u"Counter mode"}},
    // 4
    {u"SONY - VCR1", 1, kVcrSkin, 20000, CodeForm::asListed, 0,
     "A88 088 888 -- -- 588 188 388 D88 948 148 988 B88",
     "688 628 1A8 B28 428 C28 468 868 D08 F28",
     {u"Eject", u"Cntr. reset", u"Rec. mode", u"menu", u"menu up", u"menu down", u"menu left", u"menu right", u"enter", u"input select"}},
    // 5
    {u"SONY - VCR2", 1, kVcrSkin, 20000, CodeForm::asListed, 0,
     "A9C 09C 89C -- -- 59C 19C 39C D9C 95C 15C 99C B9C",
     "69C 63C 1BC B3C 43C C3C 47C 87C D1C F3C",
     {u"Eject", u"Cntr. reset", u"Rec. mode", u"menu", u"menu up", u"menu down", u"menu left", u"menu right", u"enter", u"input select"}},
    // 6
    {u"SONY - VCR3", 1, kVcrSkin, 20000, CodeForm::asListed, 0,
     "A9A 09A 89A -- -- 59A 19A 39A D9A 95A 15A 99A B9A",
     "69A 63A 1BA B3A 43A C3A 47A 87A D1A F3A",
     {u"Eject", u"Cntr. reset", u"Rec. mode", u"menu", u"menu up", u"menu down", u"menu left", u"menu right", u"enter", u"input select"}},
    // 7
    {u"SONY - CD", 1, kVcrSkin, 20000, CodeForm::asListed, 0,
     "-- -- -- 491 C91 4D1 1D1 8D1 0D1 CD1 2D1 9D1 --",
     "691",
     {u"Eject"}},
    // 8
    {u"SONY - AMP", 1, kTvSkin, 20000, CodeForm::asListed, 0,
     "441 781 421 C21 -- -- -- -- -- -- A81 -- -- 481 C81 281 --",
     "041 841 C41 A41 621 FC6 9C6 5C9 426 C26",
     {u"Phono", u"Tuner", u"Tape", u"CD", u"DAT", u"DSP", u"DOLBY", u"HALL", u"Rear+", u"Rear -"}},
    // 9
    {u"SONY - TUNER", 1, kTvSkin, 20000, CodeForm::asListed, 0,
     "016 816 416 C16 216 A16 616 E16 116 916 -- 496 C96 -- -- -- --",
     "096 896 DC6 2D6 D36 716 856 D21 F16",
     {u"Scan+", u"Scan -", u"SHIFT", u"Tuning", u"Display", u"memory", u"M. ON/OFF", u"Clock", u"Band"}},
    // 10
    {u"SONY - LD", 1, kVcrSkin, 20000, CodeForm::asListed, 0,
     "A8C -- -- -- -- 58C 18C 38C D8C 2CC ACC 04C --",
     "",
     {}},
    // 11
    {u"SONY-V.Camera", 1, kVcrSkin, 20000, CodeForm::asListed, 0,
     "-- -- -- -- -- 59C 19C 39C D9C -- -- 99C --",
     "",
     {}},
    // 12
    {u"PANASONIC - TV", 2, kTvSkin, 90000, CodeForm::codeHigh, 0x4004,
     "01000809 01008889 01004849 0100C8C9 01002829 0100A8A9 01006869 0100E8E9 01001819 01009899 0100BCBD 01002C2D 0100ACAD 01000405 01008485 01004C4D 0100DCDD",
     "0100A0A1 0180C041 01009C9D",
     {u"TV/AV", u"Teltext", u"Info"}},
    // 13
    {u"PANASONIC-VCR", 2, kVcrSkin, 80000, CodeForm::codeHigh, 0x4004,
     "0900BCB5 09002C25 0900ACA5 -- -- 09005059 09000009 0900C0C9 09004049 0900525B 0900929B 09006069 09001019",
     "09806AE3 09801A93 09006C65",
     {u"Menu", u"Enter", u"VTR/TV"}},
    // 14
    {u"PANASONIC-AMP", 2, kVcrSkin, 80000, CodeForm::codeHigh, 0x4004,
     "0543FDBB -- -- 05430D4B 05438DCB -- -- -- -- -- -- -- --",
     "05433D7B 0543F17B",
     {u"Sleep", u"Display"}},
    // 15
    {u"PANASONIC-CD", 2, kVcrSkin, 80000, CodeForm::codeHigh, 0x4004,
     "-- -- -- -- -- 0543E1A7 05430147 0543A1E7 05432167 -- -- -- --",
     "05434107 054381C7",
     {u"Random", u"Repeate"}},
    // 16
    {u"PANASONIC-TAPE", 2, kVcrSkin, 80000, CodeForm::codeHigh, 0x4004,
     "-- -- -- -- -- 05436523 05430543 0543C583 05434503 -- -- -- --",
     "0543A5E3 0543B5F3",
     {u"RewPlay", u"Deck 1/2"}},
    // 17
    {u"PANASONIC-TUNER", 2, kTvSkin, 90000, CodeForm::codeHigh, 0x4004,
     "05433094 054389CF 0543490F 0543C98F 0543296F 0543A9EF 0543692F 0543E9AF 0543195F 054399DF -- -- -- -- -- -- --",
     "05432761 05431D5B",
     {u"FM mode", u"Tune"}},
    // 18
    {u"TOSHIBA - TV", 3, kTvSkin, 90000, CodeForm::upper16, 0x02FD,
     "807F 40BF C03F 20DF A05F 609F E01F 10EF 906F 50AF 48B7 D827 F807 58A7 7887 08F7 D02F",
     "F00F 38C7 C837",
     {u"TV/AV", u"Display", u"Sound"}},
    // 19
    {u"TOSHIBA-VCR", 3, kVcrSkin, 90000, CodeForm::upper16, 0x22DD,
     "48B7 D827 F807 -- -- A867 28D7 C837 9867 -- -- 08F7 18E7",
     "8877 B847 B04F CA35 629D",
     {u"TV/VCR", u"x2", u"Slow", u"Sound", u"VISS"}},
    // 20
    {u"HITACHI - TV", 3, kTvSkin, 90000, CodeForm::upper16, 0x12ED,
     "B04F 708F F00F 38C7 B847 7887 F807 20DF A05F 609F E817 9867 18E7 48B7 A857 D02F E01F",
     "906F",
     {u"TV/AV"}},
    // 21
    {u"HITACHI-VCR1", 3, kVcrSkin, 90000, CodeForm::upper16, 0x06F9,
     "E817 9867 18E7 -- -- 28D7 D02F D06F 50AF 00FF 807F 58A7 28D7",
     "827D 0CF3",
     {u"C. reset", u"SP/LP"}},
    // 22
    {u"HITACHI-VCR2", 3, kVcrSkin, 90000, CodeForm::upper16, 0x0679,
     "E817 9867 18E7 -- -- 28D7 D02F D06F 50AF 00FF 807F 58A7 28D7",
     "827D 0CF3",
     {u"C. reset", u"SP/LP"}},
    // 23
    {u"SANYO - TV", 3, kTvSkin, 90000, CodeForm::upper16, 0x0CF3,
     "08F7 8877 48B7 C837 28D7 A857 6897 E817 18E7 9867 00FF -- -- 906F 50AF 002F 58A7",
     "B04F C03F",
     {u"Display", u"Sound"}},
    // 24
    {u"SANYO-VCR1", 3, kVcrSkin, 90000, CodeForm::upper16, 0x8CF3,
     "00FF 807F 40BF -- -- 28D7 08F7 C837 48B7 -- -- 8877 A857",
     "10EF D02F 58A7",
     {u"TV/VCR", u"x2", u"Slow"}},
    // 25
    {u"SANYO-VCR2", 3, kVcrSkin, 90000, CodeForm::upper16, 0x77F3,
     "DA25 01FF 40BF -- -- 28D7 08F7 C837 48B7 -- -- 15DF A857",
     "",
     {}},
    // 26
    {u"NEC - TV", 3, kTvSkin, 90000, CodeForm::upper16, 0x18E7,
     "08F7 8877 48B7 C837 28D7 A857 6897 E817 18E7 9867 10EF 00FF 107F 40BF C03F 906F 58A7",
     "50AF 20DF F00F",
     {u"TV/VCR", u"RGB", u"Display"}},
    // 27
    {u"NEC-VCR", 3, kVcrSkin, 90000, CodeForm::upper16, 0x9867,
     "10EF 00FF 807F -- -- A05F 20DF 30CF B04F -- -- 708F 609F",
     "906F F00F C03F",
     {u"C. reset", u"Eject", u"Slow"}},
    // 28
    {u"YAMAHA-CD", 3, kVcrSkin, 90000, CodeForm::upper16, 0x9E61,
     "-- E01F 20DF -- -- 40BF C03F 609F A05F -- -- C03F --",
     "906F",
     {u"Eject"}},
    // 29
    {u"MITSUBISHI - TV", 5, kTvSkin, 24300, CodeForm::asListed, 0,
     "E200 E210 E208 E218 E204 E214 E20C E21C E280 E290 E240 E250 E248 E244 E254 E24A --",
     "E2E8",
     {u"Timer"}},
    // 30
    {u"MITSUBISHI - VCR1", 5, kVcrSkin, 24300, CodeForm::asListed, 0,
     "EA40 EA50 EA48 -- -- EA20 EA28 EA24 EA34 EA70 EA68 EA38 EA30",
     "EAA0",
     {u"TV/VCR"}},
    // 31
    {u"MITSUBISHI - VCR2", 5, kVcrSkin, 24300, CodeForm::asListed, 0,
     "EA41 EA51 EA49 -- -- EA21 EA29 EA25 EA35 EA71 EA69 EA39 EA31",
     "EAA1",
     {u"TV/VCR"}},
    // 32
    {u"JVC - TV", 6, kTvSkin, 40000, CodeForm::asListed, 0,
     "C084 C044 C0C4 C024 C0A4 C064 C0E4 C014 C094 C004 C08E C09E C018 C084 C0F8 C038 C050",
     "C0D0 C020 C03C",
     {u"TV/VCR", u"Dsiplay", u"Recall ch."}},
    // 33
    {u"JVC-VCR1", 6, kVcrSkin, 40000, CodeForm::asListed, 0,
     "C2D0 C298 C218 -- -- C230 C2C0 C260 C2E0 C228 C2A8 C2B0 C233",
     "C220 C28C C29C C22F C21C C22C",
     {u"Eject", u"SP/LP", u"C. reset", u"VPS", u"Display", u"Ch"}},
    // 34
    {u"JVC-VCR2", 6, kVcrSkin, 40000, CodeForm::asListed, 0,
     "CAD0 CA98 CA18 -- -- CA30 CAC0 CA60 CAE0 CA28 CAA8 CAB0 CA33",
     "CA20 CA8C CA9C CA2F CA1C CA2C",
     {u"Eject", u"SP/LP", u"C. reset", u"VPS", u"Display", u"Ch"}},
    // 35
    {u"JVC-CD", 6, kVcrSkin, 40000, CodeForm::asListed, 0,
     "-- -- -- -- -- CD32 CDC2 CD62 CDE2 CD1A CDDA CDB2 --",
     "CD20",
     {u"Eject"}},
    // 36
    {u"PIONEER - CD", 4, kVcrSkin, 90000, CodeForm::upper16, 0x45BA,
     "-- -- -- -- -- E817 6897 08F7 8877 -- -- 18E7 --",
     "B847",
     {u"Disc"}},
    // 37
    {u"AIWA - audio", 7, kVcrSkin, 80000, CodeForm::codeHigh, 0x1D8,
     "113F00FF -- -- 113FB24D 113F728D 113F02FD 113F827D 113F42BD 113FC23D -- -- -- --",
     "113F7887 113FE21D 113F12ED",
     {u"Function", u"BASS", u"TREBLE"}},
}};

// Milliseconds added to the 10 ms pause after each frame; 0 for all others.
struct ExtraDelay {
  int device;
  int command;
  int32_t milliseconds;
};

inline constexpr std::array<ExtraDelay, 6> kExtraDelays = {{
    {9, 11, -1},  // SONY - TUNER: a 9 ms pause
    {9, 12, -1},
    {13, 0, 200},
    {14, 0, 200},
    {37, 0, 500},
    {37, 13, 400},
}};

}  // namespace zapvane::builtin
