#include "platform/data_dir.h"

#include <cstdlib>
#include <string_view>
#include <filesystem>
#include <system_error>

namespace zapvane {

namespace {
std::optional<std::string> nonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}
}  // namespace

std::string resolveDataDir(const std::optional<std::string>& option) {
  if (option && !option->empty()) return *option;
  if (auto dir = nonEmptyEnv("ZAPVANE_DATA_DIR")) return *dir;
  if (auto xdg = nonEmptyEnv("XDG_DATA_HOME")) return *xdg + "/zapvane";
  if (auto home = nonEmptyEnv("HOME")) return *home + "/.local/share/zapvane";
  return ".zapvane";  // no home at all (a bare service account): the working directory
}

std::string dataFile(const std::string& dataDir, const std::string& name) {
  return (std::filesystem::path(dataDir) / name).string();
}

}  // namespace zapvane
