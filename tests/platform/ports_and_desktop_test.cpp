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

// A kernel IR device with its carrier and duty cycle; a value out of range
// or a device without a path is refused with a warning, its default kept.
TEST(PortsConfig, KernelDevicesWithTheirCarrierAndDutyCycle) {
  const PortsConfig c = parsePortsConfig(
      "COM2=lirc:/dev/lirc0 # the USB one\nCOM2.Carrier=36000\nCOM2.DutyCycle=33\nCOM3=lirc:\n"
      "COM4=lirc:/dev/lirc1\nCOM4.Carrier=9999\nCOM4.DutyCycle=100\nCOM1.Carrier=500000\nCOM1.DutyCycle=1\nCOM5.Carrier=1\n");
  EXPECT_EQ(c.backendFor(2) + "|" + lircPath(c.backendFor(2)) + "|" + c.backendFor(3) + "|" + lircPath(c.backendFor(4)),
            "lirc:/dev/lirc0|/dev/lirc0||/dev/lirc1");
  EXPECT_EQ(std::tuple(c.lirc[1].carrierHz, *c.lirc[1].dutyCyclePercent, c.lirc[3].carrierHz, c.lirc[3].dutyCyclePercent.has_value()),
            std::tuple(36000u, 33u, kDefaultCarrierHz, false));
  EXPECT_EQ(std::tuple(c.lirc[0].carrierHz, *c.lirc[0].dutyCyclePercent), std::tuple(500000u, 1u));
  ASSERT_EQ(c.warnings.size(), 4u);
  EXPECT_EQ(c.warnings[0], "line 4: COM3=lirc: needs a device path");
  EXPECT_EQ(c.warnings[1], "line 6: COM4.Carrier is not a number of Hz from 10000 to 500000");
  EXPECT_EQ(c.warnings[2], "line 7: COM4.DutyCycle is not a percentage from 1 to 99");
  EXPECT_EQ(c.warnings[3], "line 10: unknown key COM5.Carrier");
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
