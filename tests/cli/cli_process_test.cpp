// The built zapvane-cli as separate processes, where the fault is about
// processes: a FIFO or a device named as a file, a wait for light, senders
// that share the simulator's log with a reader following it. Every run is
// bounded by timeout(1), so a regression fails instead of hanging.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/test_folder.h"

namespace zapvane::testing {
namespace {

class CliProcess : public ::testing::Test {
 protected:
  // Runs `arguments` (shell words) on the test's data folder, at most
  // `seconds`; stdout and stderr land in out and err.
  int run(const std::string& arguments, int seconds = 10) {
    const std::string command = "timeout -s KILL " + std::to_string(seconds) + " " + tool() + " " + arguments +
                                " >" + (dir / "out") + " 2>" + (dir / "err");
    const int status = std::system(command.c_str());
    out = readText(dir / "out"), err = readText(dir / "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string tool() const { return std::string(ZAPVANE_CLI) + " --data-dir " + dir.path().string(); }
  static int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

  TestFolder dir;
  std::string out, err;
};

// Refused at once with one line, never read, waited on or followed.
TEST_F(CliProcess, FifosAndDevicesAreRefusedAsPulseFilesAndAsTheSimulatedRemote) {
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(run("new-device Hi-fi --skin tv"), 0);
  for (const std::string& file : {dir / "fifo", std::string("/dev/zero")}) {
    EXPECT_EQ(run("learn Hi-fi 0 --from-pulses " + file), 2);
    EXPECT_EQ(err, "zapvane-cli learn: " + file + ": not a regular file\n");
    std::ofstream(dir / "ports.conf") << "SimRemote=" << file << "  # the remote\n";
    EXPECT_EQ(run("send 0 1"), 0) << "sending needs no remote";
    EXPECT_EQ(err, "zapvane-cli: SimRemote: " + file + ": not a regular file\n");
  }
}

// Nothing shines at the simulated port: learn gives up after its --timeout,
// having slept, not spun, while it waited.
TEST_F(CliProcess, LearnWaitsForTheFirstLightUntilItsTimeoutWithoutSpinning) {
  ASSERT_EQ(run("new-device Hi-fi --skin tv"), 0);
  rusage before{}, after{};
  ::getrusage(RUSAGE_CHILDREN, &before);
  EXPECT_EQ(run("learn Hi-fi 0 --timeout 2"), 1);
  ::getrusage(RUSAGE_CHILDREN, &after);
  EXPECT_TRUE(lines(err) == 2 && err.ends_with("zapvane-cli learn: no light reached the port within 2 s\n")) << err;
  const auto seconds = [](const rusage& r) {
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
  };
  EXPECT_LT(seconds(after) - seconds(before), 1.0) << "a 2 s wait busy-waited";
}

// Two send loops on a small log trimmed often, and a reader started first:
// the reader prints every frame once, and every frame the log keeps is whole.
// A tap whose frame a loaded machine held up sends it again (see cli_test's
// SendLights...), so a few frames more than taps are allowed; reading a kept
// half again would repeat a dozen at every trim.
TEST_F(CliProcess, ConcurrentSendersLoseAndRepeatNoFrameForAFollowingMonitor) {
  constexpr int kSends = 30;
  std::ofstream(dir / "ports.conf") << "SimLogLimit=16384\n";
  const std::string follow = "timeout 60 " + tool() + " monitor --follow </dev/null 2>/dev/null >" + (dir / "followed") +
                             " & echo $! >" + (dir / "monitor.pid");
  ASSERT_EQ(std::system(follow.c_str()), 0);
  struct StopMonitor {  // on every way out, so the reader never outlives the test
    std::string pidFile;
    ~StopMonitor() { std::system(("kill $(cat " + pidFile + ") 2>/dev/null").c_str()); }
  } stop{dir / "monitor.pid"};
  ASSERT_EQ(run("send 0 1"), 0);
  for (int i = 0; i < 100 && lines(readText(dir / "followed")) == 0; ++i) run("settings");  // the reader is up
  ASSERT_EQ(lines(readText(dir / "followed")), 1);
  const std::string loop = "for i in $(seq " + std::to_string(kSends) + "); do " + tool();
  const std::string both = "timeout -s KILL 50 sh -c '(" + loop + " send 0 1; done) & (" + loop +
                           " send \"JVC - TV\" 13; done); wait'";
  ASSERT_EQ(std::system(both.c_str()), 0);
  for (int i = 0; i < 100 && lines(readText(dir / "followed")) < 1 + 2 * kSends; ++i) run("settings");
  run("settings", 1);  // one more poll of the reader's, to see nothing comes twice
  std::system("sleep 0.5");
  const std::string followed = readText(dir / "followed");
  const auto count = [&](const std::string& text, const std::string& verdict) {  // lines of a time stamp, then it
    int n = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) n += std::regex_match(line, std::regex(R"(\S+Z )" + verdict + ".*"));
    return n;
  };
  constexpr int kSecondFrames = 12;  // taps a loaded machine disturbed; a re-read half log repeats far more
  const int sony = count(followed, "13 pulses,"), jvc = count(followed, "18 pulses,");
  EXPECT_TRUE(sony >= 1 + kSends && jvc >= kSends && sony + jvc <= 1 + 2 * kSends + kSecondFrames)
      << sony << " SONY and " << jvc << " JVC frames:\n" << followed;
  EXPECT_EQ(sony + jvc, lines(followed)) << followed;
  ASSERT_EQ(run("monitor"), 0);
  EXPECT_GT(lines(out), 3);
  EXPECT_EQ(count(out, "13 pulses,") + count(out, "18 pulses,"), lines(out)) << "a frame ran into another:\n" << out;
  EXPECT_LE(std::filesystem::file_size(dir / "ir-sim.log"), 16384u);
}

}  // namespace
}  // namespace zapvane::testing
