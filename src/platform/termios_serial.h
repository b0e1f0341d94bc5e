// A real serial port through termios, for an IrDA dongle or any transceiver
// on a tty. The line state maps onto termios flags; what termios has no word
// for (DSR flow control, null stripping, error characters, abort on error)
// is kept and reported back as set; the event mask and queue sizes are
// accepted and change nothing. Infrared mode is a no-op: Linux serial
// drivers have no such switch, and a transceiver on a tty is always in it.
//
// Reads always return at once with what has arrived (the only reading the
// program does); the read time-outs are kept and reported. A write returns
// when its last byte has left the line, or when the write time-out
// (multiplier x bytes + constant, ms; 0 and 0 for none) has run out while
// the driver would take no more bytes. The drain after the last byte is the
// driver's own and has no time-out: with flow control on, a line held
// stopped holds the write (the port opening turns flow control off).
//
// Threads: one user at a time, the thread that holds the port.
#pragma once

#include <termios.h>

#include <memory>
#include <string>

#include "platform/serial_device.h"

namespace zapvane {

// Opens an existing tty for reading and writing, exclusively (TIOCEXCL and
// an exclusive flock, which also holds against a process running as root),
// without becoming its controlling terminal or waiting for carrier, into
// `device`; on failure "<path>: <the system's reason>".
Status openTermiosDevice(const std::string& path, std::unique_ptr<SerialDevice>& device);

// The mapping itself, for checks where no tty keeps every flag (a
// pseudo-terminal forces 8 data bits and no parity).
// Writes the words termios has for `state` into `t`, keeping its other
// flags; false, with `t` unchanged, for a baud rate, byte size or parity it
// cannot express. 1.5 stop bits become two.
bool portStateToTermios(const PortState& state, termios& t);
// Overwrites the fields of `state` that termios has a word for; the others
// keep their values. outxCtsFlow and rtsControl share CRTSCTS: the kept pair
// tells which of them asked for it.
void portStateFromTermios(const termios& t, PortState& state);

}  // namespace zapvane
