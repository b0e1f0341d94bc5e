// Messages the user must see (a port that will not open, a file that could
// not be saved). The window shows them as modal message boxes; the command
// line tool prints one line on stderr.
#pragma once

#include <string>

namespace zapvane {

enum class MessageIcon { none, information, exclamation, stop };

struct Message {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::none;
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Returns when the user has seen the message (a modal box is closed).
  virtual void show(const Message& message) = 0;
};

// "caption: text" on stderr, one line.
class StderrMessages final : public MessageSink {
 public:
  void show(const Message& message) override;
};

}  // namespace zapvane
