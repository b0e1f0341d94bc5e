#include "ir/protocol_encoders.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zapvane {

namespace {

// Light as it is built: a mark after a mark (or a space after a space)
// lengthens it, as the halves of Manchester bits join; a space before the
// first mark is dark nobody sees.
class Light {
 public:
  explicit Light(std::vector<int32_t>& out) : out_(out) { out_.clear(); }
  void mark(int32_t us) { add(true, us); }
  void space(int32_t us) { add(false, us); }
  // Ends the frame so that it lasts `period` from its first mark, or has at
  // least `minGap` of dark after its last mark when it is longer.
  void endFrame(int32_t period, int32_t minGap) {
    if (!lastIsMark()) out_.pop_back();  // the frame's last space becomes its gap
    int64_t length = 0;
    for (size_t i = frameStart_; i < out_.size(); ++i) length += out_[i];
    out_.push_back(static_cast<int32_t>(std::max<int64_t>(period - length, minGap)));
    frameStart_ = out_.size();
  }

 private:
  bool lastIsMark() const { return out_.size() % 2 == 1; }
  void add(bool isMark, int32_t us) {
    if (out_.empty() && !isMark) return;
    if (!out_.empty() && lastIsMark() == isMark) {
      out_.back() += us;
    } else {
      out_.push_back(us);
    }
  }
  std::vector<int32_t>& out_;
  size_t frameStart_ = 0;
};

// Bits in the order sent.
class Bits {
 public:
  void lsbFirst(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bits_.push_back(((value >> i) & 1u) != 0);
  }
  void msbFirst(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bits_.push_back(((value >> i) & 1u) != 0);
  }
  const std::vector<bool>& all() const { return bits_; }

