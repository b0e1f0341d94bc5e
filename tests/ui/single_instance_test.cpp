// The socket that brings a folder's window to the front: in a folder only the
// user can open, one per data folder, and answered by the window that listens.
#include "ui/single_instance.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "support/test_folder.h"

namespace zapvane::testing {
namespace {

TEST(SingleInstance, OneSocketPerDataFolderInAPrivateFolder) {
  const TestFolder runtime;
  ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  ::chmod(runtime.path().c_str(), 0700);
  const std::string mine = SingleInstance::socketPathFor("/home/a/zv").toStdString();
  EXPECT_EQ(mine.rfind(runtime.path().string() + "/zapvane-", 0), 0u) << mine;
  EXPECT_EQ(SingleInstance::socketPathFor("/home/a/zv/").toStdString(), mine) << "the same folder";
  EXPECT_NE(SingleInstance::socketPathFor("/home/a/other").toStdString(), mine);
  ::chmod(runtime.path().c_str(), 0755);  // others may enter: not used
  const std::string fallback = SingleInstance::socketPathFor("/home/a/zv").toStdString();
  EXPECT_EQ(fallback.rfind("/tmp/zapvane-" + std::to_string(::getuid()) + "/zapvane-", 0), 0u) << fallback;
  struct stat info {};
  ASSERT_EQ(::stat(("/tmp/zapvane-" + std::to_string(::getuid())).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(SingleInstance, TheListeningWindowIsRaisedAndNoOneAnswersAfterIt) {
  int argc = 1;
  char name[] = "single_instance_test";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  const TestFolder runtime;
  ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  ::chmod(runtime.path().c_str(), 0700);
  const QString path = SingleInstance::socketPathFor(runtime / "data");
  int raised = 0;
  {
    SingleInstance window(path);
    ASSERT_TRUE(window.listen([&raised] { ++raised; }));
    SingleInstance second(path);
    EXPECT_TRUE(second.askRunningInstanceToRaise());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (raised == 0 && std::chrono::steady_clock::now() < deadline) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(raised, 1);
  }
  EXPECT_FALSE(SingleInstance(path).askRunningInstanceToRaise()) << "the window is gone";
  EXPECT_FALSE(SingleInstance(QString()).askRunningInstanceToRaise());
}

}  // namespace
}  // namespace zapvane::testing
