// Several programs on one data folder: one writer at a time under the folder's
// lock, readers never held up and never rewriting, and a save that fails is a
// failure. Where the point is processes, the built zapvane-cli runs as
// separate processes from a shell, as scripts run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "catalogue/reference_data.h"
#include "catalogue/text.h"
#include "cli/cli.h"
#include "cli_in_folder.h"
#include "storage/user_devices_file.h"
#include "support/test_folder.h"
#include "support/user_world.h"

namespace zapvane::testing {
namespace {

class DataFolder : public CliInFolder {
 protected:
  // Holds the folder as a window (or a command) of another process would.
  void hold(const std::string& holder) { ASSERT_TRUE(disk().lockFile(dir / ".zapvane.lock", 0, holder, held).isOk()); }
  void releaseAfterAMoment() {
    releaser = std::thread([this] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      held.reset();
    });
  }
  // `script` under sh in the folder with $CLI the built zapvane-cli; its
  // exit status. Bounded: a hang fails the test instead of stalling it.
  int shell(const std::string& script) {
    std::ofstream(dir / "script.sh") << "cd " << dir.path().string() << " || exit 9\nCLI=" << ZAPVANE_CLI << "\n" << script;
    const int status = std::system(("timeout 120 sh " + (dir / "script.sh")).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::vector<std::string> linesOf(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(dir / file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::unique_ptr<UserWorld> savedDevices() {
    auto world = std::make_unique<UserWorld>();
    StderrMessages messages;
    loadUserDevices(world->catalogue, world->buffers, disk(), dir / "remotes.usr", messages);
    return world;
  }
  ~DataFolder() override {
    if (releaser.joinable()) releaser.join();
  }

  std::unique_ptr<FileLock> held;
  std::thread releaser;
};

TEST_F(DataFolder, AWindowsFolderRefusesEveryChangeAtOnceAndServesEveryReader) {
  ASSERT_EQ(cli({"new-device", "Hi-fi", "--skin", "tv"}).out, "38\n");
  hold("window\n");
  for (const std::vector<std::string>& change : {std::vector<std::string>{"new-device", "Amp", "--skin", "vcr"},
                                                {"label", "Hi-fi", "1", "Tape"}, {"selection", "3"},
                                                {"set", "sound", "off"}, {"delete-device", "Hi-fi"},
                                                {"learn", "Hi-fi", "2", "--from-pulses", ZAPVANE_TEST_DATA "/cli/one.pulses"}}) {
    const CliRun refused = cli(change);
    EXPECT_EQ(refused.code, 1) << change[0];
    EXPECT_EQ(refused.out, "") << change[0];
    EXPECT_EQ(refused.err, "zapvane-cli " + change[0] + ": the data folder " + dir.path().string() +
                               " is in use by a Zapvane window (see --wait)\n");
  }
  EXPECT_EQ(cli({"selection"}).out, "38\n");
  EXPECT_EQ(cli({"devices"}).code, 0);
  held.reset();
  EXPECT_EQ(cli({"new-device", "Amp", "--skin", "vcr"}).out, "39\n");
}

TEST_F(DataFolder, WaitForTheWindowOnlyWhenAskedButForAnotherCommandAlways) {
  hold("window\n");
  releaseAfterAMoment();
  EXPECT_EQ(cli({"--wait", "0.05", "new-device", "Amp", "--skin", "vcr"}).code, 1);
  EXPECT_EQ(cli({"--wait=30", "new-device", "Amp", "--skin", "vcr"}).out, "38\n");
  releaser.join();
  hold("command\n");
  releaseAfterAMoment();
  EXPECT_EQ(cli({"new-device", "Tuner", "--skin", "tv"}).out, "39\n") << "commands take turns";
  for (const char* wait : {"-1", "x", "nan", "inf", "86401", "1e999", ""}) {
    const CliRun bad = cli({"--wait", wait, "selection"});
    EXPECT_TRUE(bad.code == 2 && bad.err.find("--wait takes seconds") != std::string::npos) << wait << bad.err;
  }
}

// A folder that cannot be had fails every command at once; a command that only
// reads leaves a damaged file where it is (a writer keeps it aside).
TEST_F(DataFolder, ReadersNeverRewriteAndAFolderThatIsAFileFailsAtOnce) {
  std::ofstream(dir / "file") << "x";
  for (const std::string& folder : {dir / "file", dir / "file/below"}) {
    std::ostringstream out, err;
    EXPECT_EQ(cli::runCli({"--data-dir", folder, "devices"}, out, err), 1) << folder;
    EXPECT_TRUE(out.str().empty() && split(err.str(), '\n').size() == 1) << err.str();
  }
  const Bytes damaged{100, 0, 0, 0, 31, 0, 0, 0};
  std::ofstream(dir / "remotes.usr") << std::string(damaged.begin(), damaged.end());
  EXPECT_EQ(cli({"devices"}).code, 0);
  EXPECT_EQ(cli({"settings"}).code, 0);
  EXPECT_EQ(readBytes(dir / "remotes.usr"), damaged);
  EXPECT_FALSE(std::filesystem::exists(dir / "remotes.usr.bad"));
  EXPECT_EQ(cli({"new-device", "Amp", "--skin", "vcr"}).out, "38\n");
  EXPECT_EQ(readBytes(dir / "remotes.usr.bad"), damaged);
}

// Two scripts creating devices at once, and one creating while another
// labels: every device reported is there under the index reported, no
// index twice, every last label kept.
TEST_F(DataFolder, ConcurrentWritersLoseNothing) {
  ASSERT_EQ(cli({"new-device", "Deck", "--skin", "vcr"}).code, 0);
  ASSERT_EQ(shell("for i in $(seq 14); do $CLI --data-dir . new-device A$i --skin tv; done >a.out 2>&1 &\n"
                  "for i in $(seq 14); do $CLI --data-dir . new-device B$i --skin vcr; done >b.out 2>&1 &\n"
                  "for i in $(seq 20); do $CLI --data-dir . label Deck $((i % 10)) L$i || echo failed; done >l.out 2>&1\n"
                  "wait\n"),
            0);
  std::map<std::string, std::string> nameOfIndex;
  for (const auto& [file, prefix] : {std::pair{"a.out", "A"}, {"b.out", "B"}}) {
    const std::vector<std::string> printed = linesOf(file);
    ASSERT_EQ(printed.size(), 14u) << file;
    for (size_t i = 0; i < printed.size(); ++i) {
      EXPECT_TRUE(nameOfIndex.emplace(printed[i], prefix + std::to_string(i + 1)).second) << "index twice: " << printed[i];
    }
  }
  EXPECT_TRUE(linesOf("l.out").empty());
  for (const std::string& line : split(cli({"devices"}).out, '\n')) {
    const Row fields = split(line, '\t');
    if (std::stoi(fields.at(0)) > 38) {
      EXPECT_EQ(nameOfIndex[fields[0]], fields.at(1)) << line;
    }
  }
  const auto world = savedDevices();
  ASSERT_EQ(world->catalogue.userCount, 29);
  for (int slot = 0; slot < 10; ++slot) {  // the last label script's label i went to slot i % 10
    EXPECT_EQ(std::u16string(world->catalogue.userDevices[0].labelTable[slot]),
              utf8ToUtf16("L" + std::to_string(slot == 0 ? 20 : 10 + slot)));
  }
}

// A save that cannot be written (here the file-size limit, which even root
// cannot pass) is the command's failure: exit 1, one line naming the file and
// the reason, nothing on stdout, and no file changed.
TEST_F(DataFolder, AFailedSaveIsAFailureAndChangesNoFile) {
  ASSERT_EQ(cli({"new-device", "Deck", "--skin", "vcr"}).code, 0);
  const Bytes users = readBytes(dir / "remotes.usr"), selection = readBytes(dir / "remotes.sel");
  EXPECT_EQ(shell("trap '' XFSZ; ulimit -f 1; $CLI --data-dir . new-device Amp --skin tv >out 2>err"), 1);
  EXPECT_TRUE(linesOf("out").empty());
  const std::vector<std::string> err = linesOf("err");
  ASSERT_EQ(err.size(), 1u);
  EXPECT_EQ(err[0], "zapvane-cli new-device: cannot write ./remotes.usr: File too large");
  EXPECT_TRUE(readBytes(dir / "remotes.usr") == users && readBytes(dir / "remotes.sel") == selection);
  const auto leftovers = std::count_if(std::filesystem::directory_iterator(dir.path()), {},
                                       [](const auto& entry) { return entry.path().filename().string()[0] == '.'; });
  EXPECT_EQ(leftovers, 1) << "the folder's lock, no temporary";
}

// Deleting a user device moves the later ones down: the selection drops it and
// follows the others, and the saved position stays on the device it showed.
// When the user devices cannot be saved, both files stay as they were.
TEST_F(DataFolder, DeletedDeviceLeavesADenseListThatTheSelectionFollows) {
  for (const char* name : {"A", "B", "C"}) ASSERT_EQ(cli({"new-device", name, "--skin", "tv"}).code, 0);
  ASSERT_EQ(cli({"learn", "C", "2", "--from-pulses", ZAPVANE_TEST_DATA "/cli/one.pulses"}).code, 0);
  ASSERT_EQ(cli({"label", "C", "0", "Tape"}).code, 0);
  ASSERT_EQ(cli({"selection", "39", "0", "40", "38", "39"}).code, 0);
  ASSERT_EQ(cli({"set", "sound", "off"}).code, 0);
  Bytes settings = readBytes(dir / "remotes.set");
  settings[8] = 2;  // showing entry 2, device C
  std::ofstream(dir / "remotes.set") << std::string(settings.begin(), settings.end());
  const std::string light = cli({"pulses", "40", "2"}).out;
  const Bytes users = readBytes(dir / "remotes.usr"), selection = readBytes(dir / "remotes.sel");
  EXPECT_EQ(shell("trap '' XFSZ; ulimit -f 1; $CLI --data-dir . delete-device B 2>err"), 1);
  EXPECT_TRUE(readBytes(dir / "remotes.usr") == users && readBytes(dir / "remotes.sel") == selection);

  ASSERT_EQ(cli({"delete-device", "B"}).code, 0);
  EXPECT_EQ(cli({"selection"}).out, "0\n39\n38\n");
  EXPECT_NE(cli({"settings"}).out.find("savedSelectionPos=1\nsoundOn=0"), std::string::npos);
  EXPECT_EQ(cli({"pulses", "39", "2"}).out, light);
  const auto world = savedDevices();
  ASSERT_EQ(world->catalogue.userCount, 2);
  EXPECT_EQ(std::u16string(world->catalogue.userDevices[1].name.data()), u"C");
  EXPECT_EQ(std::u16string(world->catalogue.userDevices[1].labelTable[0]), u"Tape");
  for (const char* device : {"SONY - TV", "B", "0"}) EXPECT_EQ(cli({"delete-device", device}).code, 2) << device;
}

TEST_F(DataFolder, SetChangesOneFieldAndRefusesValuesOutsideItsRange) {
  for (const auto& [name, value] : {std::pair{"port", "4"}, {"space-adjust", "-5"}, {"mark-adjust", "5"}, {"sound", "off"}}) {
    ASSERT_EQ(cli({"set", name, value}).code, 0) << name;
  }
  const std::string expected = "port=3\nspaceAdjust=-5\nsavedSelectionPos=0\nsoundOn=0\nmarkAdjust=5\n";
  EXPECT_EQ(cli({"settings"}).out, expected);
  for (const auto& [name, value] : {std::pair{"port", "0"}, {"port", "32768"}, {"space-adjust", "6"}, {"mark-adjust", "-6"},
                                    {"sound", "1"}, {"volume", "3"}}) {
    const CliRun bad = cli({"set", name, value});
    EXPECT_TRUE(bad.code == 2 && split(bad.err, '\n').size() == 1) << name << " " << value << ": " << bad.err;
  }
  EXPECT_EQ(cli({"settings"}).out, expected);
}

}  // namespace
}  // namespace zapvane::testing
