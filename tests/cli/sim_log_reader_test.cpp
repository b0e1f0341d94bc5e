// Following the simulator's log as it grows, is cut and is replaced.
#include "cli/sim_log_reader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/test_folder.h"

namespace zapvane::cli {
namespace {

using Frames = std::vector<std::vector<int64_t>>;

class SimLogReaderTest : public ::testing::Test {
 protected:
  void append(const std::string& text) { std::ofstream(path, std::ios::app) << text; }

  testing::TestFolder dir;
  std::string path = dir / "ir-sim.log";
  SimLogReader reader{path};
};

TEST_F(SimLogReaderTest, ReturnsEachFrameOnceWhenItsBlankLineArrives) {
  EXPECT_TRUE(reader.readNewFrames().empty());  // no log yet
  append("pulse 2344\nspace 756\npulse 703\n\npulse 1");
  EXPECT_EQ(reader.readNewFrames(), (Frames{{2344, 756, 703}}));
  EXPECT_TRUE(reader.readNewFrames().empty());
  append("172\n\n");
  EXPECT_EQ(reader.readNewFrames(), (Frames{{1172}}));
}

TEST_F(SimLogReaderTest, StartsOverWhenTheLogIsReplacedOrShrinks) {
  append("pulse 1\n\npulse 2\n\npulse 3\n\n");
  EXPECT_EQ(reader.readNewFrames().size(), 3u);
  // The log drops its older half by writing a new file over the old one,
  // here one longer than what was read.
  std::ofstream(path + ".new") << "pulse 3\n\npulse 40\n\npulse 50\n\npulse 60\n\n";
  std::filesystem::rename(path + ".new", path);
  EXPECT_EQ(reader.readNewFrames(), (Frames{{3}, {40}, {50}, {60}}));
  append("pulse 4\n\npulse 5\n\n");
  EXPECT_EQ(reader.readNewFrames(), (Frames{{4}, {5}}));
  std::ofstream(path, std::ios::trunc) << "pulse 6\n\n";  // cut in place, shorter than what was read
  EXPECT_EQ(reader.readNewFrames(), (Frames{{6}}));
}

}  // namespace
}  // namespace zapvane::cli
