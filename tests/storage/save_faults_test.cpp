// Saves on a failing disk in memory (full, read-only, a rename refused, a write
// cut short, killed at any step), then on the real disk: the old file or the
// new one, never a short or mixed one, and what a killed save leaves behind is
// swept at the next start-up once surely dead, with nothing of the user's.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <thread>

#include "support/rig.h"
#include "support/test_folder.h"

namespace zapvane::testing {

class SaveFaults : public ::testing::Test {
 protected:
  SaveFaults() { putWordAt(newFiles[2], 24 + 108, -4); }
  // A remote started on the old files, saving new ones as the menus do.
  std::unique_ptr<Rig> savedOverOldFiles(FileFault fault, SaveStep step = SaveStep::createTemporary) {
    auto rig = std::make_unique<Rig>();
    for (size_t i = 0; i < 3; ++i) rig->put(kFiles[i], oldFiles[i]);
    EXPECT_EQ(rig->started().takeLines(), "");
    rig->disk.fault = fault, rig->disk.crashStep = step, rig->disk.freeBytes = 10;
    rig->remote.settings.port = 3;
    rig->select({12, 5, 7});  // 16 bytes: no more fit on the full disk than the other files
    rig->remote.catalogue.userDevices[0].spaceAdjust = -4;
    rig->remote.saveSettingsFile(), rig->remote.saveSelectionFile(), rig->remote.saveUserDevicesFile();
    return rig;
  }
  void expectFiles(const Rig& rig, const std::vector<Bytes>& files) {
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(rig.bytes(kFiles[i]), files[i]) << kFiles[i];
  }
  const char* const kFiles[3] = {"remotes.set", "remotes.sel", "remotes.usr"};
  const Bytes typed = layoutFile(ZAPVANE_TEST_DATA "/storage/two_devices.usr.txt");
  const std::vector<Bytes> oldFiles = {leWords({1, 0, 0, 1, 0}), leWords({2, 5, 7}), typed};
  std::vector<Bytes> newFiles = {leWords({3, 0, 0, 1, 0}), leWords({3, 12, 5, 7}), typed};
};

TEST_F(SaveFaults, EveryFailedSaveKeepsTheOldFileWholeAndSaysSo) {
  for (const FileFault fault : {FileFault::fullDisk, FileFault::readOnly, FileFault::failedRename, FileFault::shortWrite}) {
    const auto rig = savedOverOldFiles(fault);
    expectFiles(*rig, oldFiles);
    EXPECT_EQ(rig->disk.paths().size(), 4u) << "the files and the folder's lock, no temporary";
    const std::string lines = rig->takeLines();
    for (const char* file : kFiles) EXPECT_NE(lines.find(Rig::path(file) + ": "), std::string::npos) << lines;
  }
}

// A minute later the next start reads the old file or (renamed already) the new
// one without a complaint and sweeps the temporaries, ".<file>.zv-<six letters
// or digits>" a minute old: no younger one, which may be another process's
// save, and nothing a user may have named, whatever its shape.
TEST_F(SaveFaults, CrashAtAnyStepLeavesTheOldFileOrTheNewOneAndAStaleTemporary) {
  for (const SaveStep step : {SaveStep::createTemporary, SaveStep::writeTemporary, SaveStep::flushTemporary,
                              SaveStep::renameOverTarget, SaveStep::flushDirectory}) {
    const auto crashed = savedOverOldFiles(FileFault::crash, step);
    const bool renamed = step == SaveStep::flushDirectory;
    EXPECT_EQ(crashed->disk.paths().size(), renamed || step == SaveStep::createTemporary ? 4u : 7u);
    Rig next;
    next.disk = crashed->disk, next.disk.fault = FileFault::none, next.disk.nowSeconds += 61;
    const std::pair<const char*, int64_t> others[] = {{".remotes.sel.zv-Yz12Ab", 59}, {".remotes.usr.zv-Q7zAb1", 61},
        {"remotes.usr.bad.10", 61}, {"remotes.usr.backup", 61}, {"remotes.sel.saved1", 61},
        {".remotes.usr.zv-Ab12C", 61}, {".ports.conf.zv-Ab12Cd", 61}, {"remotes.usr.zv-Ab12Cd", 61}};
    for (const auto& [name, age] : others) next.put(name, {1}), next.disk.age(Rig::path(name), age);
    EXPECT_EQ(next.started().takeLines(), "") << "a damaged file would have been reported";
    expectFiles(next, renamed ? newFiles : oldFiles);
    for (const auto& [name, age] : others) EXPECT_EQ(next.has(name), name != std::string(".remotes.usr.zv-Q7zAb1")) << name;
    EXPECT_EQ(next.disk.paths().size(), 4 + std::size(others) - 1) << "a temporary of the crash is left";
  }
}

// A hard link to the old file keeps the old bytes: the save made a new file
// and renamed it over the name, it did not rewrite the old one in place. A new
// file gets the mode the umask gives; a saved-over one keeps its own. A save
// whose rename fails (a folder holds the name) takes its temporary with it.
TEST(RealDiskSave, RenamesATemporaryOverTheFileAndKeepsItsMode) {
  const TestFolder dir;
  const std::string path = dir / "remotes.set";
  const auto mode = [](const std::string& file) { return std::filesystem::status(file).permissions(); };
  const mode_t before = ::umask(077);
  ASSERT_TRUE(disk().writeFileAtomically(path, {1, 2, 3}).isOk() && ::link(path.c_str(), (dir / "old").c_str()) == 0);
  ::umask(022);
  EXPECT_EQ(mode(path), std::filesystem::perms(0600));
  ASSERT_TRUE(disk().writeFileAtomically(dir / "new", {1}).isOk());
  EXPECT_EQ(mode(dir / "new"), std::filesystem::perms(0644));
  for (const mode_t kept : {mode_t{0600}, mode_t{0640}, mode_t{0664}}) {
    ::chmod(path.c_str(), kept);
    EXPECT_TRUE(disk().writeFileAtomically(path, {4, 5}).isOk());
    EXPECT_EQ(mode(path), std::filesystem::perms(kept));
  }
  ::umask(before);
  EXPECT_TRUE(readBytes(path) == Bytes({4, 5}) && readBytes(dir / "old") == Bytes({1, 2, 3}));
  std::filesystem::create_directories(dir / "taken/x");
  EXPECT_FALSE(disk().writeFileAtomically(dir / "taken", {1}).isOk());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
}

// A data file that is a link (to a folder synchronised elsewhere, say) stays a
// link: the save replaces its target, beside the target, and keeps the
// target's mode; a chain of links is followed to its end, a loop refused.
TEST(RealDiskSave, SavesThroughASymbolicLinkToItsTarget) {
  const TestFolder dir;
  std::filesystem::create_directories(dir / "elsewhere");
  std::filesystem::create_symlink("elsewhere/kept.usr", dir / "middle");
  std::filesystem::create_symlink(dir / "middle", dir / "remotes.usr");
  ASSERT_TRUE(disk().writeFileAtomically(dir / "remotes.usr", {1}).isOk());
  ::chmod((dir / "elsewhere/kept.usr").c_str(), 0600);
  ASSERT_TRUE(disk().writeFileAtomically(dir / "remotes.usr", {2, 3}).isOk());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "remotes.usr") && std::filesystem::is_symlink(dir / "middle"));
  EXPECT_EQ(readBytes(dir / "elsewhere/kept.usr"), Bytes({2, 3}));
  EXPECT_EQ(std::filesystem::status(dir / "elsewhere/kept.usr").permissions(), std::filesystem::perms(0600));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "elsewhere"), {}), 1) << "no temporary left";
  std::filesystem::create_symlink("loop", dir / "loop");
  EXPECT_FALSE(disk().writeFileAtomically(dir / "loop", {1}).isOk());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "loop"));
}

// A child saves two different files of the largest size in turn until it is
// killed at a random moment; whatever the moment, the file is one of the two.
TEST(RealDiskSave, KilledAtAnyMomentLeavesOneWholeFile) {
  using std::chrono::microseconds, std::chrono::steady_clock;
  const TestFolder dir;
  const std::string path = dir / "remotes.usr";
  const Bytes first(660864, 0x11), second(660864, 0x22);
  const auto started = steady_clock::now();  // kill points spread over about two saves, however fast the disk
  ASSERT_TRUE(disk().writeFileAtomically(path, first).isOk());
  const int64_t longest = std::clamp<int64_t>((steady_clock::now() - started) / microseconds(1) * 2, 500, 50000);
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  for (int round = 0; round < 40; ++round) {
    const pid_t pid = ::fork();
    while (pid == 0) disk().writeFileAtomically(path, second), disk().writeFileAtomically(path, first);
    std::this_thread::sleep_for(microseconds(std::uniform_int_distribution<int64_t>(0, longest)(random)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const Bytes now = readBytes(path);
    ASSERT_TRUE(now == first || now == second) << "seed " << seed << ", round " << round << ": " << now.size() << " bytes";
  }
}

}  // namespace zapvane::testing
