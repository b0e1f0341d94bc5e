// Following the simulator's log as it grows, is cut and is replaced.
#include "cli/sim_log_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zapvane::cli {
namespace {

class SimLogReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = ::testing::TempDir() + "zapvane-sim-log-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove(path);
  }
  void TearDown() override { std::filesystem::remove(path); }

  void append(const std::string& text) { std::ofstream(path, std::ios::app) << text; }

  std::string path;
};

TEST_F(SimLogReaderTest, ReturnsEachFrameOnceWhenItsBlankLineArrives) {
  SimLogReader reader(path);
  EXPECT_TRUE(reader.readNewFrames().empty());  // no log yet
  append("pulse 2344\nspace 756\npulse 703\n\npulse 1");
  auto frames = reader.readNewFrames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], (std::vector<int64_t>{2344, 756, 703}));
  EXPECT_TRUE(reader.readNewFrames().empty());
  append("172\n\n");
  frames = reader.readNewFrames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], (std::vector<int64_t>{1172}));
}

TEST_F(SimLogReaderTest, StartsOverWhenTheLogIsReplacedOrShrinks) {
  SimLogReader reader(path);
  append("pulse 1\n\npulse 2\n\npulse 3\n\n");
  EXPECT_EQ(reader.readNewFrames().size(), 3u);
  // The log drops its older half by writing a new file over the old one.
  const std::string newer = path + ".new";
  std::ofstream(newer) << "pulse 3\n\n";
  std::filesystem::rename(newer, path);
  auto frames = reader.readNewFrames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], (std::vector<int64_t>{3}));
  append("pulse 4\n\npulse 5\n\n");
  EXPECT_EQ(reader.readNewFrames().size(), 2u);
  std::ofstream(path, std::ios::trunc) << "pulse 6\n\n";  // cut in place, shorter than what was read
  frames = reader.readNewFrames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], (std::vector<int64_t>{6}));
}

}  // namespace
}  // namespace zapvane::cli
