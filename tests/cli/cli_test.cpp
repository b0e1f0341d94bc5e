// zapvane-cli through runCli as a shell calls it: the sessions of tests/data/cli
// (format in its README.txt) pin each subcommand's output, exit code and error
// line; what hangs on the real clock or a capture, and the log reader, are here.
#include "cli/cli.h"
#include "cli/json_output.h"
#include "cli/port_listing.h"
#include "cli/sim_log_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

#include "catalogue/reference_data.h"
#include "cli_in_folder.h"
#include "platform/virtual_platform.h"
#include "storage/user_devices_file.h"
#include "support/test_folder.h"
#include "support/user_world.h"

namespace zapvane::testing {
namespace {

int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

std::vector<std::string> argsOf(std::string line, const std::string& dir) {
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"@dir", dir}, {"@data", ZAPVANE_TEST_DATA}}) {
    for (size_t at; (at = line.find(from)) != std::string::npos;) line.replace(at, from.size(), to);
  }
  std::vector<std::string> args;
  bool quoted = false, open = false;
  for (const char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ' ' && !quoted) open = false;
    if (c == ' ' && !quoted) continue;
    if (!open) args.emplace_back(), open = true;
    if (c != '"') args.back() += c;
  }
  return args;
}

class Cli : public CliInFolder {};

class CliSession : public Cli, public ::testing::WithParamInterface<const char*> {};

