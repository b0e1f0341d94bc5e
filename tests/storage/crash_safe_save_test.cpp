// Saves that cannot finish: a directory that refuses writes, a full disk, a
// process killed in the middle. The previous file must stay whole, and a
// failure must be reported rather than swallowed. Each hostile condition is
// set up in a forked child, so the test process itself keeps its rights.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "storage/file_io.h"
#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"

namespace zapvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// One read, not a byte at a time: the kill test reads a 660 KB file per round.
Bytes fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  Bytes bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0).read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct UserWorld {
  DeviceCatalogue catalogue;
  UserDeviceBuffers buffers;
};

// `count` user devices whose every stored word depends on seed, so that two
// files of different seeds differ throughout and a mix of them shows.
std::unique_ptr<UserWorld> devicesFilledWith(int32_t seed, int count = 30) {
  auto w = std::make_unique<UserWorld>();
  resetUserDevices(w->catalogue);
  for (int i = 0; i < count; ++i) {
    EXPECT_TRUE(allocateUserDeviceBuffers(w->buffers, i));
    DeviceProfile& d = w->catalogue.userDevices[static_cast<size_t>(i)];
    d.name.fill(static_cast<char16_t>(u'A' + seed));
    d.skinType = seed % 2;
    attachUserDeviceBuffers(d, w->buffers, i);
    for (LearnedSignal* s : w->buffers.signalRows[static_cast<size_t>(i)]) s->words.fill(seed * 100 + i);
  }
  w->catalogue.userCount = count;
  return w;
}

// Runs body in a forked child and returns its exit code (or 128 + signal).
int inChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The three saves the program makes, each of something other than what is
// on disk; bit k of the result is set when save k claimed success.
int saveEverythingElse(const std::string& dir) {
  IrSettings settings;
  settings.port = 3;
  SelectionList selection;
  selection.selectionCount = 5;  // 24 bytes: past the full disk's limit too
  auto users = devicesFilledWith(7);
  int claimedSuccess = 0;
  for (const Status& s : {saveSettings(settings, dir + "/remotes.set"), saveSelection(selection, dir + "/remotes.sel"),
                          saveUserDevices(users->catalogue, dir + "/remotes.usr")}) {
    claimedSuccess = claimedSuccess << 1 | (s.isOk() || s.message().empty() ? 1 : 0);
  }
  return claimedSuccess;
}

class CrashSafeSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "zapvane-save-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    ::chmod(dir.c_str(), 0755);
  }
  void TearDown() override {
    ::chmod(dir.c_str(), 0755);
    fs::remove_all(dir);
  }

  // Old files of every kind, to be kept through failing saves.
  void writeOldFiles() {
    IrSettings settings;
    settings.soundOn = 1;
    SelectionList selection;
    selection.selectionCount = 2;
    selection.entries[1] = 9;
    auto users = devicesFilledWith(1, 2);
    ASSERT_TRUE(saveSettings(settings, (dir / "remotes.set").string()).isOk());
    ASSERT_TRUE(saveSelection(selection, (dir / "remotes.sel").string()).isOk());
    ASSERT_TRUE(saveUserDevices(users->catalogue, (dir / "remotes.usr").string()).isOk());
    for (const char* name : {"remotes.set", "remotes.sel", "remotes.usr"}) old.push_back(fileBytes(dir / name));
  }

  void expectOldFilesWhole() {
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"remotes.sel", "remotes.set", "remotes.usr"}))
        << "no temporary file may be left behind";
    EXPECT_EQ(fileBytes(dir / "remotes.set"), old[0]);
    EXPECT_EQ(fileBytes(dir / "remotes.sel"), old[1]);
    EXPECT_EQ(fileBytes(dir / "remotes.usr"), old[2]);
  }

  fs::path dir;
  std::vector<Bytes> old;
};

TEST_F(CrashSafeSaveTest, DirectoryThatRefusesWritesKeepsTheOldFiles) {
  writeOldFiles();
  // Root writes through permission bits, so a root run saves as nobody.
  const bool root = ::geteuid() == 0;
  if (!root) ::chmod(dir.c_str(), 0555);
  const int claimed = inChild([&] {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 100;
    return saveEverythingElse(dir.string());
  });
  ::chmod(dir.c_str(), 0755);
  ASSERT_NE(claimed, 100) << "could not drop root in the child";
  EXPECT_EQ(claimed, 0) << "settings/selection/user devices claimed success (bits 2/1/0): " << claimed;
  expectOldFilesWhole();
}