 private:
  std::vector<bool> bits_;
};

// A protocol that tells bits by the length of a mark or of a space.
struct PulseTiming {
  int32_t headerMark, headerSpace;
  int32_t oneMark, oneSpace, zeroMark, zeroSpace;
  int32_t stopMark;   // 0: none
  int32_t period;     // first mark to the next frame's, 0: only the gap counts
  int32_t minGap;
};

void pulseFrame(const PulseTiming& t, const Bits& bits, Light& light) {
  light.mark(t.headerMark);
  light.space(t.headerSpace);
  for (const bool one : bits.all()) {
    light.mark(one ? t.oneMark : t.zeroMark);
    light.space(one ? t.oneSpace : t.zeroSpace);
  }
  if (t.stopMark != 0) light.mark(t.stopMark);
  light.endFrame(t.period, t.minGap);
}

// NEC: 9 ms / 4.5 ms header, 560 us unit, a 1 is a three-unit space.
constexpr int32_t kNecUnit = 560;
constexpr PulseTiming kNec{16 * kNecUnit + 40, 8 * kNecUnit + 20, kNecUnit, 3 * kNecUnit + 10, kNecUnit, kNecUnit,
                           kNecUnit, 108'000, 20'000};
// Samsung32: NEC's bits behind a 4.5 ms / 4.5 ms header.
constexpr PulseTiming kSamsung{4500, 4500, kNecUnit, 1690, kNecUnit, kNecUnit, kNecUnit, 108'000, 20'000};
// Pioneer: NEC's shape at 40 kHz with a 500 us unit.
constexpr PulseTiming kPioneer{8500, 4250, 500, 1500, 500, 500, 500, 0, 26'000};
// SIRC: pulse width, 600 us unit, a 1 is a double mark, frames 45 ms apart.
constexpr int32_t kSircUnit = 600;
constexpr int32_t kSircFrames = 3;  // Sony sets act on the third frame
constexpr PulseTiming kSirc{4 * kSircUnit, kSircUnit, 2 * kSircUnit, kSircUnit, kSircUnit, kSircUnit, 0, 45'000, kSircUnit};
// Kaseikyo (Panasonic): 3456 / 1728 header, 432 us unit, 48 bits.
constexpr int32_t kKaseikyoUnit = 432;
constexpr PulseTiming kKaseikyo{8 * kKaseikyoUnit, 4 * kKaseikyoUnit, kKaseikyoUnit, 3 * kKaseikyoUnit, kKaseikyoUnit,
                                kKaseikyoUnit,     kKaseikyoUnit,     0,             74'000};
// RCA: 4 ms / 4 ms header, 500 us marks, 2 ms and 1 ms spaces, at 56 kHz.
constexpr PulseTiming kRca{4000, 4000, 500, 2000, 500, 1000, 500, 0, 8000};

// RC5: Manchester at 889 us per half bit, a 1 rising (dark, then light).
constexpr int32_t kRc5Half = 889;
constexpr int32_t kRc5Period = 128 * kRc5Half;
// RC6: 2666 / 889 leader, 444 us half bit, a 1 falling (light, then dark);
// the toggle bit is twice as long.
constexpr int32_t kRc6Half = 444;
constexpr int32_t kRc6LeaderMark = 6 * kRc6Half + 2;
constexpr int32_t kRc6LeaderSpace = 2 * kRc6Half + 1;
constexpr int32_t kRc6Gap = 83'000;

uint32_t inverted(uint32_t value, int bits) { return ~value & ((1u << bits) - 1u); }

// Address then command, each followed by its inverse when `checked`: the
// NEC family's and Pioneer's payloads.
Bits addressAndCommand(uint32_t a, int addressBits, uint32_t c, int commandBits, bool checked) {
  Bits bits;
  bits.lsbFirst(a, addressBits);
  if (checked) bits.lsbFirst(inverted(a, addressBits), addressBits);
  bits.lsbFirst(c, commandBits);
  if (checked) bits.lsbFirst(inverted(c, commandBits), commandBits);
  return bits;
}

void encodeNec(uint32_t a, uint32_t c, Light& light) { pulseFrame(kNec, addressAndCommand(a, 8, c, 8, true), light); }
void encodeNecExt(uint32_t a, uint32_t c, Light& light) {
  pulseFrame(kNec, addressAndCommand(a, 16, c, 16, false), light);
}
void encodeNec42(uint32_t a, uint32_t c, Light& light) {
  pulseFrame(kNec, addressAndCommand(a, 13, c, 8, true), light);
}
void encodeNec42Ext(uint32_t a, uint32_t c, Light& light) {
  pulseFrame(kNec, addressAndCommand(a, 26, c, 16, false), light);
}

void encodeSamsung(uint32_t a, uint32_t c, Light& light) {
  Bits bits;
  bits.lsbFirst(a, 8);
  bits.lsbFirst(a, 8);
  bits.lsbFirst(c, 8);
  bits.lsbFirst(inverted(c, 8), 8);
  pulseFrame(kSamsung, bits, light);
}

void encodePioneer(uint32_t a, uint32_t c, Light& light) {
  pulseFrame(kPioneer, addressAndCommand(a, 8, c, 8, true), light);
}

void sircFrames(uint32_t a, uint32_t c, int addressBits, Light& light) {
  Bits bits;
  bits.lsbFirst(c, 7);
  bits.lsbFirst(a, addressBits);
  for (int i = 0; i < kSircFrames; ++i) pulseFrame(kSirc, bits, light);
}
void encodeSirc(uint32_t a, uint32_t c, Light& light) { sircFrames(a, c, 5, light); }
void encodeSirc15(uint32_t a, uint32_t c, Light& light) { sircFrames(a, c, 8, light); }
void encodeSirc20(uint32_t a, uint32_t c, Light& light) { sircFrames(a, c, 13, light); }

// address: vendor (16 bits), genre 1 and 2 (4 bits each), id (2 bits);
// command: 10 bits. Six bytes with a vendor parity nibble and a parity byte.
void encodeKaseikyo(uint32_t a, uint32_t c, Light& light) {
  std::array<uint8_t, 6> data{};
  data[0] = static_cast<uint8_t>(a & 0xFF);
  data[1] = static_cast<uint8_t>((a >> 8) & 0xFF);
  const uint8_t vendorXor = data[0] ^ data[1];
  const uint8_t vendorParity = (vendorXor & 0x0F) ^ (vendorXor >> 4);
  const uint32_t genre1 = (a >> 16) & 0x0F;
  const uint32_t genre2 = (a >> 20) & 0x0F;
  const uint32_t id = (a >> 24) & 0x03;
  data[2] = static_cast<uint8_t>(vendorParity | (genre1 << 4));
  data[3] = static_cast<uint8_t>(genre2 | ((c & 0x0F) << 4));
  data[4] = static_cast<uint8_t>((id << 6) | ((c >> 4) & 0x3F));
  data[5] = data[2] ^ data[3] ^ data[4];
  Bits bits;
  for (const uint8_t byte : data) bits.lsbFirst(byte, 8);
  pulseFrame(kKaseikyo, bits, light);
}

void encodeRca(uint32_t a, uint32_t c, Light& light) {
  Bits bits;
  bits.msbFirst(a, 4);
  bits.msbFirst(c, 8);
  bits.msbFirst(inverted(a, 4), 4);
  bits.msbFirst(inverted(c, 8), 8);
  pulseFrame(kRca, bits, light);
}

void rc5Frame(uint32_t a, uint32_t c, Light& light) {
  Bits bits;
  bits.msbFirst(1, 1);                           // start
  bits.msbFirst((c & 0x40) != 0 ? 0 : 1, 1);     // field: RC5X's inverted seventh command bit
  bits.msbFirst(0, 1);                           // toggle
  bits.msbFirst(a, 5);
  bits.msbFirst(c & 0x3F, 6);
  for (const bool one : bits.all()) {
    if (one) {
      light.space(kRc5Half);
      light.mark(kRc5Half);
    } else {
      light.mark(kRc5Half);
      light.space(kRc5Half);
    }
  }
  light.endFrame(kRc5Period, kRc5Half);
}

void encodeRc6(uint32_t a, uint32_t c, Light& light) {
  light.mark(kRc6LeaderMark);
  light.space(kRc6LeaderSpace);
  Bits bits;
  bits.msbFirst(1, 1);  // start
  bits.msbFirst(0, 3);  // mode 0
  bits.msbFirst(0, 1);  // toggle, twice as long
  bits.msbFirst(a, 8);
  bits.msbFirst(c, 8);
  for (size_t i = 0; i < bits.all().size(); ++i) {
    const int32_t half = i == 4 ? 2 * kRc6Half : kRc6Half;
    if (bits.all()[i]) {
      light.mark(half);
      light.space(half);
    } else {
      light.space(half);
      light.mark(half);
    }
  }
  light.endFrame(0, kRc6Gap);
}

struct ProtocolRule {
  std::string_view name;
  uint32_t maxAddress, maxCommand;
  void (*encode)(uint32_t address, uint32_t command, Light& light);
};

constexpr std::array kProtocols{
    ProtocolRule{"NEC", 0xFF, 0xFF, encodeNec},
    ProtocolRule{"NECext", 0xFFFF, 0xFFFF, encodeNecExt},
    ProtocolRule{"NEC42", 0x1FFF, 0xFF, encodeNec42},
    ProtocolRule{"NEC42ext", 0x3FFFFFF, 0xFFFF, encodeNec42Ext},
    ProtocolRule{"Samsung32", 0xFF, 0xFF, encodeSamsung},
    ProtocolRule{"SIRC", 0x1F, 0x7F, encodeSirc},
    ProtocolRule{"SIRC15", 0xFF, 0x7F, encodeSirc15},
    ProtocolRule{"SIRC20", 0x1FFF, 0x7F, encodeSirc20},
    ProtocolRule{"RC5", 0x1F, 0x3F, rc5Frame},
    ProtocolRule{"RC5X", 0x1F, 0x7F, rc5Frame},
    ProtocolRule{"RC6", 0xFF, 0xFF, encodeRc6},
    ProtocolRule{"Kaseikyo", 0x3FFFFFF, 0x3FF, encodeKaseikyo},
    ProtocolRule{"RCA", 0xF, 0xFF, encodeRca},
    ProtocolRule{"Pioneer", 0xFF, 0xFF, encodePioneer},
};

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool encodeProtocol(std::string_view protocol, uint32_t address, uint32_t command, std::vector<int32_t>& durations,
                    std::string& problem) {
  for (const ProtocolRule& rule : kProtocols) {
    if (!sameName(rule.name, protocol)) continue;
    if (address > rule.maxAddress || command > rule.maxCommand) {
      problem = "address or command too wide for " + std::string(rule.name);
      return false;
    }
    Light light(durations);
    rule.encode(address, command, light);
    return true;
  }
  problem = "unknown protocol " + std::string(protocol);
  return false;
}

}  // namespace zapvane
