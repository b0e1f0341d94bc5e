// Recognising built-in commands from their light, as the monitor does.
#include "ir/light_matcher.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/remote.h"
#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "platform/sim_transmitter.h"
#include "platform/virtual_platform.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

class LightMatcherTest : public ::testing::Test {
 protected:
  LightMatcherTest() {
    remote.start();
    remote.port.openForSending();
  }

  // The light of one frame as the simulator logs it.
  std::vector<int64_t> lightOf(int32_t device, int32_t command) {
    DeviceProfile& profile = remote.catalogue.builtIn[static_cast<size_t>(device)];
    remote.current.device = &profile;
    PortPrimitives primitives(remote.timer, remote.port);
    sendFrame(primitives, profile, command);
    std::vector<int64_t> light = mode2Durations(machine.opened->pendingBursts(), machine.clock.frequency(), 0);
    remote.port.frameDone();
    return light;
  }

  static const LightMatcher& matcher() {
    static const LightMatcher shared;  // rendering every command once is the slow part
    return shared;
  }

  testing::TestFolder dir;
  VirtualPlatform machine;
  std::ostringstream err;
  Remote remote{machine, DataFiles::in(dir.path().string()), err};
};

TEST_F(LightMatcherTest, EveryBuiltInCommandIsRecognisedFromItsOwnLight) {
  for (int32_t device = 0; device < kBuiltInCount; ++device) {
    const DeviceProfile& profile = remote.catalogue.builtIn[static_cast<size_t>(device)];
    for (int32_t command = 0; command < profile.commandCount; ++command) {
      if (!commandExists(command, profile)) continue;
      const auto matches = matcher().match(lightOf(device, command));
      const std::string want = LightMatcher::codeHex(profile, command);
      bool found = false;
      for (const LightMatch& m : matches) {
        found |= m.device == device && m.command == command;
        EXPECT_EQ(m.code, want) << device << ":" << command;  // one light, one code
      }
      EXPECT_TRUE(found) << device << ":" << command;
    }
  }
}

TEST_F(LightMatcherTest, CodesAreWrittenWithTheDigitsTheirBitsNeed) {
  const struct {
    int device, command;
    const char* hex;
  } cases[] = {{0, 1, "810"}, {12, 0, "400401000809"}, {37, 0, "1D8113F00FF"}, {29, 0, "E200"}, {18, 0, "02FD807F"}};
  for (const auto& c : cases) {
    EXPECT_EQ(LightMatcher::codeHex(remote.catalogue.builtIn[static_cast<size_t>(c.device)], c.command), c.hex);
  }
}

TEST_F(LightMatcherTest, MatchesWithinAQuarterAndNoFurther) {
  const std::vector<int64_t> light = lightOf(0, 1);
  auto scaled = [&](double factor) {
    std::vector<int64_t> out;
    for (int64_t d : light) out.push_back(static_cast<int64_t>(static_cast<double>(d) * factor));
    return out;
  };
  EXPECT_EQ(matcher().match(scaled(1.2)).size(), matcher().match(light).size());
  EXPECT_TRUE(matcher().match(scaled(1.3)).empty());
  EXPECT_TRUE(matcher().match(scaled(0.7)).empty());
  std::vector<int64_t> truncated(light.begin(), light.end() - 2);
  EXPECT_TRUE(matcher().match(truncated).empty());
  EXPECT_TRUE(matcher().match({}).empty());
}

TEST_F(LightMatcherTest, SameCodeFromTwoCommandsNamesBoth) {
  const auto matches = matcher().match(lightOf(32, 0));  // JVC - TV sends C084 from 0 and 13
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[0].command, 0);
  EXPECT_EQ(matches[1].command, 13);
}

}  // namespace
}  // namespace zapvane
