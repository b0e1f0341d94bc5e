// zapvane-cli's contract: each subcommand's output format and the exit codes
// 0, 1 and 2, driven through runCli as a shell would call the program. What
// the output holds (step lists, light, file layouts) the core suites pin.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "storage/user_devices_file.h"
#include "support/test_folder.h"
#include "support/user_world.h"

namespace zapvane::cli {
namespace {

struct CliRun {
  int code;
  std::string out, err;
};

int countLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Cli : public ::testing::Test {
 protected:
  CliRun cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    args.insert(args.begin(), {"--data-dir", dir.path().string()});
    const int code = runCli(args, out, err);
    return {code, out.str(), err.str()};
  }
  std::string file(const std::string& name) const { return dir / name; }

  testing::TestFolder dir;
};

// Usage errors exit 2, requests that cannot be carried out 1; either way one
// line on stderr and nothing on stdout.
TEST_F(Cli, ExitCodesTellUsageFromImpossibleRequests) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).code, 0);
  const std::string pulses = file("one.pulses"), empty = file("empty.pulses");
  std::ofstream(pulses) << "pulse 9000\nspace 4500\npulse 560\n";
  std::ofstream(empty) << "# nothing\n";
  const struct {
    std::vector<std::string> args;
    int code;
    std::string err = "";
  } cases[] = {
      {{"frame", "SONY Tape A", "0"}, 1},  // absent command
      {{"frame", "0", "26"}, 1},           // past the last command
      {{"frame", "0", "-1"}, 1},
      {{"frame", "Hi-fi", "1"}, 1},  // not learned yet
      {{"frame", "Hi-fi", "27"}, 1},
      {{"frame", "39", "0"}, 2},         // unknown device
      {{"frame", "sony - tv", "0"}, 2},  // names match exactly
      {{"frame", "0", "x"}, 2},
      {{"frame", "0", "1", "--space-adjust", "6"}, 2},
      {{"frame", "0", "1", "--mark-adjust", "1.5"}, 2},
      {{"frame", "0"}, 2},
      {{"frame", "0", "1", "--speed", "3"}, 2},
      {{"pulses", "AIWA - audio", "1"}, 1},
      {{"devices", "extra"}, 2},
      {{"send", "0", "1", "--port", "2"}, 1, "Unable to open COM2:"},
      {{"send", "1", "0"}, 1},
      {{"send", "0", "1", "--hold", "-5"}, 2},
      {{"send", "0", "1", "--port", "0"}, 2},
      {{"monitor", "--tail"}, 2},
      {{"monitor"}, 0, "nothing sent yet"},
      {{"new-device", "", "--skin", "tv"}, 2, "Enter device name!!!"},
      {{"new-device", "TV", "--skin", "sat"}, 2},
      {{"new-device", "TV"}, 2},
      {{"label", "0", "2", "x"}, 2},  // built-in devices take no labels
      {{"label", "Hi-fi", "10", "x"}, 2},
      {{"learn", "SONY - TV", "3", "--from-pulses", pulses}, 2},
      {{"learn", "Hi-fi", "27", "--from-pulses", pulses}, 1},
      {{"learn", "Hi-fi", "3", "--gap", "5"}, 2},
      {{"learn", "Hi-fi", "3", "--from-pulses", empty}, 2},
      {{"teleport"}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(countLines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(file("ir-sim.log")));
  const CliRun bare = cli({});
  EXPECT_EQ(bare.code, 2);
  EXPECT_TRUE(bare.out.empty());
}

TEST_F(Cli, EveryCommandHasHelp) {
  for (const char* command :
       {"devices", "frame", "pulses", "settings", "selection", "send", "monitor", "new-device", "label", "learn"}) {
    const CliRun r = cli({command, "--help"});
    EXPECT_EQ(r.code, 0) << command;
    EXPECT_NE(r.out.find(std::string("zapvane-cli [--data-dir DIR] ") + command), std::string::npos) << command;
  }
  const CliRun r = cli({"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("pulses <device> <command>"), std::string::npos);
}

// Built-in devices take the adjustments through the settings: the mark one
// shows in the bytes, the space one only in the light.
TEST_F(Cli, FrameAndPulsesListOneStepOrOneDurationPerLine) {
  const CliRun frame = cli({"frame", "SONY - TV", "1", "--mark-adjust", "5", "--space-adjust=-5"});
  ASSERT_EQ(frame.code, 0) << frame.err;
  EXPECT_TRUE(startsWith(frame.out, "stamp\nburst 15\nwait 4350\nstamp\nburst 8\nwait 2422\n")) << frame.out;
  EXPECT_EQ(countLines(frame.out), 3 * 13);
  // The header target (3100 x 0.75 = 2325 us) ends before its own 2344 us of
  // light: the first bit follows at once. The last line is the space to the
  // frame's end.
  const CliRun light = cli({"pulses", "0", "0", "--space-adjust", "-5"});
  ASSERT_EQ(light.code, 0) << light.err;
  EXPECT_TRUE(startsWith(light.out, "pulse 2344\nspace 0\npulse 703\nspace 236\n")) << light.out;
  EXPECT_EQ(countLines(light.out), 2 * 13);
}

// A learned device keeps its adjustments to itself: 2400 us are 10 bytes, 15
// at +5, each wait the bytes' 234 us plus the recorded space.
TEST_F(Cli, LearnedFramesReplayTheRecordingWithTheDevicesOwnAdjustments) {
  auto world = std::make_unique<testing::UserWorld>();
  world->add(u"Hi-fi", kTvSkin);
  const int32_t words[] = {2400, 600, 1200, 25000, -1, -1};
  std::copy(std::begin(words), std::end(words), world->signal(0, 0).words.begin());
  ASSERT_TRUE(saveUserDevices(world->catalogue, testing::disk(), file("remotes.usr")).isOk());

  EXPECT_EQ(cli({"frame", "Hi-fi", "0"}).out, "stamp\nburst 10\nwait 2940\nstamp\nburst 5\nwait 26170\n");
  EXPECT_EQ(cli({"frame", "38", "0", "--mark-adjust", "5"}).out,
            "stamp\nburst 15\nwait 4110\nstamp\nburst 8\nwait 26872\n");
}

TEST_F(Cli, NewDevicesJoinTheCatalogueAndTheSelection) {
  const CliRun builtIn = cli({"devices"});
  ASSERT_EQ(builtIn.code, 0) << builtIn.err;
  EXPECT_EQ(countLines(builtIn.out), 38);
  EXPECT_TRUE(startsWith(builtIn.out, "0\tSONY - TV\tbuiltin\ttv\t26\t9\n")) << builtIn.out;
  const CliRun made = cli({"new-device", "Hi-fi", "--skin", "vcr"});
  ASSERT_EQ(made.code, 0) << made.err;
  EXPECT_EQ(made.out, "38\n");
  const std::string all = cli({"devices"}).out;
  EXPECT_EQ(countLines(all), 39);
  EXPECT_NE(all.find("\n38\tHi-fi\tuser\tvcr\t23\t10\n"), std::string::npos) << all;
  EXPECT_EQ(cli({"selection"}).out, "38\n");
}

TEST_F(Cli, ThirtyUserDevicesAreTheLimit) {
  for (int i = 1; i <= 30; ++i) ASSERT_EQ(cli({"new-device", "D" + std::to_string(i), "--skin", "tv"}).code, 0) << i;
  const CliRun full = cli({"new-device", "One more", "--skin", "tv"});
  EXPECT_EQ(full.code, 1);
  EXPECT_NE(full.err.find("User devices limit!!!"), std::string::npos);
  EXPECT_EQ(countLines(cli({"devices"}).out), 68);
}

TEST_F(Cli, SettingsAreCreatedWithTheConfiguredPortAndPrintedInFileOrder) {
  std::ofstream(file("ports.conf")) << "Port=3\n";
  const CliRun r = cli({"settings"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "port=2\nspaceAdjust=0\nsavedSelectionPos=0\nsoundOn=1\nmarkAdjust=0\n");
  EXPECT_TRUE(std::filesystem::exists(file("remotes.set")));
}

TEST_F(Cli, SelectionIsReplacedInTheOrderGivenOrNotAtAll) {
  EXPECT_EQ(cli({"selection"}).out, "");
  ASSERT_EQ(cli({"selection", "5", "0", "37"}).code, 0);
  EXPECT_EQ(cli({"selection"}).out, "5\n0\n37\n");
  for (const char* bad : {"38", "-1", "x"}) {
    EXPECT_EQ(cli({"selection", "1", bad}).code, 2) << bad;
    EXPECT_EQ(cli({"selection"}).out, "5\n0\n37\n") << bad;
  }
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "vcr"}).code, 0);
  ASSERT_EQ(cli({"selection", "38"}).code, 0);
  EXPECT_EQ(cli({"selection"}).out, "38\n");
}

// The monitor reads frames as `pulses` lists them, each ended by a blank
// line, so its lines are exact for light of known timing.
TEST_F(Cli, MonitorNamesTheCommandsWhoseLightItSees) {
  std::ofstream log(file("ir-sim.log"));
  log << cli({"pulses", "SONY - TV", "1"}).out << "\n" << cli({"pulses", "JVC - TV", "13"}).out << "\n";
  log << "pulse 100\nspace 100\npulse 100\n\n";
  log.close();
  const CliRun r = cli({"monitor"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "13 pulses, 19.1 ms, code 810: SONY - TV command 1\n"
            "18 pulses, 35.5 ms, code C084: JVC - TV command 0, JVC - TV command 13\n"
            "2 pulses, 0.3 ms, unknown\n");
}

// A send lights the simulated port in real time, where a busy machine may
// stretch a space past recognition: each frame must show its number of
// pulses and, unless stretched, the command sent, never another.
TEST_F(Cli, SendLightsOneFramePerTapAndRepeatsWhileHeld) {
  ASSERT_EQ(cli({"send", "SONY - TV", "1"}).code, 0);
  ASSERT_EQ(cli({"send", "JVC - TV", "13"}).code, 0);
  // A repetition every 48.5 ms: a quarter of a second holds several even
  // when the worker thread starts late.
  ASSERT_EQ(cli({"send", "0", "1", "--hold", "250"}).code, 0);
  const std::vector<std::string> lines = linesOf(cli({"monitor"}).out);
  ASSERT_GE(lines.size(), 4u);
  const std::regex sony(R"(13 pulses, \d+\.\d ms, (code 810: SONY - TV command 1|unknown))");
  const std::regex jvc(R"(18 pulses, \d+\.\d ms, (code C084: JVC - TV command 0, JVC - TV command 13|unknown))");
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(std::regex_match(lines[i], i == 1 ? jvc : sony)) << lines[i];
  }
}

TEST_F(Cli, LabelsAreCutTo13) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).code, 0);
  ASSERT_EQ(cli({"label", "Hi-fi", "2", "Input selection long"}).code, 0);
  auto world = std::make_unique<testing::UserWorld>();
  StderrMessages messages;
  loadUserDevices(world->catalogue, world->buffers, testing::disk(), file("remotes.usr"), messages);
  ASSERT_EQ(world->catalogue.userCount, 1);
  EXPECT_EQ(std::u16string(world->catalogue.userDevices[0].labelTable[2]), u"Input selecti");
}

TEST_F(Cli, LearningFromAPulseFileIsRepeatable) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).code, 0);
  std::ofstream(file("toshiba.pulses")) << cli({"pulses", "TOSHIBA - TV", "0"}).out;
  const std::vector<std::string> learn{"learn", "Hi-fi", "3", "--from-pulses", file("toshiba.pulses"), "--gap", "60"};
  const CliRun first = cli(learn);
  ASSERT_EQ(first.code, 0) << first.err;
  EXPECT_TRUE(std::regex_match(first.out, std::regex("[1-9][0-9]* pairs learned into command 3 of 'Hi-fi'\n")))
      << first.out;
  const std::string learned = cli({"frame", "Hi-fi", "3"}).out;
  EXPECT_TRUE(startsWith(learned, "stamp\nburst 39\n")) << learned;  // the 8.8 ms header
  ASSERT_EQ(cli(learn).out, first.out);
  EXPECT_EQ(cli({"frame", "Hi-fi", "3"}).out, learned);
}

}  // namespace
}  // namespace zapvane::cli
