// zapvane-cli's contract: output formats and exit codes, driven through
// runCli as a shell would call the program.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/remote_core.h"
#include "storage/user_devices_file.h"

namespace zapvane::cli {
namespace {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun runIn(const std::string& dataDir, std::vector<std::string> args) {
  std::ostringstream out;
  std::ostringstream err;
  args.insert(args.begin(), {"--data-dir", dataDir});
  const int code = runCli(args, out, err);
  return {code, out.str(), err.str()};
}

CliRun run(std::vector<std::string> args) { return runIn(::testing::TempDir() + "zapvane-cli-test", std::move(args)); }

// A data directory of its own per test, removed afterwards.
class CliDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ::testing::TempDir() + "zapvane-cli-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  CliRun cli(std::vector<std::string> args) { return runIn(dir, std::move(args)); }

  // Saves one learned VCR-skin device: command 0 is two pairs long.
  void saveUserDevice() {
    std::filesystem::create_directories(dir);
    RemoteCore core;
    startCatalogue(core);
    ASSERT_TRUE(allocateUserDeviceBuffers(core.buffers, 0));
    DeviceProfile& device = core.catalogue.userDevices[0];
    const std::u16string name = u"Hi-fi";
    std::copy(name.begin(), name.end(), device.name.begin());
    device.skinType = kVcrSkin;
    attachUserDeviceBuffers(device, core.buffers, 0);
    LearnedSignal& signal = *core.buffers.signalRows[0][0];
    signal.words = {};
    const int32_t words[] = {2400, 600, 1200, 25000, -1, -1};
    std::copy(std::begin(words), std::end(words), signal.words.begin());
    core.catalogue.userCount = 1;
    ASSERT_TRUE(saveUserDevices(core.catalogue, dir + "/remotes.usr").isOk());
  }

