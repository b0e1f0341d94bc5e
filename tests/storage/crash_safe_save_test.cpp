// Saves that cannot finish (a read-only directory, a full disk, a kill) keep
// the previous file whole and report the failure. Each hostile condition is
// set up in a forked child, so the test process itself keeps its rights.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "storage/file_io.h"
#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"
#include "support/test_folder.h"
#include "support/user_world.h"

namespace zapvane {
namespace {

using namespace testing;  // zapvane::testing

std::vector<std::string> namesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs body in a forked child and returns its exit code (or 128 + signal).
int inChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class CrashSafeSave : public ::testing::Test {
 protected:
  ~CrashSafeSave() override { ::chmod(dir.path().c_str(), 0755); }

  // Old files of every kind on disk, then the three saves of other contents
  // in a child that `hostile` has set up (false: it could not): each save
  // must fail, say so, and leave the old file whole with no temporary beside it.
  void expectFailingSavesKeepTheOldFiles(const std::function<bool()>& hostile) {
    IrSettings settings;
    settings.soundOn = 1;
    SelectionList selection;
    selection.selectionCount = 2;
    ASSERT_TRUE(saveSettings(settings, testing::disk(), dir / "remotes.set").isOk());
    ASSERT_TRUE(saveSelection(selection, testing::disk(), dir / "remotes.sel").isOk());
    ASSERT_TRUE(saveUserDevices(seededWorld(1, 2)->catalogue, testing::disk(), dir / "remotes.usr").isOk());
    const std::vector<std::string> names = {"remotes.sel", "remotes.set", "remotes.usr"};
    std::vector<Bytes> old;
    for (const std::string& name : names) old.push_back(readBytes(dir / name));

    // Bit k of the child's exit code is set when save k claimed success.
    const int claimed = inChild([&] {
      if (!hostile()) return 100;
      settings.port = 3;
      selection.selectionCount = 5;  // 24 bytes: past the full disk's limit too
      int bits = 0;
      for (const Status& s : {saveSettings(settings, testing::disk(), dir / "remotes.set"),
                              saveSelection(selection, testing::disk(), dir / "remotes.sel"),
                              saveUserDevices(seededWorld(7)->catalogue, testing::disk(), dir / "remotes.usr")}) {
        bits = bits << 1 | (s.isOk() || s.message().empty() ? 1 : 0);
      }
      return bits;
    });
    ::chmod(dir.path().c_str(), 0755);
    ASSERT_NE(claimed, 100) << "could not set up the child";
    EXPECT_EQ(claimed, 0) << "settings/selection/user devices claimed success (bits 2/1/0)";
    EXPECT_EQ(namesIn(dir.path()), names) << "no temporary file may be left behind";
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(readBytes(dir / names[i]), old[i]) << names[i];
  }

  TestFolder dir;
};

TEST_F(CrashSafeSave, DirectoryThatRefusesWritesKeepsTheOldFiles) {
  // Root writes through permission bits, so a root run saves as nobody.
  expectFailingSavesKeepTheOldFiles([this] {
    return ::chmod(dir.path().c_str(), 0555) == 0 &&
           (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0));
  });
}

TEST_F(CrashSafeSave, FullDiskKeepsTheOldFiles) {
  expectFailingSavesKeepTheOldFiles([] {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead of killing
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 10;  // below even the 20-byte settings file
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  });
}

// A child saves two different 30-device files in turn until it is killed at
// a random moment; whatever the moment, the file on disk is one of the two.
TEST_F(CrashSafeSave, SaveKilledAtAnyMomentLeavesOneWholeFile) {
  const std::string path = dir / "remotes.usr";
  auto first = seededWorld(1);
  auto second = seededWorld(2);
  const Bytes firstBytes = userDevicesBytes(first->catalogue);
  const Bytes secondBytes = userDevicesBytes(second->catalogue);

  // Kill points spread over about two saves, however fast this disk is.
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(saveUserDevices(first->catalogue, testing::disk(), path).isOk());
  const auto oneSave = std::chrono::steady_clock::now() - started;
  const int64_t longest = std::clamp<int64_t>(2 * oneSave / std::chrono::microseconds(1), 500, 50000);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int64_t> delay(0, longest);
  for (int round = 0; round < 200; ++round) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (;;) {
        saveUserDevices(second->catalogue, testing::disk(), path);
        saveUserDevices(first->catalogue, testing::disk(), path);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    const Bytes now = readBytes(path);
    ASSERT_TRUE(now == firstBytes || now == secondBytes) << "round " << round << ": " << now.size() << " bytes";
    // A killed save leaves its temporary; start-up sweeps those, here we do.
    for (const std::string& name : namesIn(dir.path())) {
      if (name != "remotes.usr") std::filesystem::remove(dir / name);
    }
  }
}

TEST_F(CrashSafeSave, StaleTemporariesOfKilledSavesAreSweptAndFreshOnesKept) {
  // Two minutes old is long dead; a young one may be another save in progress.
  const timespec twoMinutesAgo[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
  // A temporary's six random letters may begin with "bad" as well.
  for (const auto& [name, stale] : {std::pair{"remotes.usr.Ab12Cd", true}, {"remotes.usr.Xy34Zw", false},
                                    {"remotes.usr.badQ7z", true}, {"remotes.usr.bad.10", true},
                                    {"remotes.sel.Ab12Cd", true}, {"remotes.usr.toolongname", true}}) {
    std::ofstream(dir / name) << "x";
    ASSERT_EQ(stale ? ::utimensat(AT_FDCWD, (dir / name).c_str(), twoMinutesAgo, 0) : 0, 0);
  }
  EXPECT_EQ(removeStaleTemporaries(testing::disk(), dir / "remotes.usr", 60), 2);
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"remotes.sel.Ab12Cd", "remotes.usr.Xy34Zw",
                                                           "remotes.usr.bad.10", "remotes.usr.toolongname"}));
}

TEST_F(CrashSafeSave, SavedFilesAreOrdinaryUserFiles) {
  const mode_t before = ::umask(022);
  const Status saved = saveSettings(IrSettings{}, testing::disk(), dir / "remotes.set");
  ::umask(before);
  ASSERT_TRUE(saved.isOk()) << saved.message();
  EXPECT_EQ(std::filesystem::status(dir / "remotes.set").permissions(), std::filesystem::perms(0644));
}

TEST_F(CrashSafeSave, KeepAsideNeverReplacesAnEarlierCopy) {
  const std::string path = dir / "remotes.usr";
  std::ofstream(path + ".bad") << "first";
  std::ofstream(path + ".bad.2") << "second";
  std::ofstream(path) << "third";
  std::string aside;
  Status status = keepAside(testing::disk(), path, aside);
  EXPECT_EQ(aside, path + ".bad.3");
  EXPECT_TRUE(status.isOk()) << status.message();
  EXPECT_EQ(namesIn(dir.path()),
            (std::vector<std::string>{"remotes.usr.bad", "remotes.usr.bad.2", "remotes.usr.bad.3"}));
  EXPECT_EQ(readText(path + ".bad") + readText(path + ".bad.3"), "firstthird");

  EXPECT_FALSE(keepAside(testing::disk(), path, aside).isOk());  // nothing left to keep
}

}  // namespace
}  // namespace zapvane
