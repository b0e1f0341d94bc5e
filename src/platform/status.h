// Status: the result of a call that can fail for reasons outside the program
// (a full disk, a directory without write permission, a file someone else
// damaged, a port another process holds). ok(), or a kind and a one-line
// message that says what failed and why. Storage, platform and application
// calls all report through it; the command line tool turns a kind into an
// exit code in one place.
#pragma once

#include <string>
#include <utility>

namespace zapvane {

class Status {
 public:
  enum class Code { ok, notFound, corruption, ioError, busy, invalidArgument };

  static Status ok() { return Status(); }
  static Status notFound(std::string message) { return Status(Code::notFound, std::move(message)); }
  // A file that exists but holds what it must not (a damaged count, an
  // entry outside the catalogue): the program mended or refused it.
  static Status corruption(std::string message) { return Status(Code::corruption, std::move(message)); }
  static Status ioError(std::string message) { return Status(Code::ioError, std::move(message)); }
  // Someone else holds what was asked for (a lock, a port).
  static Status busy(std::string message) { return Status(Code::busy, std::move(message)); }
  static Status invalidArgument(std::string message) { return Status(Code::invalidArgument, std::move(message)); }
  // "what: <the system's reason>" of an errno value, of the kind it means.
  static Status fromErrno(int error, const std::string& what);

  bool isOk() const { return code_ == Code::ok; }
  bool isNotFound() const { return code_ == Code::notFound; }
  Code code() const { return code_; }
  const std::string& message() const { return message_; }

 private:
  Status() = default;
  Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}

  Code code_ = Code::ok;
  std::string message_;
};

}  // namespace zapvane
