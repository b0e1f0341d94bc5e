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

bool takeDataDirOption(const std::vector<std::string>& args, size_t& i, std::optional<std::string>& dir,
                       Status& status) {
  static constexpr std::string_view kOption = "--data-dir";
  const std::string& arg = args[i];
  if (arg == kOption) {
    if (i + 1 >= args.size()) {
      status = Status::invalidArgument("--data-dir needs a directory");
      return true;
    }
    dir = args[++i];
    return true;
  }
  if (arg.size() > kOption.size() && arg.compare(0, kOption.size() + 1, "--data-dir=") == 0) {
    dir = arg.substr(kOption.size() + 1);
    return true;
  }
  return false;
}

std::string dataFile(const std::string& dataDir, const std::string& name) {
  return (std::filesystem::path(dataDir) / name).string();
}

}  // namespace zapvane