TEST_F(CrashSafeSaveTest, FullDiskKeepsTheOldFiles) {
  writeOldFiles();
  const int claimed = inChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead of killing
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 10;  // below even the 20-byte settings file
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 100;
    return saveEverythingElse(dir.string());
  });
  ASSERT_NE(claimed, 100) << "could not limit the file size in the child";
  EXPECT_EQ(claimed, 0) << "settings/selection/user devices claimed success (bits 2/1/0): " << claimed;
  expectOldFilesWhole();
}

// A child saves two different 30-device files in turn until it is killed at
// a random moment; whatever the moment, the file on disk is one of the two.
TEST_F(CrashSafeSaveTest, SaveKilledAtAnyMomentLeavesOneWholeFile) {
  constexpr int kRounds = 200;
  const std::string path = (dir / "remotes.usr").string();
  auto first = devicesFilledWith(1);
  auto second = devicesFilledWith(2);
  const Bytes firstBytes = userDevicesBytes(first->catalogue);
  const Bytes secondBytes = userDevicesBytes(second->catalogue);

  // Kill points spread over about two saves, however fast this disk is.
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(saveUserDevices(first->catalogue, path).isOk());
  const auto oneSave =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
  const std::chrono::microseconds::rep longest =
      std::clamp<std::chrono::microseconds::rep>(2 * oneSave.count(), 500, 50000);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::chrono::microseconds::rep> delay(0, longest);
  int endedFirst = 0;
  int tempFilesLeft = 0;
  for (int round = 0; round < kRounds; ++round) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (;;) {
        saveUserDevices(second->catalogue, path);
        saveUserDevices(first->catalogue, path);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    const Bytes now = fileBytes(path);
    ASSERT_TRUE(now == firstBytes || now == secondBytes)
        << "round " << round << ": a file of " << now.size() << " bytes that is neither save";
    endedFirst += now == firstBytes ? 1 : 0;
    for (const std::string& name : namesIn(dir)) {
      if (name == "remotes.usr") continue;
      ++tempFilesLeft;
      fs::remove(dir / name);
    }
  }
  RecordProperty("kills", kRounds);
  RecordProperty("endedWithSecond", kRounds - endedFirst);
  std::cout << kRounds << " kills within " << longest << " us of the start: " << endedFirst << " left the first file, "
            << kRounds - endedFirst << " the second; " << tempFilesLeft << " temporary files left behind\n";
}

TEST_F(CrashSafeSaveTest, StaleTemporariesOfKilledSavesAreSweptAndFreshOnesKept) {
  const fs::path path = dir / "remotes.usr";
  for (const char* name : {"remotes.usr.Ab12Cd", "remotes.usr.Xy34Zw", "remotes.usr.bad.10", "remotes.sel.Ab12Cd",
                           "remotes.usr.toolongname"}) {
    std::ofstream(dir / name) << "x";
  }
  // Two minutes old: long dead. The other stays young, as a save in progress.
  const timespec twoMinutesAgo[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
  for (const char* name : {"remotes.usr.Ab12Cd", "remotes.usr.bad.10", "remotes.sel.Ab12Cd", "remotes.usr.toolongname"}) {
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), twoMinutesAgo, 0), 0);
  }
  EXPECT_EQ(removeStaleTemporaries(path.string(), 60), 1);
  EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"remotes.sel.Ab12Cd", "remotes.usr.Xy34Zw", "remotes.usr.bad.10",
                                                    "remotes.usr.toolongname"}));
}

TEST_F(CrashSafeSaveTest, SavedFilesAreOrdinaryUserFiles) {
  const mode_t before = ::umask(022);
  const Status saved = saveSettings(IrSettings{}, (dir / "remotes.set").string());
  ::umask(before);
  ASSERT_TRUE(saved.isOk()) << saved.message();
  struct stat info {};
  ASSERT_EQ(::stat((dir / "remotes.set").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(CrashSafeSaveTest, KeepAsideNeverReplacesAnEarlierCopy) {
  const fs::path path = dir / "remotes.usr";
  std::ofstream(dir / "remotes.usr.bad") << "first";
  std::ofstream(dir / "remotes.usr.bad.2") << "second";
  std::ofstream(path) << "third";
  Status status = Status::ok();
  EXPECT_EQ(keepAside(path.string(), status), path.string() + ".bad.3");
  EXPECT_TRUE(status.isOk()) << status.message();
  EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"remotes.usr.bad", "remotes.usr.bad.2", "remotes.usr.bad.3"}));
  EXPECT_EQ(fileBytes(dir / "remotes.usr.bad"), Bytes({'f', 'i', 'r', 's', 't'}));
  EXPECT_EQ(fileBytes(dir / "remotes.usr.bad.3"), Bytes({'t', 'h', 'i', 'r', 'd'}));

  EXPECT_EQ(keepAside(path.string(), status), "");
  EXPECT_FALSE(status.isOk());
}

}  // namespace
}  // namespace zapvane
