// The simulated port. Sending: light on the counter's timeline and its mode2
// log, which never grows without bound. Receiving: a remote's signal as the
// UART hands it to the driver, "n@t" for n characters t ns after the start.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <regex>

#include "platform/ports_config.h"
#include "platform/pulse_file.h"
#include "platform/sim_log.h"
#include "platform/sim_transmitter.h"
#include "support/test_folder.h"

namespace zapvane::testing {

// A write lasts its bytes' time from its start, to the first tick after its
// last byte (1/3 s rounded up on a 3 Hz counter); a frame goes to the log as
// mode2 microseconds with a blank line after it, an empty one not at all. Past
// its limit the log drops its older half, at a frame boundary.
TEST(SimTransmitter, LightLastsItsBytesTimeAndIsLoggedFrameByFrameWithinALimit) {
  const TestFolder dir;
  const std::string log = dir / "ir-sim.log", frame = "pulse 2344\nspace 756\npulse 703\n\n";
  VirtualCounter clock, slow(3);
  SimTransmitter sim(clock, log), slowSim(slow, "");
  const uint8_t zeros[10] = {};
  clock.advanceNanoseconds(1000);
  EXPECT_TRUE(sim.write(zeros, 10) == 10 && sim.write(zeros, 0) == 0);
  EXPECT_EQ(clock.elapsedNanoseconds(), 1000 + 10 * kByteNanoseconds);
  clock.advanceNanoseconds(756'250), sim.write(zeros, 3);
  EXPECT_TRUE(sim.pendingBursts().size() == 2 && sim.pendingBursts()[0].startTick == 1000);
  sim.frameDone(), sim.frameDone();
  const std::string logged = readText(log);
  EXPECT_TRUE(std::regex_match(logged.substr(0, logged.find('\n') + 1), std::regex(R"(# 20\d\d-\d\d-\d\dT[0-9:]{8}\.\d{3}Z\n)")))
      << logged;
  EXPECT_EQ(logged.substr(logged.find('\n') + 1), frame);
  EXPECT_EQ(utcTimeStamp(std::chrono::system_clock::time_point(std::chrono::milliseconds(1'765'154'501'007))),
            "2025-12-08T00:41:41.007Z");
  slowSim.write(zeros, 3);
  EXPECT_EQ(slow.elapsedNanoseconds(), 333'333'334);
  EXPECT_EQ(mode2Durations({{0, 10}, {3100, 3}}, 1'000'000, 4352), (std::vector<int64_t>{2344, 756, 703, 549}));
  EXPECT_EQ(mode2Durations({{0, 10}, {2000, 3}}, 1'000'000, 0), (std::vector<int64_t>{2344, 0, 703}));  // overlap
  std::string full;
  while (std::ssize(full) + std::ssize(frame) <= kSimLogLimitBytes) full += frame;
  std::ofstream(log) << full;
  ASSERT_TRUE(appendToSimLog(log, "pulse 1\n\n").isOk());
  const std::string kept = readText(log);
  EXPECT_TRUE(std::ssize(kept) > kSimLogLimitBytes / 4 && std::ssize(kept) <= kSimLogLimitBytes / 2) << kept.size();
  EXPECT_TRUE(kept.starts_with(frame) && kept.ends_with(frame + "pulse 1\n\n"));
  EXPECT_EQ(readText(log + ".lock"), std::to_string(full.size() + 9 - kept.size()));  // what the trim dropped
  EXPECT_EQ(appendToSimLog(dir / "missing/ir-sim.log", "").code(), Status::Code::notFound);
}

// A trim writes its temporary under a fresh exclusive name: a link left where
// a fixed name used to be is never followed, and nothing but the log and its
// lock stays behind. Readers find their place after trims; a log replaced or
// cut by someone else is read from its start.
TEST(SimLog, TrimsNeverFollowALinkAndReadersKeepTheirPlace) {
  const TestFolder dir;
  const std::string log = dir / "ir-sim.log", victim = dir / "victim";
  std::ofstream(victim) << "precious";
  std::filesystem::create_symlink(victim, log + ".tmp");
  SimLogPosition reader;
  std::string text, seen;
  bool atEnd = false;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(appendToSimLog(log, "pulse " + std::to_string(1000 + i) + "\n\n", kMinSimLogLimitBytes).isOk());
    if (i % 150 == 0) {
      ASSERT_TRUE(readSimLog(log, reader, 1 << 20, text, atEnd).isOk());
      seen += text;
    }
  }
  ASSERT_TRUE(readSimLog(log, reader, 100, text, atEnd).isOk() && !atEnd);
  seen += text;
  ASSERT_TRUE(readSimLog(log, reader, 1 << 20, text, atEnd).isOk() && atEnd);
  seen += text;
  std::string expected;
  for (int i = 0; i < 1000; ++i) expected += "pulse " + std::to_string(1000 + i) + "\n\n";
  EXPECT_TRUE(seen == expected && reader.at == expected.size()) << seen.size();
  EXPECT_LE(std::filesystem::file_size(log), size_t{kMinSimLogLimitBytes});
  EXPECT_EQ(readText(victim), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);  // log, lock, link, victim
  std::ofstream(log + ".new") << "pulse 5\n\n";
  std::filesystem::rename(log + ".new", log);
  EXPECT_TRUE(readSimLog(log, reader, 1 << 20, text, atEnd).isOk() && text == "pulse 5\n\n");
}

// A pulse file alternates pulses and spaces, two of a kind in a row being one.
// A character starts with the light and every 78.125 us after it while 8.7 us
// of light remain; the FIFO hands over 8 at once, fewer 4 characters after the
// last. Polled every 125 ns, on which every moment of these signals falls.
TEST(SimRemote, PulsesBecomeCharactersAsTheFifoFillsOrTimesOut) {
  RemoteSignal signal;  // a leading space and lines of no kind are skipped
  ASSERT_TRUE(parseRemoteSignal("# mode2\nspace 9\npulse 560\nspace 0\nspace 100\npulse 560\ntimeout 9\n", signal).isOk());
  EXPECT_EQ(signal.durations, (std::vector<int64_t>{560, 100, 560}));
  EXPECT_TRUE(parseRemoteSignal("pulse 4\npulse 5\n", signal).isOk()) << "two short pulses in a row are one of 9 us";
  // Refused: what no receiver would see, or a frame no remote sends.
  for (const auto& [text, why] : std::initializer_list<std::pair<const char*, const char*>>{
           {"pulse 560\nspace -5\n", "line 2: not a duration: -5"},
           {"space 5\n", "no pulse found"},
           {"pulse 8\nspace 100\npulse 1\n", "no pulse is long enough to be seen (9 us or more)"},
           {"pulse 9223372036854775807\n", "line 1: the frame lasts longer than 10 s"},
           {"pulse 6000000\nspace 4000000\npulse 1\n", "line 3: the frame lasts longer than 10 s"}}) {
    const Status parsed = parseRemoteSignal(text, signal);
    EXPECT_TRUE(parsed.code() == Status::Code::invalidArgument && parsed.message() == why) << parsed.message();
  }
  const auto heard = [](std::vector<int64_t> durations) {
    SimReceiver receiver({std::move(durations)}, 0);
    std::string timeline;
    for (int64_t ns = 0; ns <= 3'000'000; ns += 125) {
      if (const size_t n = receiver.read(ns, 100)) timeline += std::to_string(n) + "@" + std::to_string(ns) + " ";
    }
    return timeline;
  };
  EXPECT_EQ(heard({560}) + heard({300}) + heard({87}) + heard({86}), "8@625000 4@625000 2@468750 1@390625 ");
  EXPECT_EQ(heard({700}), "8@625000 1@1015625 ");
  EXPECT_EQ(heard({560, 1690, 560}), "8@625000 8@2875000 ");
  // A held remote sends the frame again after its pause; a read takes no more than asked.
  SimReceiver held({{560}, 40'000}, 0);
  EXPECT_EQ(held.read(40'560'000 + 624'999, 3) + held.read(40'560'000 + 624'999, 100), 8u);
  EXPECT_EQ(held.read(40'560'000 + 625'000, 3), 3u);
}

// COM1 is the simulator unless ports.conf says otherwise, COM2..COM4 nothing
// unless named; a remote it names is pressed 0.1 s after the port opens.
TEST(SimRemote, PortsConfOpensTheSimulatorWithItsRemote) {
  const TestFolder dir;
  std::ofstream(dir / "remote.pulses") << "pulse 560\nspace 1690\npulse 560\n";
  VirtualCounter clock;
  ConfiguredPortOpener opener(parsePortsConfig("COM4=sim\nSimRemote=" + (dir / "remote.pulses")), clock, "");
  std::unique_ptr<SerialDevice> port, other;
  for (const char* name : {"COM2:", "COM5:", "COM0:", "COM1", "LPT1:"}) {
    EXPECT_TRUE(opener.open(name, other).message() == "no device in ports.conf" && !other) << name;
  }
  ASSERT_TRUE(opener.open("COM1:", port).isOk());
  uint8_t buffer[100];
  clock.advanceNanoseconds(100'624'999);
  EXPECT_TRUE(opener.open("COM4:", other).isOk() && other && port->read(buffer, sizeof buffer) == 0);
  clock.advanceNanoseconds(1);
  EXPECT_EQ(port->read(buffer, sizeof buffer), 8);
}

// Only a regular file of at most 1 MiB is read: a FIFO nobody writes to,
// /dev/zero or a folder is refused at once, each with its path and reason.
TEST(PulseFile, ReadsOnlyARegularFileOfAtMostOneMebibyte) {
  const TestFolder dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::ofstream(dir / "big") << "pulse 560\n" << std::string(kMaxPulseFileBytes, '#');
  std::ofstream(dir / "exact") << "pulse 560\n" << std::string(kMaxPulseFileBytes - 10, '#');
  RemoteSignal signal;
  EXPECT_TRUE(readPulseFile(dir / "exact", signal).isOk() && signal.durations == std::vector<int64_t>{560});
  for (const auto& [path, why] : std::initializer_list<std::pair<std::string, std::string>>{
           {dir / "fifo", ": not a regular file"}, {"/dev/zero", ": not a regular file"},
           {dir.path().string(), ": not a regular file"}, {dir / "big", ": longer than 1 MiB"}}) {
    const Status read = readPulseFile(path, signal);
    EXPECT_TRUE(read.code() == Status::Code::invalidArgument && read.message() == path + why) << read.message();
  }
  EXPECT_TRUE(readPulseFile(dir / "none", signal).isNotFound());
}

}  // namespace zapvane::testing