  std::string dir;
};

std::string repeat(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

int countLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(CliFrame, ListsTheSonyShapedFrameStepByStep) {
  const CliRun r = run({"frame", "SONY - TV", "0"});  // code 0x010
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string zero = "stamp\nburst 3\nwait 1252\n";
  EXPECT_EQ(r.out, "stamp\nburst 10\nwait 3100\n" + repeat(zero, 7) + "stamp\nburst 5\nwait 1720\n" + repeat(zero, 4));
}

TEST(CliFrame, ListsTrailerAndBothTailsOfTheNecShapedFrame) {
  const CliRun r = run({"frame", "18", "0"});  // TOSHIBA - TV: 0x02FD807F
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(startsWith(r.out, "stamp\nburst 38\nwait 13900\nstamp\n")) << r.out;
  const std::string tail =
      "stamp\nwait 0\nburst 2\nwait 468\nstamp\nwait 39200\nstamp\nburst 38\nwait 7600\n"
      "stamp\nwait 2200\nstamp\nburst 2\nwait 468\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  EXPECT_EQ(countLines(r.out), 3 + 32 * 3 + 14);
}

TEST(CliFrame, AdjustmentsChangeBytesButNotWaitTargets) {
  const CliRun r = run({"frame", "0", "1", "--mark-adjust", "5", "--space-adjust=-5"});
  ASSERT_EQ(r.code, 0) << r.err;
  // 15 header bytes at 250 us each, 8 one-bit bytes, 5 zero-bit bytes.
  EXPECT_TRUE(startsWith(r.out, "stamp\nburst 15\nwait 4350\nstamp\nburst 8\nwait 2422\n")) << r.out;
}

TEST(CliFrame, ExitCodesTellUsageFromImpossibleRequests) {
  const struct {
    std::vector<std::string> args;
    int code;
  } cases[] = {
      {{"frame", "SONY Tape A", "0"}, 1},        // absent command
      {{"frame", "0", "26"}, 1},                 // past the last command
      {{"frame", "0", "-1"}, 1},
      {{"frame", "38", "0"}, 2},                 // no user devices: unknown device
      {{"frame", "sony - tv", "0"}, 2},          // names match exactly
      {{"frame", "0", "x"}, 2},
      {{"frame", "0", "1", "--space-adjust", "6"}, 2},
      {{"frame", "0", "1", "--mark-adjust", "1.5"}, 2},
      {{"frame", "0"}, 2},
      {{"frame", "0", "1", "--speed", "3"}, 2},
      {{"pulses", "AIWA - audio", "1"}, 1},
      {{"teleport"}, 2},
      {{}, 2},
  };
  for (const auto& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.code, c.code) << ::testing::PrintToString(c.args);
    EXPECT_TRUE(r.out.empty()) << ::testing::PrintToString(c.args);
    EXPECT_EQ(countLines(r.err), c.args.empty() ? countLines(r.err) : 1) << r.err;
  }
}

TEST(CliPulses, ShowsTheLightOfOneFrameOnTheSimulatedPort) {
  const CliRun r = run({"pulses", "SONY - TV", "0"});
  ASSERT_EQ(r.code, 0) << r.err;
  // 10 bytes of 234.375 us, then the rest of the 3100 us header target.
  EXPECT_TRUE(startsWith(r.out, "pulse 2344\nspace 756\npulse 703\nspace 549\n")) << r.out;
  EXPECT_EQ(countLines(r.out), 2 * 13);
  // At -5 the header target (3100 x 0.75 = 2325 us) ends before its own
  // 2344 us of light: the first bit follows at once.
  const CliRun shorter = run({"pulses", "SONY - TV", "0", "--space-adjust", "-5"});
  EXPECT_TRUE(startsWith(shorter.out, "pulse 2344\nspace 0\npulse 703\nspace 236\n")) << shorter.out;
}

TEST(CliPulses, FrameWithoutHeaderStartsWithTheFirstBit) {
  const CliRun r = run({"pulses", "MITSUBISHI - TV", "0"});  // 0xE200: first bit 1
  ASSERT_EQ(r.code, 0) << r.err;
  // The 2418 us target truncates to 2417999 ticks of the 1 GHz counter.
  EXPECT_TRUE(startsWith(r.out, "pulse 469\nspace 1949\npulse 469\nspace 1949\npulse 469\nspace 1949\n")) << r.out;
}

TEST(CliDevices, ListsTheCatalogueInOrder) {
  const CliRun r = run({"devices"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(countLines(r.out), 38);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "0\tSONY - TV\tbuiltin\ttv\t26\t9\n");
  EXPECT_NE(r.out.find("\n37\tAIWA - audio\tbuiltin\tvcr\t16\t3\n"), std::string::npos);
  EXPECT_EQ(run({"devices", "extra"}).code, 2);
}

TEST(CliHelp, EveryCommandHasHelp) {
  for (const char* command : {"devices", "frame", "pulses"}) {
    const CliRun r = run({command, "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find(std::string("zapvane-cli [--data-dir DIR] ") + command), std::string::npos);
  }
  const CliRun r = run({"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("pulses <device> <command>"), std::string::npos);
}

TEST_F(CliDataTest, UserDevicesFollowTheBuiltInOnes) {
  saveUserDevice();
  const CliRun r = cli({"devices"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(countLines(r.out), 39);
  EXPECT_NE(r.out.find("\n38\tHi-fi\tuser\tvcr\t23\t10\n"), std::string::npos) << r.out;
  EXPECT_EQ(cli({"frame", "Hi-fi", "0"}).out, cli({"frame", "38", "0"}).out);
}

TEST_F(CliDataTest, LearnedFramesReplayTheRecordingWithTheDevicesOwnAdjustments) {
  saveUserDevice();
  EXPECT_EQ(cli({"frame", "38", "0"}).out, "stamp\nburst 10\nwait 2940\nstamp\nburst 5\nwait 26170\n");
  EXPECT_EQ(cli({"frame", "38", "0", "--mark-adjust", "5"}).out,
            "stamp\nburst 15\nwait 4110\nstamp\nburst 8\nwait 26872\n");
  EXPECT_EQ(cli({"frame", "38", "1"}).code, 1);  // not learned yet
  EXPECT_EQ(cli({"frame", "38", "23"}).code, 1);
}

TEST_F(CliDataTest, SettingsAreCreatedWithTheConfiguredPortAndPrintedInFileOrder) {
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/ports.conf") << "Port=3\n";
  const CliRun r = cli({"settings"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "port=2\nspaceAdjust=0\nsavedSelectionPos=0\nsoundOn=1\nmarkAdjust=0\n");
  EXPECT_EQ(std::filesystem::file_size(dir + "/remotes.set"), 20u);
}

TEST_F(CliDataTest, SelectionIsReplacedInTheOrderGivenOrNotAtAll) {
  EXPECT_EQ(cli({"selection"}).out, "");
  ASSERT_EQ(cli({"selection", "5", "0", "37"}).code, 0);
  EXPECT_EQ(cli({"selection"}).out, "5\n0\n37\n");
  EXPECT_EQ(std::filesystem::file_size(dir + "/remotes.sel"), 16u);
  for (const char* bad : {"38", "-1", "x"}) {
    EXPECT_EQ(cli({"selection", "1", bad}).code, 2) << bad;
    EXPECT_EQ(cli({"selection"}).out, "5\n0\n37\n") << bad;
  }
  saveUserDevice();
  ASSERT_EQ(cli({"selection", "38"}).code, 0);
  EXPECT_EQ(cli({"selection"}).out, "38\n");
}

// One monitor line, "<n> pulses, <ms> ms, <what>": the length of a frame sent
// in real time moves with scheduling by some tens of microseconds, so it is
// read as a number and checked against the nominal length with a margin.
struct MonitorLine {
  int pulses = -1;
  double milliseconds = -1;
  std::string what;
};

MonitorLine parseMonitorLine(const std::string& line) {
  static const std::regex shape(R"(^(\d+) pulses, (\d+\.\d) ms, (.+)$)");
  std::smatch m;
  if (!std::regex_match(line, m, shape)) return {};
  return {std::stoi(m[1]), std::stod(m[2]), m[3]};
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(CliDataTest, SentFramesAreRecognisedByTheMonitor) {
  ASSERT_EQ(cli({"send", "SONY - TV", "1"}).code, 0);
  ASSERT_EQ(cli({"send", "JVC - TV", "13"}).code, 0);
  const CliRun r = cli({"monitor"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 2u) << r.out;

  const MonitorLine sony = parseMonitorLine(lines[0]);
  EXPECT_EQ(sony.pulses, 13) << lines[0];
  EXPECT_NEAR(sony.milliseconds, 18.5, 0.5) << lines[0];
  EXPECT_EQ(sony.what, "code 810: SONY - TV command 1");

  const MonitorLine jvc = parseMonitorLine(lines[1]);
  EXPECT_EQ(jvc.pulses, 18) << lines[1];
  EXPECT_NEAR(jvc.milliseconds, 35.5, 0.5) << lines[1];
  EXPECT_EQ(jvc.what, "code C084: JVC - TV command 0, JVC - TV command 13");
}

TEST_F(CliDataTest, HeldSendRepeatsAndUnknownLightIsSaidSo) {
  // A repetition every 48.5 ms: a quarter of a second holds several even when
  // the worker thread starts late on a busy machine.
  ASSERT_EQ(cli({"send", "0", "1", "--hold", "250"}).code, 0);
  std::ofstream(dir + "/ir-sim.log", std::ios::app) << "pulse 100\nspace 100\npulse 100\n\n";
  const CliRun r = cli({"monitor"});
  EXPECT_GE(countLines(r.out), 3);
  const std::string last = "\n2 pulses, 0.3 ms, unknown\n";
  EXPECT_TRUE(r.out.size() > last.size() && r.out.substr(r.out.size() - last.size()) == last) << r.out;
}

TEST_F(CliDataTest, SendFailuresAndBadArguments) {
  const CliRun noPort = cli({"send", "0", "1", "--port", "2"});
  EXPECT_EQ(noPort.code, 1);
  EXPECT_NE(noPort.err.find("Unable to open COM2:"), std::string::npos) << noPort.err;
  EXPECT_FALSE(std::filesystem::exists(dir + "/ir-sim.log"));
  EXPECT_EQ(cli({"send", "1", "0"}).code, 1);  // SONY Tape A has no command 0
  EXPECT_EQ(cli({"send", "0", "1", "--hold", "-5"}).code, 2);
  EXPECT_EQ(cli({"send", "0", "1", "--port", "0"}).code, 2);
  EXPECT_EQ(cli({"monitor", "--tail"}).code, 2);
  EXPECT_EQ(cli({"monitor"}).code, 0);  // nothing sent yet
}

TEST_F(CliDataTest, NewDevicesJoinTheCatalogueAndTheSelection) {
  const CliRun made = cli({"new-device", "Hi-fi", "--skin", "vcr"});
  ASSERT_EQ(made.code, 0) << made.err;
  EXPECT_EQ(made.out, "38\n");
  EXPECT_NE(cli({"devices"}).out.find("\n38\tHi-fi\tuser\tvcr\t23\t10\n"), std::string::npos);
  EXPECT_EQ(cli({"selection"}).out, "38\n");
  EXPECT_EQ(std::filesystem::file_size(dir + "/remotes.usr"), 24u + 22028u);
  const CliRun empty = cli({"new-device", "", "--skin", "tv"});
  EXPECT_EQ(empty.code, 2);
  EXPECT_NE(empty.err.find("Enter device name!!!"), std::string::npos);
  EXPECT_EQ(cli({"new-device", "TV", "--skin", "sat"}).code, 2);
  EXPECT_EQ(cli({"new-device", "TV"}).code, 2);
}

TEST_F(CliDataTest, ThirtyUserDevicesAreTheLimit) {
  for (int i = 1; i <= 30; ++i) ASSERT_EQ(cli({"new-device", "D" + std::to_string(i), "--skin", "tv"}).code, 0) << i;
  const CliRun full = cli({"new-device", "One more", "--skin", "tv"});
  EXPECT_EQ(full.code, 1);
  EXPECT_NE(full.err.find("User devices limit!!!"), std::string::npos);
  EXPECT_EQ(countLines(cli({"devices"}).out), 68);
}

TEST_F(CliDataTest, LabelsAreCutTo13AndOnlyUserDevicesTakeThem) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).code, 0);
  ASSERT_EQ(cli({"label", "Hi-fi", "2", "Input selection long"}).code, 0);
  RemoteCore core;
  startCatalogue(core);
  StderrMessages messages;
  loadUserDevices(core.catalogue, core.buffers, dir + "/remotes.usr", messages);
  ASSERT_EQ(core.catalogue.userCount, 1);
  EXPECT_EQ(std::u16string(core.catalogue.userDevices[0].labelTable[2]), u"Input selecti");
  EXPECT_EQ(cli({"label", "0", "2", "x"}).code, 2);
  EXPECT_EQ(cli({"label", "38", "10", "x"}).code, 2);
}

TEST_F(CliDataTest, LearningFromAPulseFileIsRepeatable) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).code, 0);
  const std::string pulses = dir + "/toshiba.pulses";
  std::ofstream(pulses) << cli({"pulses", "TOSHIBA - TV", "0"}).out;
  const CliRun first = cli({"learn", "Hi-fi", "3", "--from-pulses", pulses, "--gap", "60"});
  ASSERT_EQ(first.code, 0) << first.err;
  const std::string learned = cli({"frame", "Hi-fi", "3"}).out;
  EXPECT_TRUE(startsWith(learned, "stamp\nburst 39\n")) << learned;  // the 8.8 ms header
  ASSERT_EQ(cli({"learn", "Hi-fi", "3", "--from-pulses", pulses, "--gap", "60"}).out, first.out);
  EXPECT_EQ(cli({"frame", "Hi-fi", "3"}).out, learned);
  EXPECT_EQ(cli({"learn", "SONY - TV", "3", "--from-pulses", pulses}).code, 2);
  EXPECT_EQ(cli({"learn", "Hi-fi", "27", "--from-pulses", pulses}).code, 1);
  EXPECT_EQ(cli({"learn", "Hi-fi", "3", "--gap", "5"}).code, 2);
  std::ofstream(dir + "/empty.pulses") << "# nothing\n";
  EXPECT_EQ(cli({"learn", "Hi-fi", "3", "--from-pulses", dir + "/empty.pulses"}).code, 2);
}

}  // namespace
}  // namespace zapvane::cli
