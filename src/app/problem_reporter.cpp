#include "app/problem_reporter.h"

namespace zapvane {

void ProblemReporter::notice(const std::string& line) { err_ << program_ << ": " << line << '\n' << std::flush; }

void ProblemReporter::saveFailed(const Status& status) {
  if (status.isOk()) return;
  if (firstFailedSave_.isOk()) firstFailedSave_ = status;
  if (quietSaves_) return;
  notice("save failed: " + status.message() + "; the previous file is kept");
  if (window_ != nullptr) {
    window_->show({"Could not save: " + status.message() + ". The previous file is kept.", "Error",
                   MessageIcon::exclamation});
  }
}

}  // namespace zapvane