TEST_P(CliSession, EachCommandGivesItsOutputExitCodeAndErrorLine) {
  std::ifstream session(std::string(ZAPVANE_TEST_DATA) + "/cli/" + GetParam());
  ASSERT_TRUE(session.is_open());
  std::string command, out, has, err;
  int exit = 0;
  const auto run = [&] {
    if (command.empty()) return;
    SCOPED_TRACE(command);
    const CliRun r = cli(argsOf(command, dir.path().string()));
    EXPECT_EQ(r.code, exit);
    if (has.empty()) { EXPECT_EQ(r.out, out); }
    EXPECT_NE(r.out.find(has), std::string::npos) << r.out;
    EXPECT_EQ(lines(r.err), exit == 0 && err.empty() ? 0 : 1) << r.err;
    EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
    command.clear(), out.clear(), has.clear(), err.clear(), exit = 0;
  };
  for (std::string line; std::getline(session, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto tagged = [&line](const std::string& tag) { return line.rfind(tag, 0) == 0; };
    if (tagged("$ ") || tagged("+ ")) run();
    if (tagged("$ ")) command = line.substr(2);
    else if (tagged("? exit ")) exit = std::stoi(line.substr(7));
    else if (tagged("? err ")) err = line.substr(6);
    else if (tagged("? out has ")) has = line.substr(10);
    else if (!tagged("+ ")) out += line + '\n';
    else std::filesystem::copy_file(std::string(ZAPVANE_TEST_DATA) + "/" + split(line, ' ').at(1),
                                    dir / split(line, ' ').at(2), std::filesystem::copy_options::overwrite_existing);
  }
  run();
}

INSTANTIATE_TEST_SUITE_P(Sessions, CliSession,
                         ::testing::Values("usage.txt", "catalogue.txt", "user_devices.txt", "frames.txt", "monitor.txt",
                                           "json.txt", "codes.txt"));

// Whatever a hand-edited file holds, a name comes out as one valid JSON string.
TEST(JsonOutput, EscapesControlsAndReplacesWhatIsNoUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\"b\\c", "\"a\\\"b\\\\c\""},         {"tab\tnl\n\x7f", "\"tab\\u0009nl\\u000a\\u007f\""},
      {"R\xc3\xa9 \xf0\x9f\x98\x80", "\"R\xc3\xa9 \xf0\x9f\x98\x80\""}, {"\xff\xc0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
      {"\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\""},     {"\xf4\x90\x80\x80x", "\"\\ufffd\\ufffd\\ufffd\\ufffdx\""},
      {"\xe2\x82", "\"\\ufffd\\ufffd\""},
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(cli::jsonString(text), json) << text;
}

// Each frame once its blank line has arrived, with the time of its comment
// line; a log replaced by a new file (it drops its older half so) or cut in
// place is read again from its start; a reader made where another can resume
// starts at the frame that one had not finished.
TEST_F(Cli, LogReaderFollowsTheSimulatorsLogAsItGrowsIsCutAndIsReplaced) {
  using Frames = std::vector<std::vector<int64_t>>;
  const std::string path = dir / "ir-sim.log";
  cli::SimLogReader reader(path);
  std::string times;
  const auto read = [&times](cli::SimLogReader& from) {
    Frames frames;
    for (const cli::LoggedFrame& frame : from.readNewFrames()) frames.push_back(frame.durations), times += frame.sentAt + ";";
    return frames;
  };
  EXPECT_TRUE(read(reader).empty());  // no log yet
  std::ofstream(path, std::ios::app) << "# T1\npulse 2344\nspace 756\npulse 703\n\n# T2\npulse 1";
  EXPECT_EQ(read(reader), (Frames{{2344, 756, 703}}));
  cli::SimLogReader resumed(path, reader.resumePosition());
  std::ofstream(path, std::ios::app) << "172\n\npulse 2\n\n";
  EXPECT_EQ(read(reader), (Frames{{1172}, {2}}));
  EXPECT_EQ(read(resumed), (Frames{{1172}, {2}}));
  EXPECT_EQ(times, "T1;T2;;T2;;");
  EXPECT_TRUE(read(reader).empty());
  std::ofstream(path + ".new") << "pulse 2\n\npulse 4000\n\npulse 5000\n\npulse 6000\n\npulse 7\n\n";  // longer than read
  std::filesystem::rename(path + ".new", path);
  EXPECT_EQ(read(reader), (Frames{{2}, {4000}, {5000}, {6000}, {7}}));
  std::ofstream(path, std::ios::app) << "pulse 4\n\n";
  EXPECT_EQ(read(reader), (Frames{{4}}));
  std::ofstream(path, std::ios::trunc) << "pulse 6\n\n";  // shorter than what was read
  EXPECT_EQ(read(reader), (Frames{{6}}));
}

TEST_F(Cli, NoCommandIsOneLineOfBadUsage) {
  const CliRun r = cli({});
  EXPECT_TRUE(r.code == 2 && r.out.empty() && r.err == "zapvane-cli: no command given (see --help)\n") << r.err;
}

// A line break, an escape sequence or a C1 control would break the listing
// of `devices` and act on the terminal: refused, and nothing saved.
TEST_F(Cli, NamesAndLabelsWithControlCharactersAreRefused) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).code, 0);
  for (const char* bad : {"a\nb", "\x1b[31mred", "tab\there", "del\x7f", "c1\xc2\x9b" "2J"}) {
    const CliRun named = cli({"new-device", bad, "--skin", "tv"}), labelled = cli({"label", "Hi-fi", "1", bad});
    EXPECT_TRUE(named.code == 2 && named.err == "zapvane-cli new-device: device names cannot hold control characters\n")
        << named.err;
    EXPECT_TRUE(labelled.code == 2 && labelled.err == "zapvane-cli label: labels cannot hold control characters\n");
  }
  EXPECT_EQ(cli({"new-device", "Caf\xc3\xa9 \xc2\xa0TV", "--skin", "tv"}).code, 0) << "é and a no-break space are text";
  EXPECT_EQ(lines(cli({"devices"}).out), 40);
}

// A name a hand-edited file brings in is listed, its controls shown as U+FFFD.
TEST_F(Cli, ControlCharactersOfAnEditedFileAreShownAsReplacements) {
  auto world = std::make_unique<UserWorld>();
  world->add(u"Line\nbreak\x1b[2J\x9b", kTvSkin);
  ASSERT_TRUE(saveUserDevices(world->catalogue, disk(), dir / "remotes.usr").isOk());
  const std::string listed = cli({"devices"}).out;
  EXPECT_EQ(lines(listed), 39);
  EXPECT_NE(listed.find("38\tLine\xef\xbf\xbd" "break\xef\xbf\xbd[2J\xef\xbf\xbd\tuser"), std::string::npos) << listed;
}

