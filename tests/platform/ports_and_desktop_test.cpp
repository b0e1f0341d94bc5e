// What the program finds around it: ports.conf, the data folder it is told or
// finds, the idle time-outs auto adjust raises and gives back, and the beep.
#include <gtest/gtest.h>

#include "platform/data_dir.h"
#include "platform/idle_timeouts.h"
#include "platform/memory_file_system.h"
#include "platform/ports_config.h"
#include "support/test_folder.h"

namespace zapvane::testing {

// Without the file or a line, COM1 is the simulator and no port is named;
// past its first 64 KiB the file is not read.
TEST(PortsConfig, ReadsPortAndBackendsAndSkipsWhatItCannotUse) {
  const PortsConfig good = parsePortsConfig("# on the second port\n\n  Port = 2 \r\nCOM1=/dev/ttyS0\nCOM4 = sim\n");
  const PortsConfig bad = parsePortsConfig("Port=two\nCOM5=sim\njunk\nSimRemoteGap=-1\nCOM2=/dev/ttyUSB0\n");
  EXPECT_TRUE(good.port == 2 && good.warnings.empty() && !bad.port && !bad.simRemoteGapMs && bad.warnings.size() == 4);
  EXPECT_EQ(good.backendFor(1) + "|" + good.backendFor(2) + "|" + good.backendFor(4), "/dev/ttyS0||sim");
  EXPECT_EQ(bad.backendFor(1) + "|" + bad.backendFor(2) + "|" + bad.backendFor(3) + "|" + bad.backendFor(5), "sim|/dev/ttyUSB0||");
  MemoryFileSystem disk;
  EXPECT_FALSE(loadPortsConfig(disk, "/data/ports.conf").port.has_value());
  const std::string huge = "Port=3\n#" + std::string(kMaxPortsConfigBytes, '.') + "\nPort=4\n";
  disk.put("/data/ports.conf", Bytes(huge.begin(), huge.end()));
  const PortsConfig cut = loadPortsConfig(disk, "/data/ports.conf");
  EXPECT_TRUE(cut.port == 3 && cut.warnings.size() == 1);
}

// --data-dir DIR or --data-dir=DIR, else $ZAPVANE_DATA_DIR, else
// $XDG_DATA_HOME/zapvane, else ~/.local/share/zapvane; empty counts as unset.
TEST(DataDir, OptionThenEnvironmentThenXdgThenHome) {
  ::setenv("HOME", "/home/u", 1), ::setenv("XDG_DATA_HOME", "", 1), ::setenv("ZAPVANE_DATA_DIR", "", 1);
  std::string chosen = resolveDataDir(std::nullopt);
  ::setenv("XDG_DATA_HOME", "/xdg", 1), chosen += " " + resolveDataDir(std::nullopt);
  ::setenv("ZAPVANE_DATA_DIR", "/env", 1), chosen += " " + resolveDataDir(std::string()) + " " + resolveDataDir("/o");
  EXPECT_EQ(chosen, "/home/u/.local/share/zapvane /xdg/zapvane /env /o");
}

TEST(IdleTimeouts, RaiseEngagesTheInhibitorAndRestoreGivesBackBothValues) {
  IdleTimeouts idle;
  std::string seen;
  idle.inhibit = [&](bool on) { seen += std::string(on ? "on " : "off ") + std::to_string(idle.batterySeconds()) + " "; };
  idle.setInForce(60, 300), idle.saveIdleTimeouts(), idle.raiseIdleTimeouts(), idle.restoreIdleTimeouts();
  EXPECT_EQ(seen + std::to_string(idle.externalSeconds()), "on 600 off 60 300");
}

// The WAV the sound player expects, audible, and still what its generator makes.
TEST(BeepResource, IsMonoEightBitAt11025HzWith1961AudibleSamples) {
  const Bytes wav = readBytes(ZAPVANE_BEEP_WAV);
  ASSERT_EQ(wav.size(), 44u + 1961u + 1u);  // a pad byte keeps the data chunk even
  EXPECT_EQ(Bytes(wav.begin(), wav.begin() + 44), layoutFile(ZAPVANE_TEST_DATA "/platform/beep_header.txt"));
  EXPECT_GT(*std::max_element(wav.begin() + 44, wav.end() - 1) - *std::min_element(wav.begin() + 44, wav.end() - 1), 100);
  const TestFolder dir;
  ASSERT_EQ(std::system((std::string(ZAPVANE_MAKE_BEEP) + " " + (dir / "beep.wav")).c_str()), 0);
  EXPECT_EQ(readBytes(dir / "beep.wav"), wav);
}

}  // namespace zapvane::testing
