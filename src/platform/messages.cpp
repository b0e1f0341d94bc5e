#include "platform/messages.h"

#include <cstdio>

namespace zapvane {

void StderrMessages::show(const Message& message) {
  std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
}

}  // namespace zapvane