// A frame the log cannot take is no success: said on one line, exit 1.
TEST_F(Cli, SendFailsWhenTheLogCannotRecordTheFrame) {
  std::filesystem::create_symlink("/dev/full", dir / "ir-sim.log");
  const CliRun r = cli({"send", "0", "1"});
  EXPECT_TRUE(r.code == 1 && r.err == "zapvane-cli send: cannot record the frame in " + (dir / "ir-sim.log") +
                                          ": No space left on device\n") << r.err;
}

// A ports.conf that cannot be read is said once; the defaults go on.
TEST_F(Cli, UnreadablePortsConfIsToldAndTheDefaultsServe) {
  std::filesystem::create_directory(dir / "ports.conf");
  const CliRun r = cli({"send", "0", "1"});
  EXPECT_TRUE(r.code == 0 && lines(r.err) == 1 && r.err.find("ports.conf") != std::string::npos &&
              r.err.ends_with("; using the defaults\n")) << r.err;
}

// A learned device keeps its adjustments to itself: 2400 us are 10 bytes, 15
// at +5, each wait the bytes' 234 us plus the recorded space.
TEST_F(Cli, LearnedFramesReplayTheRecordingWithTheDevicesOwnAdjustments) {
  auto world = std::make_unique<UserWorld>();
  world->add(u"Hi-fi", kTvSkin);
  const int32_t words[] = {2400, 600, 1200, 25000, -1, -1};
  std::copy(std::begin(words), std::end(words), world->signal(0, 0).words.begin());
  ASSERT_TRUE(saveUserDevices(world->catalogue, disk(), dir / "remotes.usr").isOk());
  EXPECT_EQ(cli({"frame", "Hi-fi", "0"}).out, "stamp\nburst 10\nwait 2940\nstamp\nburst 5\nwait 26170\n");
  EXPECT_EQ(cli({"frame", "38", "0", "--mark-adjust", "5"}).out, "stamp\nburst 15\nwait 4110\nstamp\nburst 8\nwait 26872\n");
}

TEST_F(Cli, LabelsAreCutToThirteenCharacters) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).code, 0);
  ASSERT_EQ(cli({"label", "Hi-fi", "2", "Input selection long"}).code, 0);
  auto world = std::make_unique<UserWorld>();
  StderrMessages messages;
  loadUserDevices(world->catalogue, world->buffers, disk(), dir / "remotes.usr", messages);
  EXPECT_EQ(std::u16string(world->catalogue.userDevices[0].labelTable[2]), u"Input selecti");
}

TEST_F(Cli, LearningFromAPulseFileIsRepeatable) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).code, 0);
  std::ofstream(dir / "toshiba.pulses") << cli({"pulses", "TOSHIBA - TV", "0"}).out;
  const std::vector<std::string> learn{"learn", "Hi-fi", "3", "--from-pulses", dir / "toshiba.pulses", "--gap", "60"};
  const CliRun first = cli(learn);
  EXPECT_TRUE(std::regex_match(first.out, std::regex("[1-9][0-9]* pairs learned into command 3 of 'Hi-fi'\n"))) << first.out;
  const std::string learned = cli({"frame", "Hi-fi", "3"}).out;
  EXPECT_EQ(learned.rfind("stamp\nburst 39\n", 0), 0u) << learned;  // the 8.8 ms header
  EXPECT_EQ(cli(learn).out, first.out);
  EXPECT_EQ(cli({"frame", "Hi-fi", "3"}).out, learned);
}

// The simulated port's receiver hears SimRemote=, a held remote: each frame
// as mode2 lines less the space after its last pulse, monitor's line, a blank.
TEST_F(Cli, ReceiveHearsTheSimulatedRemoteFrameByFrame) {
  std::string light = cli({"pulses", "SONY - TV", "1"}).out;
  std::ofstream(dir / "sony.pulses") << light;
  std::ofstream(dir / "ports.conf") << "SimRemote=" << (dir / "sony.pulses") << "\nSimRemoteGap=5\n";
  light.erase(light.rfind("space "));
  const std::string signal = light + "13 pulses, 18.5 ms, code 810: SONY - TV command 1\n\n";
  const CliRun r = cli({"receive", "--count", "2"});
  EXPECT_EQ(std::tuple(r.code, r.out, r.err), std::tuple(0, signal + signal, ""));
  std::string durations;
  for (const std::string& line : split(light, '\n')) durations += (durations.empty() ? "" : ",") + line.substr(6);
  const std::string json = cli({"receive", "--count", "1", "--json"}).out;
  EXPECT_TRUE(std::regex_match(json, std::regex(R"(\{"time":"20[0-9:T.-]+Z","pulses":13,"ms":18.5,"code":"810",)"
                                                R"("commands":\[\{"device":"SONY - TV","index":0,"command":1,"name":"2"\}\],)"
                                                R"("durations":\[)" + durations + "\\]\\}\n")))
      << json;
}

