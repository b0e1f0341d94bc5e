// Every command of every built-in device sent on the simulated transmitter
// and read back from the light alone: the bits by the device's one/zero
// timing, the durations against the profile. Then the encoder's step lists
// for hand-made profiles: the two frame shapes most devices use, the edges of
// the frame layout, mark adjustment and learned signals.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "core/remote_core.h"
#include "ir/frame_encoder.h"
#include "ir/frame_recorder.h"
#include "ir/ir_port.h"
#include "platform/sim_transmitter.h"
#include "platform/virtual_counter.h"

namespace zapvane {
namespace {

constexpr double kByteLight = 234.375;  // microseconds of carrier per byte at 38400 baud

class SimOpener final : public PortOpener {
 public:
  explicit SimOpener(PerformanceCounter& counter) : counter_(counter) {}
  std::unique_ptr<SerialDevice> open(const std::string&, std::string&) override {
    auto sim = std::make_unique<SimTransmitter>(counter_, std::string());
    opened = sim.get();
    return sim;
  }
  SimTransmitter* opened = nullptr;

 private:
  PerformanceCounter& counter_;
};

class KeptMessages final : public MessageSink {
 public:
  void show(const Message& message) override { shown.push_back(message.text); }
  std::vector<std::string> shown;
};

// One mark and the darkness after it, in microseconds.
struct Pulse {
  double mark;
  double space;
};

// "m2344s756m703s549...", the light as a glance shows it.
std::string timeline(const std::vector<Pulse>& light) {
  std::string text;
  for (const Pulse& p : light) {
    text += "m" + std::to_string(std::llround(p.mark)) + "s" + std::to_string(std::llround(p.space));
  }
  return text;
}

// The light of the bursts up to endTick on a 1 GHz counter. Writes that
// follow each other without a gap are one mark to a receiver.
std::vector<Pulse> lightOf(const std::vector<Burst>& bursts, int64_t endTick) {
  std::vector<Pulse> light;
  double lastEnd = 0;
  for (const Burst& burst : bursts) {
    const double start = static_cast<double>(burst.startTick) / 1000.0;
    const double length = burst.bytes * kByteLight;
    if (!light.empty() && start - lastEnd < 0.5) {
      light.back().mark += length;
    } else {
      if (!light.empty()) light.back().space = start - lastEnd;
      light.push_back({length, 0});
    }
    lastEnd = start + length;
  }
  if (!light.empty()) light.back().space = std::max(0.0, static_cast<double>(endTick) / 1000.0 - lastEnd);
  return light;
}

// The simulated port with its clock, fresh per test; starts with the
// catalogue built and the port open.
struct Transmitter {
  Transmitter() {
    startCatalogue(core);
    timer.calibrateTimer();
    port.openForSending();
  }
  ~Transmitter() { port.closePort(); }

  std::vector<Pulse> send(const DeviceProfile& profile, int32_t command) {
    sendFrame(primitives, profile, command);
    const int64_t end = counter.now();
    return lightOf(takeBursts(), end);
  }
  std::vector<Burst> takeBursts() {
    std::vector<Burst> bursts = opener.opened->pendingBursts();
    port.frameDone();
    return bursts;
  }

