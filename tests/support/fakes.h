// Stand-ins that record what the code under test asked for. The machine
// itself (clock, ports, priority, beep) is platform/virtual_platform.h.
#pragma once

#include <vector>

#include "platform/messages.h"

namespace zapvane::testing {

class RecordingMessages final : public MessageSink {
 public:
  void show(const Message& message) override { shown.push_back(message); }
  std::vector<Message> shown;
};

}  // namespace zapvane::testing