// Each port with its kernel device's features, then the devices found.
TEST_F(Cli, PortsListKernelDevicesWithTheirFeatures) {
  VirtualPlatform platform;
  platform.loopback.paths = {"/dev/lirc0", "/dev/lirc1"};
  platform.loopback.features = LIRC_CAN_SEND_PULSE | LIRC_CAN_REC_MODE2;
  const PortsConfig config = parsePortsConfig("COM2=lirc:/dev/lirc1\nCOM3=lirc:/dev/lirc7\nCOM4=/dev/ttyUSB0\n");
  const std::vector<cli::PortListing> ports = cli::listPorts(platform, config);
  EXPECT_EQ(cli::portsText(ports),
            "COM1\tsim\nCOM2\tlirc\t/dev/lirc1\tsend-pulse receive-mode2\n"
            "COM3\tlirc\t/dev/lirc7\tunavailable: /dev/lirc7: No such file or directory\nCOM4\ttty\t/dev/ttyUSB0\n"
            "found\t/dev/lirc0\tsend-pulse receive-mode2\nfound\t/dev/lirc1\tsend-pulse receive-mode2\n");
  const std::string json = cli::portsJson(ports);
  EXPECT_EQ(json.substr(0, 142),
            R"([{"port":"COM1","kind":"sim","path":null,"detail":null},{"port":"COM2","kind":"lirc","path":"/dev/lirc1",)"
            R"("detail":"send-pulse receive-mode2"},)");
  EXPECT_NE(json.find(R"({"port":null,"kind":"lirc","path":"/dev/lirc0","detail":"send-pulse receive-mode2"},)"), std::string::npos);
  EXPECT_EQ(platform.loopback.openCount(), 0);
}

// A send lights the simulated port in real time, where a busy machine may
// stretch a space past recognition (and the tap then sends its frame again)
// or start the worker late: each tap shows at least one frame, in order, with
// the time it was sent, each frame its number of pulses and, unless
// stretched, the command sent, never another. (Repetition is timed on a
// virtual clock.) A monitor --since-last shows only what the last one did not.
TEST_F(Cli, SendLightsAtLeastOneFramePerTapAndOnlyTheCommandSent) {
  ASSERT_EQ(cli({"send", "SONY - TV", "1"}).code, 0);
  ASSERT_EQ(cli({"send", "JVC - TV", "13"}).code, 0);
  ASSERT_EQ(cli({"send", "0", "1", "--hold", "250"}).code, 0);
  const Row monitor = split(cli({"monitor"}).out, '\n');
  ASSERT_GE(monitor.size(), 3u);
  const std::string sent = R"(20\d\d-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z )";
  const std::regex sony(sent + R"(13 pulses, \d+\.\d ms, (code 810: SONY - TV command 1|unknown))");
  const std::regex jvc(sent + R"(18 pulses, \d+\.\d ms, (code C084: JVC - TV command 0, JVC - TV command 13|unknown))");
  std::string taps;
  for (const std::string& line : monitor) taps += std::regex_match(line, sony) ? 's' : std::regex_match(line, jvc) ? 'j' : '?';
  EXPECT_TRUE(std::regex_match(taps, std::regex("s+j+s+"))) << taps << "\n" << cli({"monitor"}).out;
  EXPECT_EQ(cli({"monitor", "--since-last"}).out, "");
  ASSERT_EQ(cli({"send", "JVC - TV", "13"}).code, 0);
  const Row since = split(cli({"monitor", "--since-last"}).out, '\n');
  EXPECT_TRUE(!since.empty() && std::all_of(since.begin(), since.end(), [&](const auto& l) { return std::regex_match(l, jvc); }));
}

}  // namespace
}  // namespace zapvane::testing