  RemoteCore core;
  VirtualCounter counter;  // 1 GHz: a tick is a nanosecond
  PulseTimer timer{counter, core.adjustments};
  SimOpener opener{counter};
  KeptMessages messages;
  IrPort port{opener, messages, core.settings};
  PortPrimitives primitives{timer, port};
};

// The code of a row as the bits go out, most significant first: up to 32
// bits from the one code word, above that the low codeBits-32 bits of
// codeHigh and then all of codeLow.
std::string rowBits(const DeviceProfile& p, int32_t command) {
  const int width = p.codeBits <= 32 ? 4 : 5;
  const uint32_t* row = p.codeTable + static_cast<ptrdiff_t>(command) * width;
  std::string bits;
  auto append = [&bits](uint32_t word, int count) {
    for (int b = count - 1; b >= 0; --b) bits += ((word >> b) & 1u) != 0 ? '1' : '0';
  };
  if (width == 4) {
    append(row[0], p.codeBits);
  } else {
    append(row[0], p.codeBits - 32);
    append(row[1], 32);
  }
  return bits;
}

// At mark adjustment 0 a mark is its duration in 234 us bytes, rounded.
double bytesFor(int32_t mark) { return std::floor(mark / 234.0 + 0.5); }

// Each bit from its mark and space: whichever of the device's one and zero
// timings lies nearer.
std::string decodeBits(const DeviceProfile& p, const std::vector<Pulse>& light) {
  std::string bits;
  for (size_t i = bytesFor(p.headerMark) > 0 ? 1 : 0; i < light.size() && std::ssize(bits) < p.codeBits; ++i) {
    auto distance = [&light, i](int32_t mark, int32_t space) {
      return std::hypot(light[i].mark - mark, light[i].space - space);
    };
    bits += distance(p.oneMark, p.oneSpace) < distance(p.zeroMark, p.zeroSpace) ? '1' : '0';
  }
  return bits;
}

// The light a frame of `bits` must make. Each wait is measured from the start
// of the mark before it, so the darkness is the wait target less that mark's
// light, never less than none; the trailer and tails add their lead-in waits.
std::vector<Pulse> expectedLight(const DeviceProfile& p, const std::string& bits) {
  std::vector<Pulse> light;
  auto add = [&light](int32_t mark, int32_t space, double microsecondsPerByte) {
    const double bytes = bytesFor(mark);
    light.push_back({bytes * kByteLight, std::max(0.0, space + microsecondsPerByte * bytes - bytes * kByteLight)});
  };
  if (bytesFor(p.headerMark) > 0) add(p.headerMark, p.headerSpace, 250);
  for (char bit : bits) add(bit == '1' ? p.oneMark : p.zeroMark, bit == '1' ? p.oneSpace : p.zeroSpace, 234);
  if (p.trailerMark == 0) return light;
  light.back().space += p.trailerWait;
  add(p.trailerMark, p.trailerSpace, 234);
  if (p.tailMark1 == 0) return light;
  light.back().space += p.tailWait1;
  add(p.tailMark1, 0, 200);
  if (p.tailMark2 == 0) return light;
  light.back().space += p.tailWait2;
  add(p.tailMark2, 0, 234);
  return light;
}

testing::AssertionResult sameLight(const std::vector<Pulse>& want, const std::vector<Pulse>& got) {
  bool same = want.size() == got.size();
  for (size_t i = 0; same && i < want.size(); ++i) {
    same = std::abs(want[i].mark - got[i].mark) < 0.01 && std::abs(want[i].space - got[i].space) <= 1.0;
  }
  if (same) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "\nwant " << timeline(want) << "\n got " << timeline(got);
}

class EncodeAllDevices : public testing::TestWithParam<int> {
 protected:
  Transmitter tx;
};

TEST_P(EncodeAllDevices, EveryCommandDecodesToItsCode) {
  DeviceProfile& p = *tx.core.catalogue.entries[static_cast<size_t>(GetParam())];
  tx.core.current.device = &p;
  int sent = 0;
  for (int32_t c = 0; c < p.commandCount; ++c) {
    SCOPED_TRACE("command " + std::to_string(c));
    const int width = p.codeBits <= 32 ? 4 : 5;
    if (p.codeTable[c * width] == 0xFFFFFFFFu) {
      EXPECT_FALSE(commandExists(c, p));
      continue;
    }
    ASSERT_TRUE(commandExists(c, p));
    const std::vector<Pulse> light = tx.send(p, c);
    const std::string bits = rowBits(p, c);
    EXPECT_EQ(decodeBits(p, light), bits);
    EXPECT_TRUE(sameLight(expectedLight(p, bits), light));
    ++sent;
  }
  EXPECT_GT(sent, 0);
}

std::string deviceTestName(const testing::TestParamInfo<int>& info) {
  RemoteCore core;
  startCatalogue(core);
  std::string name = std::to_string(info.param) + "_";
  for (char16_t unit : core.catalogue.builtIn[static_cast<size_t>(info.param)].name) {
    if (unit == 0) break;
    const char c = static_cast<char>(unit);
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) name += c;
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, EncodeAllDevices, testing::Range(0, kBuiltInCount), deviceTestName);

// --- step lists -------------------------------------------------------------

// "^" a stamp, "b3" a burst of 3 bytes, "w1252" a wait for 1252 us.
std::string stepsOf(const std::vector<FrameStep>& steps) {
  std::string text;
  for (const FrameStep& s : steps) {
    if (s.kind == FrameStep::stamp) text += "^";
    if (s.kind == FrameStep::burst) text += "b" + std::to_string(s.value);
    if (s.kind == FrameStep::wait) text += "w" + std::to_string(s.value);
  }
  return text;
}

std::string times(int count, const std::string& text) {
  std::string all;
  for (int i = 0; i < count; ++i) all += text;
  return all;
}

struct Shape {
  int32_t headerMark, headerSpace, oneMark, oneSpace, zeroMark, zeroSpace, trailerMark;
  int32_t tailWait1, tailMark1, tailWait2, tailMark2, codeBits;
};
constexpr Shape kSonyShape{2400, 600, 1200, 550, 600, 550, 0, 0, 0, 0, 0, 12};
constexpr Shape kToshibaShape{8800, 4400, 550, 1600, 550, 550, 540, 39200, 8800, 2200, 550, 32};

// A built-in device of the given shape whose command 0 is `table`'s first row.
void shape(DeviceProfile& p, const Shape& s, const std::vector<uint32_t>& table) {
  p.headerMark = s.headerMark;
  p.headerSpace = s.headerSpace;
  p.oneMark = s.oneMark;
  p.oneSpace = s.oneSpace;
  p.zeroMark = s.zeroMark;
  p.zeroSpace = s.zeroSpace;
  p.trailerMark = s.trailerMark;
  p.tailWait1 = s.tailWait1;
  p.tailMark1 = s.tailMark1;
  p.tailWait2 = s.tailWait2;
  p.tailMark2 = s.tailMark2;
  p.codeBits = s.codeBits;
  p.codeTable = table.data();
  p.commandCount = 1;
}

class FrameSteps : public testing::Test {
 protected:
  std::string record(const DeviceProfile& p, int32_t command = 0) {
    FrameRecorder recorder(tx.timer);
    sendFrame(recorder, p, command);
    return stepsOf(recorder.steps());
  }
  Transmitter tx;
};

TEST_F(FrameSteps, SonyShapeWorkedExample) {
  const std::vector<uint32_t> table = {0x010, 0, 0, 0};
  DeviceProfile p;
  shape(p, kSonyShape, table);
  EXPECT_EQ(record(p), "^b10w3100" + times(7, "^b3w1252") + "^b5w1720" + times(4, "^b3w1252"));
}

const std::string kToshibaTrailer = "^w0b2w468";
const std::string kToshibaTail1 = "^w39200^b38w7600";
const std::string kToshibaTail2 = "^w2200^b2w468";

TEST_F(FrameSteps, ToshibaShapeWorkedExample) {
  const std::vector<uint32_t> table = {0x02FD807F, 0, 0, 0};
  DeviceProfile p;
  shape(p, kToshibaShape, table);
  std::string bits;
  for (char bit : std::string("00000010111111011000000001111111")) bits += bit == '1' ? "^b2w2068" : "^b2w1018";
  EXPECT_EQ(record(p), "^b38w13900" + bits + kToshibaTrailer + kToshibaTail1 + kToshibaTail2);
}

// Header and trailer frame the bits whatever their number; bits beyond 64
// have no row layout and send nothing.
TEST_F(FrameSteps, NoBitsForCodeBits0Or65) {
  const std::vector<uint32_t> table(6, 0xFFFF0000u);
  for (int32_t codeBits : {0, 65}) {
    DeviceProfile p;
    shape(p, kToshibaShape, table);
    p.codeBits = codeBits;
    std::string steps = record(p);
    std::erase(steps, '^');  // a bit that sends nothing may still stamp
    EXPECT_EQ(steps, "b38w13900w0b2w468w39200b38w7600w2200b2w468") << "codeBits " << codeBits;
  }
}

TEST_F(FrameSteps, AZeroMarkEndsTheFrame) {
  const std::vector<uint32_t> table = {0b10, 0, 0, 0};
  const struct {
    int32_t trailerMark, tailMark1, tailMark2;
    std::string ending;
  } cases[] = {
      {0, 8800, 550, ""},
      {100, 0, 0, "^w0b0w0"},  // the microseconds decide, not the bytes they round to
      {540, 0, 550, kToshibaTrailer},
      {540, 8800, 0, kToshibaTrailer + kToshibaTail1},
      {540, 8800, 550, kToshibaTrailer + kToshibaTail1 + kToshibaTail2},
  };
  for (const auto& c : cases) {
    DeviceProfile p;
    shape(p, kToshibaShape, table);
    p.codeBits = 2;
    p.trailerMark = c.trailerMark;
    p.tailMark1 = c.tailMark1;
    p.tailMark2 = c.tailMark2;
    EXPECT_EQ(record(p), "^b38w13900^b2w2068^b2w1018" + c.ending)
        << "trailer " << c.trailerMark << ", tails " << c.tailMark1 << "/" << c.tailMark2;
  }
}

// Half a byte is the least that still makes light.
TEST_F(FrameSteps, HeaderBelowHalfAByteIsLeftOutWithItsSpace) {
  const std::vector<uint32_t> table = {0b1, 0, 0, 0};
  const struct {
    int32_t headerMark;
    std::string steps;
  } cases[] = {{0, "^b5w1720"}, {116, "^b5w1720"}, {117, "^b1w850^b5w1720"}};
  for (const auto& c : cases) {
    DeviceProfile p;
    shape(p, kSonyShape, table);
    p.codeBits = 1;
    p.headerMark = c.headerMark;
    EXPECT_EQ(record(p), c.steps) << "header mark " << c.headerMark;
  }
}

// Bits are told apart by the burst length alone: 2 bytes a one, 1 a zero.
TEST_F(FrameSteps, BitsGoOutMostSignificantFirst) {
  const struct {
    int32_t codeBits;
    uint32_t first, second;
    std::string bits;
  } cases[] = {
      {12, 0x810, 0, "100000010000"},
      {32, 0x80000003, 0, "10000000000000000000000000000011"},
      {33, 0x1, 0x80000001, "1" "10000000000000000000000000000001"},
      {42, 0x1D8, 0x113F00FF, "0111011000" "00010001001111110000000011111111"},
      {48, 0x4004, 0x01000809, "0100000000000100" "00000001000000000000100000001001"},
      {64, 0x80000001, 0x2, "10000000000000000000000000000001" "00000000000000000000000000000010"},
  };
  for (const auto& c : cases) {
    const std::vector<uint32_t> table = {c.first, c.second, 0, 0, 0};
    DeviceProfile p;
    shape(p, {0, 0, 468, 0, 234, 0, 0, 0, 0, 0, 0, c.codeBits}, table);
    std::string bits;
    FrameRecorder recorder(tx.timer);
    sendFrame(recorder, p, 0);
    for (const FrameStep& s : recorder.steps()) {
      if (s.kind == FrameStep::burst) bits += s.value == 2 ? '1' : '0';
    }
    EXPECT_EQ(bits, c.bits) << "codeBits " << c.codeBits;
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
    DeviceProfile& p = tx.core.catalogue.builtIn[static_cast<size_t>(c.device)];
    tx.core.current.device = &p;
    tx.core.settings.markAdjust = c.markAdjust;
    EXPECT_EQ(record(p).substr(0, c.header.size()), c.header) << "device " << c.device << ", adjust " << c.markAdjust;
  }
}

// --- learned signals --------------------------------------------------------

struct UserDevice {
  explicit UserDevice(std::initializer_list<int32_t> words) {
    signal.clear();
    std::copy(words.begin(), words.end(), signal.words.begin());
    slots[3] = &signal;
    profile.isLearned = 1;
    profile.commandCount = 27;
    profile.learnedSlots = slots.data();
  }
  LearnedSignal signal;
  std::array<LearnedSignal*, kUserSignalSlots> slots{};
  DeviceProfile profile;
};

using LearnedSignals = FrameSteps;

TEST_F(LearnedSignals, EmptySignalSendsNothing) {
  UserDevice d({-1, -1, 9000, 4500});
  EXPECT_EQ(record(d.profile, 3), "");
}

// Only a mark of -1 ends the signal; a -1 space is just a short wait.
TEST_F(LearnedSignals, PairsReplayedUpToTheEndMark) {
  UserDevice d({9000, 4500, 560, 560, 0, 1000, 600, -1, -1, 5, 560, 560});
  EXPECT_EQ(record(d.profile, 3), "^b38w13392^b2w1028^b0w1000^b3w701");
}

TEST_F(LearnedSignals, FullBufferWithoutEndMarkStopsAfter100Pairs) {
  UserDevice d({});
  for (size_t i = 0; i < d.signal.words.size(); i += 2) {
    d.signal.words[i] = 234;
    d.signal.words[i + 1] = 0;
  }
  EXPECT_EQ(record(d.profile, 3), times(100, "^b1w234"));
}

// 171 bytes do not fit the 150-byte burst buffer; the receiver still sees one
// unbroken mark.
TEST_F(LearnedSignals, LongMarkIsWrittenInTwoPieces) {
  UserDevice d({40000, 1000, -1, -1});
  sendFrame(tx.primitives, d.profile, 3);
  const std::vector<Burst> bursts = tx.takeBursts();
  ASSERT_EQ(bursts.size(), 2u);
  EXPECT_EQ(bursts[0].bytes, 150);
  EXPECT_EQ(bursts[1].bytes, 21);
  EXPECT_NEAR(static_cast<double>(bursts[1].startTick - bursts[0].startTick), 150 * kByteLight * 1000, 1.0);
}

// A 0 us mark writes nothing, yet its wait still holds the next mark back.
TEST_F(LearnedSignals, ZeroMarkStillWaits) {
  UserDevice learned({600, 600, 0, 1000, 600, 0, -1, -1});
  EXPECT_EQ(timeline(tx.send(learned.profile, 3)), "m703s1599m703s0");

  const std::vector<uint32_t> table = {0b101, 0, 0, 0};
  DeviceProfile encoded;
  shape(encoded, {0, 0, 600, 600, 0, 1000, 0, 0, 0, 0, 0, 3}, table);
  EXPECT_EQ(timeline(tx.send(encoded, 0)), "m703s1599m703s599");
}

}  // namespace
}  // namespace zapvane
