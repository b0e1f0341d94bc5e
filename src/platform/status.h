// Status: the result of a file or platform call that can fail for reasons
// outside the program (a full disk, a directory without write permission).
// ok(), or a one-line message that says what failed and why.
#pragma once

#include <string>
#include <utility>

namespace zapvane {

class Status {
 public:
  static Status ok() { return Status(); }
  static Status ioError(std::string message) { return Status(std::move(message)); }

  bool isOk() const { return message_.empty(); }
  const std::string& message() const { return message_; }

 private:
  Status() = default;
  explicit Status(std::string message) : message_(std::move(message)) {}
  std::string message_;
};

}  // namespace zapvane
