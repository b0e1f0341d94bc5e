// A real serial port through termios, for an IrDA dongle or any transceiver
// on a tty. The line state maps onto termios flags; what termios has no word
// for (DSR flow control, abort on error, the event mask, queue sizes) is kept
// and reported back as set. Infrared mode is a no-op: Linux serial drivers
// have no such switch, and a transceiver on a tty is always in it.
#pragma once

#include <memory>
#include <string>

#include "platform/serial_device.h"

namespace zapvane {

// Opens an existing tty for reading and writing, exclusively, without
// becoming its controlling terminal. nullptr and a reason on failure.
std::unique_ptr<SerialDevice> openTermiosDevice(const std::string& path, std::string& error);

}  // namespace zapvane
