// The file system of the machine, through POSIX calls; every errno becomes a
// Status through Status::fromErrno.
#pragma once

#include <random>

#include "platform/file_system.h"

namespace zapvane {

class RealFileSystem final : public FileSystem {
 public:
  Status readFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                  bool* truncated = nullptr) override;
  Status writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) override;
  Status createFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) override;
  Status lockFile(const std::string& path, double waitSeconds, const std::string& holder,
                  std::unique_ptr<FileLock>& held) override;
  Status renameNoReplace(const std::string& from, const std::string& to) override;
  Status createDirectories(const std::string& path) override;
  std::vector<DirectoryEntry> listDirectory(const std::string& dir) override;
  Status removeFile(const std::string& path) override;
  bool exists(const std::string& path) override;

 private:
  Status save(const std::string& path, const std::vector<uint8_t>& bytes, bool replace);
  // The file a chain of symbolic links ends at (`path` itself when it is
  // none); it need not exist.
  static Status resolveLinks(const std::string& path, std::string& target);
  // A new hidden temporary beside `target`: its descriptor, or -1 and errno.
  int createTemporaryBeside(const std::string& target, std::string& tmp);

  std::minstd_rand random_{std::random_device{}()};
};

}  // namespace zapvane
