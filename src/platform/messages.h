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
  // The message, and where it goes on one line of text the reason behind it
  // (the device path and the system's error of a port that would not
  // open); a message box leaves the reason out, as the handheld's did.
  virtual void showWithReason(const Message& message, const std::string& /*reason*/) { show(message); }
};

// "caption: text" on stderr, one line; "caption: text reason" with a reason.
class StderrMessages final : public MessageSink {
 public:
  void show(const Message& message) override;
  void showWithReason(const Message& message, const std::string& reason) override;
};

}  // namespace zapvane
