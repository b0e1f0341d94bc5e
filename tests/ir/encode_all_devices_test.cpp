// Every command of every built-in device sent on the simulated transmitter
// and read back from the light alone: the bits by the device's one/zero
// timing, the durations against the profile. Then the encoder's step lists
// for hand-made profiles: the two frame shapes most devices use, the edges of
// the frame layout, mark adjustment and learned signals.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "app/remote.h"
#include "ir/frame_encoder.h"
#include "ir/frame_recorder.h"
#include "ir/ir_port.h"
#include "platform/virtual_platform.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

constexpr double kByteLight = 234.375;  // microseconds of carrier per byte at 38400 baud

// One mark and the darkness after it, in microseconds.
struct Pulse {
  double mark, space;
};

// "m2344s756m703s549...", the light as a glance shows it.
std::string timeline(const std::vector<Pulse>& light) {
  std::string text;
  for (const Pulse& p : light) {
    text += "m" + std::to_string(std::llround(p.mark)) + "s" + std::to_string(std::llround(p.space));
  }
  return text;
}

// The simulated port on a 1 GHz virtual clock (a tick is a nanosecond),
// fresh per test, with the remote started and its port open.
struct Transmitter {
  Transmitter() {
    remote.start();
    port.openForSending();
  }
  ~Transmitter() { port.closePort(); }

  // The light of one frame, the last space up to the frame's end.
  std::vector<Pulse> send(const DeviceProfile& profile, int32_t command) {
    sendFrame(primitives, profile, command);
    const int64_t end = machine.clock.now();
    const std::vector<Burst> bursts = machine.opened->pendingBursts();
    port.frameDone();
    std::vector<Pulse> light;
    for (size_t i = 0; i < bursts.size(); ++i) {
      const double mark = bursts[i].bytes * kByteLight;
      const int64_t next = i + 1 < bursts.size() ? bursts[i + 1].startTick : end;
      light.push_back({mark, std::max(0.0, static_cast<double>(next - bursts[i].startTick) / 1000.0 - mark)});
    }
    return light;
  }

  testing::TestFolder dir;
  VirtualPlatform machine;
  std::ostringstream err;
  Remote remote{machine, DataFiles::in(dir.path().string()), err};
  PulseTimer& timer = remote.timer;
  IrPort& port = remote.port;
  PortPrimitives primitives{timer, port};
};

// The code of a row as the bits go out, most significant first: up to 32
// bits from the one code word, above that the low codeBits-32 bits of
// codeHigh and then all of codeLow.
std::string rowBits(const DeviceProfile& p, int32_t command) {
  const uint32_t* row = p.codeTable + static_cast<ptrdiff_t>(command) * (p.timing.codeBits <= 32 ? 4 : 5);
  const uint64_t code = p.timing.codeBits <= 32 ? row[0] : uint64_t{row[0]} << 32 | row[1];
  std::string bits;
  for (int b = p.timing.codeBits - 1; b >= 0; --b) bits += ((code >> b) & 1u) != 0 ? '1' : '0';
  return bits;
}

// At mark adjustment 0 a mark is its duration in 234 us bytes, rounded.
double bytesFor(int32_t mark) { return std::floor(mark / 234.0 + 0.5); }

// Each bit from its mark and space: whichever of the device's one and zero
// timings lies nearer.
std::string decodeBits(const DeviceProfile& p, const std::vector<Pulse>& light) {
  std::string bits;
  for (size_t i = bytesFor(p.timing.headerMark) > 0 ? 1 : 0; i < light.size() && std::ssize(bits) < p.timing.codeBits; ++i) {
    auto distance = [&](int32_t mark, int32_t space) {
      return std::hypot(light[i].mark - mark, light[i].space - space);
    };
    bits += distance(p.timing.oneMark, p.timing.oneSpace) < distance(p.timing.zeroMark, p.timing.zeroSpace) ? '1' : '0';
  }
  return bits;
}

// The light a frame of `bits` must make. Each wait is measured from the start
// of the mark before it, so the darkness is the wait target less that mark's
// light, never less than none; the trailer and tails add their lead-in waits.
std::vector<Pulse> expectedLight(const DeviceProfile& p, const std::string& bits) {
  std::vector<Pulse> light;
  auto add = [&light](int32_t lead, int32_t mark, int32_t space, double microsecondsPerByte) {
    const double bytes = bytesFor(mark);
    if (!light.empty()) light.back().space += lead;
    light.push_back({bytes * kByteLight, std::max(0.0, space + microsecondsPerByte * bytes - bytes * kByteLight)});
  };
  if (bytesFor(p.timing.headerMark) > 0) add(0, p.timing.headerMark, p.timing.headerSpace, 250);
  for (char bit : bits) add(0, bit == '1' ? p.timing.oneMark : p.timing.zeroMark, bit == '1' ? p.timing.oneSpace : p.timing.zeroSpace, 234);
  const struct { int32_t lead, mark, space, perByte; } ending[] = {{p.timing.trailerWait, p.timing.trailerMark, p.timing.trailerSpace, 234},
                                                                   {p.timing.tailWait1, p.timing.tailMark1, 0, 200},
                                                                   {p.timing.tailWait2, p.timing.tailMark2, 0, 234}};
  for (const auto& part : ending) {
    if (part.mark == 0) break;
    add(part.lead, part.mark, part.space, part.perByte);
  }
  return light;
}

