// Every command of every built-in device sent on the simulated transmitter and
// read back from the light alone against the device sheets: its bits, each
// duration its timing set must make, the light matcher naming it. Then the
// encoder's steps for the frames of tests/data/ir/frame_steps.tsv.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "catalogue/reference_data.h"
#include "ir/frame_encoder.h"
#include "ir/frame_recorder.h"
#include "ir/light_matcher.h"
#include "support/rig.h"

namespace zapvane::testing {
namespace {

constexpr double kByteLight = 234.375;  // microseconds of carrier per byte at 38400 baud

// "m2344s756m703s549...", the light as a glance shows it.
std::string timeline(const std::vector<int64_t>& light) {
  std::string text;
  for (size_t i = 0; i < light.size(); ++i) text += (i % 2 == 0 ? "m" : "s") + std::to_string(light[i]);
  return text;
}

// The light `bits` must make with timing `t` at adjustment 0: a mark in whole
// bytes; each wait runs from the start of its mark, so the darkness is the
// wait less the mark's light, never less than none, plus a tail's lead-in.
std::vector<int64_t> expectedLight(const FrameTiming& t, const std::string& bits) {
  std::vector<int64_t> light;
  double space = 0;
  auto add = [&](int32_t lead, int32_t mark, int32_t after, double perByte) {
    const double bytes = std::floor(mark / 234.0 + 0.5);
    if (!light.empty()) light.push_back(std::llround(space + lead));
    light.push_back(std::llround(bytes * kByteLight));
    space = std::max(0.0, after + perByte * bytes - bytes * kByteLight);
  };
  if (t.headerMark >= 117) add(0, t.headerMark, t.headerSpace, 250);
  for (char bit : bits) add(0, bit == '1' ? t.oneMark : t.zeroMark, bit == '1' ? t.oneSpace : t.zeroSpace, 234);
  const bool trailer = t.trailerMark != 0, tail1 = trailer && t.tailMark1 != 0;
  if (trailer) add(0, t.trailerMark, t.trailerSpace, 234);
  if (tail1) add(t.tailWait1, t.tailMark1, 0, 200);
  if (tail1 && t.tailMark2 != 0) add(t.tailWait2, t.tailMark2, 0, 234);
  if (space > 0) light.push_back(std::llround(space));
  return light;
}

// Each bit from its mark and space: whichever of the one and zero timings lies nearer.
std::string decodeBits(const FrameTiming& t, const std::vector<int64_t>& light) {
  std::string bits;
  for (size_t i = t.headerMark >= 117 ? 2 : 0; i + 1 < light.size() && std::ssize(bits) < t.codeBits; i += 2) {
    const auto distance = [&](int32_t mark, int32_t space) {
      return std::hypot(static_cast<double>(light[i] - mark), static_cast<double>(light[i + 1] - space));
    };
    bits += distance(t.oneMark, t.oneSpace) < distance(t.zeroMark, t.zeroSpace) ? '1' : '0';
  }
  return bits;
}

// The simulated COM1 of a started remote, open for sending.
class Transmitter : public ::testing::Test {
 protected:
  Transmitter() {
    rig.started();
    rig.remote.port.openForSending();
  }
  // The light of one frame, pulse first, the last space up to the frame's end.
  std::vector<int64_t> send(int device, int32_t command) {
    DeviceProfile& p = *(rig.remote.current.device = rig.remote.catalogue.entries[static_cast<size_t>(device)]);
    PortPrimitives out(rig.remote.timer, rig.remote.port);
    sendFrame(out, p, command);
    const auto light = mode2Durations(rig.platform.opened->pendingBursts(), rig.platform.clock.frequency(),
                                      rig.platform.clock.now());
    rig.remote.port.frameDone();
    return light;
  }
  static const LightMatcher& matcher() {
    static const LightMatcher shared;  // rendering every command once is the slow part
    return shared;
  }
  Rig rig;
};

class EveryBuiltInCommand : public Transmitter, public ::testing::WithParamInterface<int> {};

TEST_P(EveryBuiltInCommand, DecodesFromItsLightToTheSheetsCode) {
  const DeviceSheet& sheet = deviceSheets().at(static_cast<size_t>(GetParam()));
  for (int32_t c = 0; c < std::ssize(sheet.codes); ++c) {
    const std::optional<uint64_t>& code = sheet.codes[static_cast<size_t>(c)];
    if (!code) continue;
    SCOPED_TRACE(sheet.name + " command " + std::to_string(c));
    const std::vector<int64_t> light = send(GetParam(), c);
    EXPECT_EQ(decodeBits(sheet.timing, light), sheet.bits(c));
    EXPECT_EQ(timeline(light), timeline(expectedLight(sheet.timing, sheet.bits(c))));
    std::vector<int32_t> named, sameCode;
    for (const LightMatch& m : matcher().match(light)) {
      EXPECT_TRUE(std::stoull(m.code, nullptr, 16) == *code && std::ssize(m.code) == (sheet.timing.codeBits + 3) / 4)
          << m.code << ": one light, one code, as many hex digits as its bits need";
      if (m.device == GetParam()) named.push_back(m.command);
    }
    for (int32_t k = 0; k < std::ssize(sheet.codes); ++k) {
      if (sheet.codes[static_cast<size_t>(k)] == code) sameCode.push_back(k);
    }
    EXPECT_EQ(named, sameCode) << "the matcher names every command of the device that sends this code";
  }
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, EveryBuiltInCommand, ::testing::Range(0, kBuiltInCount));

using LightMatching = Transmitter;

TEST_F(LightMatching, AllowsAQuarterOfEachDurationAndWholeFramesOnly) {
  const std::vector<int64_t> light = send(0, 1);
  const auto scaled = [&](double factor) {
    std::vector<int64_t> out;
    for (int64_t d : light) out.push_back(static_cast<int64_t>(static_cast<double>(d) * factor));
    return matcher().match(out).size();
  };
  EXPECT_EQ(std::vector<size_t>({scaled(0.8), scaled(1.2), scaled(0.7), scaled(1.3)}), std::vector<size_t>({1, 1, 0, 0}));
  EXPECT_TRUE(matcher().match({light.begin(), light.end() - 2}).empty()) << "a pulse short";
  EXPECT_TRUE(matcher().match({}).empty());
}

// "^" a stamp, "b3" a burst of 3 bytes, "w1252" a wait for 1252 us.
std::string stepsOf(const std::vector<FrameStep>& steps) {
  std::string text;
  for (const FrameStep& s : steps) {
    text += s.kind == FrameStep::stamp ? "^" : (s.kind == FrameStep::burst ? "b" : "w") + std::to_string(s.value);
  }
  return text;
}

TEST(FrameSteps, EachFrameOfTheTableStepByStep) {
  Rig rig;
  for (const Row& r : readTable("ir/frame_steps.tsv")) {
    SCOPED_TRACE(r.at(0));
    DeviceProfile p;
    LearnedSignal signal;
    std::array<LearnedSignal*, kUserSignalSlots> slots{&signal};
    std::vector<uint32_t> row(8, 0);
    if (r.at(1) == "learned") {
      signal.clear();
      const std::vector<int32_t> words = numbers(r.at(2));
      std::copy(words.begin(), words.end(), signal.words.begin());
      p.isLearned = 1, p.commandCount = 27, p.learnedSlots = slots.data(), p.markAdjust = std::stoi(r.at(3));
    } else {
      const Row words = split(r.at(2), ' ');
      for (size_t i = 0; i < words.size(); ++i) row[i] = static_cast<uint32_t>(std::stoul(words[i], nullptr, 16));
      p.timing = timingOf(numbers(r[1])), p.codeTable = row.data(), p.commandCount = 1;
      rig.remote.settings.markAdjust = std::stoi(r.at(3));
    }
    rig.remote.current.device = &p;
    FrameRecorder recorder(rig.remote.timer);
    sendFrame(recorder, p, 0);
    EXPECT_EQ(stepsOf(recorder.steps()), r.at(4) == "-" ? "" : r.at(4));
  }
}

}  // namespace
}  // namespace zapvane::testing
