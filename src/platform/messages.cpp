#include "platform/messages.h"

#include <cstdio>

namespace zapvane {

void StderrMessages::show(const Message& message) {
  std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
}

void StderrMessages::showWithReason(const Message& message, const std::string& reason) {
  if (reason.empty()) return show(message);
  std::fprintf(stderr, "%s: %s %s\n", message.caption.c_str(), message.text.c_str(), reason.c_str());
}

}  // namespace zapvane