::testing::AssertionResult sameLight(const std::vector<Pulse>& want, const std::vector<Pulse>& got) {
  bool same = want.size() == got.size();
  for (size_t i = 0; same && i < want.size(); ++i) {
    same = std::abs(want[i].mark - got[i].mark) < 0.01 && std::abs(want[i].space - got[i].space) <= 1.0;
  }
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\nwant " << timeline(want) << "\n got " << timeline(got);
}

class EncodeAllDevices : public ::testing::TestWithParam<int> {
 protected:
  Transmitter tx;
};

TEST_P(EncodeAllDevices, EveryCommandDecodesToItsCode) {
  DeviceProfile& p = *tx.remote.catalogue.entries[static_cast<size_t>(GetParam())];
  tx.remote.current.device = &p;
  int sent = 0;
  for (int32_t c = 0; c < p.commandCount; ++c) {
    SCOPED_TRACE("command " + std::to_string(c));
    const bool absent = p.codeTable[c * (p.timing.codeBits <= 32 ? 4 : 5)] == 0xFFFFFFFFu;
    ASSERT_EQ(commandExists(c, p), !absent);
    if (absent) continue;
    const std::vector<Pulse> light = tx.send(p, c);
    EXPECT_EQ(decodeBits(p, light), rowBits(p, c));
    EXPECT_TRUE(sameLight(expectedLight(p, rowBits(p, c)), light));
    ++sent;
  }
  EXPECT_GT(sent, 0);
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, EncodeAllDevices, ::testing::Range(0, kBuiltInCount));

// --- step lists -------------------------------------------------------------

// "^" a stamp, "b3" a burst of 3 bytes, "w1252" a wait for 1252 us.
std::string stepsOf(const std::vector<FrameStep>& steps) {
  std::string text;
  for (const FrameStep& s : steps) {
    text += s.kind == FrameStep::stamp ? "^" : (s.kind == FrameStep::burst ? "b" : "w") + std::to_string(s.value);
  }
  return text;
}

// The steps of `bits`, "1" written as `one`, "0" as `zero`.
std::string bitSteps(const std::string& bits, const std::string& one, const std::string& zero) {
  std::string all;
  for (char bit : bits) all += bit == '1' ? one : zero;
  return all;
}

using Shape = FrameTiming;
constexpr Shape kSonyShape{2400, 600, 1200, 550, 600, 550, 0, 0, 0, 0, 0, 12};
constexpr Shape kToshibaShape{8800, 4400, 550, 1600, 550, 550, 540, 39200, 8800, 2200, 550, 32};
const std::string kToshibaTrailer = "^w0b2w468";
const std::string kToshibaTail1 = "^w39200^b38w7600";
const std::string kToshibaTail2 = "^w2200^b2w468";

// A built-in device of the given shape whose only command is `row`.
struct Shaped {
  Shaped(const Shape& s, std::vector<uint32_t> codeRow) : row(std::move(codeRow)) {
    p.timing = s, p.codeTable = row.data(), p.commandCount = 1;
  }
  std::vector<uint32_t> row;
  DeviceProfile p;
};

class FrameSteps : public ::testing::Test {
 protected:
  std::string record(const DeviceProfile& p, int32_t command = 0) {
    FrameRecorder recorder(tx.timer);
    sendFrame(recorder, p, command);
    return stepsOf(recorder.steps());
  }
  Transmitter tx;
};

TEST_F(FrameSteps, WorkedExamplesOfTheTwoCommonShapes) {
  Shaped sony(kSonyShape, {0x010, 0, 0, 0});
  EXPECT_EQ(record(sony.p), "^b10w3100" + bitSteps("000000010000", "^b5w1720", "^b3w1252"));
  Shaped toshiba(kToshibaShape, {0x02FD807F, 0, 0, 0});
  EXPECT_EQ(record(toshiba.p), "^b38w13900" + bitSteps("00000010111111011000000001111111", "^b2w2068", "^b2w1018") +
                                   kToshibaTrailer + kToshibaTail1 + kToshibaTail2);
}

