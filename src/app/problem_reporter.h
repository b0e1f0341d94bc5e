// Where the remote tells the user about trouble with the data files: always one
// line on stderr, and for a failed save also an "Error" message box once the
// window has attached itself, because a user who ended learning must not
// believe his signals are stored when they are not.
//
// Threads: window thread only.
#pragma once

#include <ostream>
#include <string>
#include <utility>

#include "platform/messages.h"
#include "platform/status.h"

namespace zapvane {

class ProblemReporter {
 public:
  ProblemReporter(std::ostream& err, std::string program) : err_(err), program_(std::move(program)) {}

  void attachWindow(MessageSink* window) { window_ = window; }
  // A line on stderr only: a damaged file was mended or refused.
  void notice(const std::string& line);
  // Does nothing for an ok status.
  void saveFailed(const Status& status);

  // For a caller that ends with the outcome itself (the command line tool
  // exits 1 with the failure as its one error line): failed saves are only
  // recorded.
  void leaveSaveFailuresToCaller() { quietSaves_ = true; }
  // The first save that failed since start-up; ok when none did.
  const Status& firstFailedSave() const { return firstFailedSave_; }

 private:
  std::ostream& err_;
  std::string program_;
  MessageSink* window_ = nullptr;
  bool quietSaves_ = false;
  Status firstFailedSave_ = Status::ok();
};

}  // namespace zapvane