// The Toshiba shape sending the two bits "10", its parts left out one by
// one. Half a byte is the least header that still makes light; the trailer's
// microseconds decide, not the bytes they round to; a part whose mark is 0
// ends the frame whatever follows it. Bits past 64 have no row layout: each
// stamps and sends nothing.
TEST_F(FrameSteps, PartsOfTheFrameLeftOut) {
  const std::string header = "^b38w13900", bits = bitSteps("10", "^b2w2068", "^b2w1018");
  const std::string tails = kToshibaTrailer + kToshibaTail1 + kToshibaTail2;
  const struct {
    int32_t headerMark, codeBits, trailerMark, tailMark1, tailMark2;
    std::string steps;
  } cases[] = {
      {0, 2, 0, 8800, 550, bits},
      {116, 2, 0, 8800, 550, bits},
      {117, 2, 0, 8800, 550, "^b1w4650" + bits},
      {8800, 2, 100, 0, 0, header + bits + "^w0b0w0"},
      {8800, 2, 540, 0, 550, header + bits + kToshibaTrailer},
      {8800, 2, 540, 8800, 0, header + bits + kToshibaTrailer + kToshibaTail1},
      {8800, 0, 540, 8800, 550, header + tails},
      {8800, 65, 540, 8800, 550, header + std::string(65, '^') + tails},
  };
  for (const auto& c : cases) {
    Shaped s(kToshibaShape, {0b10, 0, 0, 0, 0, 0});
    s.p.timing.headerMark = c.headerMark, s.p.timing.codeBits = c.codeBits;
    s.p.timing.trailerMark = c.trailerMark, s.p.timing.tailMark1 = c.tailMark1, s.p.timing.tailMark2 = c.tailMark2;
    EXPECT_EQ(record(s.p), c.steps) << "header " << c.headerMark << ", " << c.codeBits << " bits, trailer "
                                    << c.trailerMark << ", tails " << c.tailMark1 << "/" << c.tailMark2;
  }
}

TEST_F(FrameSteps, WideCodesSendTheLowBitsOfCodeHighThenCodeLow) {
  const struct {
    int32_t codeBits;
    uint32_t codeHigh, codeLow;
    std::string bits;
  } cases[] = {
      {33, 0x1, 0x80000001, "1" "10000000000000000000000000000001"},
      {42, 0x1D8, 0x113F00FF, "0111011000" "00010001001111110000000011111111"},
      {48, 0x4004, 0x01000809, "0100000000000100" "00000001000000000000100000001001"},
      {64, 0x80000001, 0x2, "10000000000000000000000000000001" "00000000000000000000000000000010"},
  };
  for (const auto& c : cases) {
    Shaped s({0, 0, 468, 0, 234, 0, 0, 0, 0, 0, 0, c.codeBits}, {c.codeHigh, c.codeLow, 0, 0, 0});
    EXPECT_EQ(record(s.p), bitSteps(c.bits, "^b2w468", "^b1w234")) << "codeBits " << c.codeBits;
  }
}

// Built-in devices take the settings' mark adjustment; the header wait counts
// 250 us for each of the bytes actually written.
TEST_F(FrameSteps, MarkAdjustmentScalesTheHeader) {
  const struct {
    int device;
    int32_t markAdjust;
    std::string header;
  } cases[] = {{0, -5, "^b5w1850"}, {0, 5, "^b15w4350"}, {18, -5, "^b19w9150"}, {18, 5, "^b56w18400"}};
  for (const auto& c : cases) {
    DeviceProfile& p = tx.remote.catalogue.builtIn[static_cast<size_t>(c.device)];
    tx.remote.current.device = &p;
    tx.remote.settings.markAdjust = c.markAdjust;
    EXPECT_EQ(record(p).substr(0, c.header.size()), c.header) << "device " << c.device << ", adjust " << c.markAdjust;
  }
}

// A 0 us bit mark writes nothing, yet its wait still holds the next mark back.
TEST_F(FrameSteps, ZeroMarkStillWaits) {
  Shaped s({0, 0, 600, 600, 0, 1000, 0, 0, 0, 0, 0, 3}, {0b101, 0, 0, 0});
  EXPECT_EQ(timeline(tx.send(s.p, 0)), "m703s1599m703s599");
}

// --- learned signals --------------------------------------------------------

// A user device whose command 3 is the signal `words`, padded as an empty one.
struct UserDevice {
  explicit UserDevice(std::initializer_list<int32_t> words) {
    signal.clear();
    std::copy(words.begin(), words.end(), signal.words.begin());
    slots[3] = &signal;
    profile.isLearned = 1, profile.commandCount = 27, profile.learnedSlots = slots.data();
  }
  LearnedSignal signal;
  std::array<LearnedSignal*, kUserSignalSlots> slots{};
  DeviceProfile profile;
};

using LearnedSignals = FrameSteps;

// Only a mark of -1 ends the signal; a -1 space is just a short wait, and a
// 0 us mark still waits.
TEST_F(LearnedSignals, PairsReplayedUpToTheEndMark) {
  EXPECT_EQ(record(UserDevice({-1, -1, 9000, 4500}).profile, 3), "");
  EXPECT_EQ(record(UserDevice({9000, 4500, 560, 560, 0, 1000, 600, -1, -1, 5, 560, 560}).profile, 3),
            "^b38w13392^b2w1028^b0w1000^b3w701");

  UserDevice full({});
  for (size_t i = 0; i < full.signal.words.size(); i += 2) full.signal.words[i] = 234, full.signal.words[i + 1] = 0;
  EXPECT_EQ(record(full.profile, 3), bitSteps(std::string(100, '1'), "^b1w234", "")) << "no end pair: 100 pairs";
}

}  // namespace
}  // namespace zapvane
