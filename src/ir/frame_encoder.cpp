#include "ir/frame_encoder.h"

#include <limits>

#include "catalogue/device_catalogue.h"

namespace zapvane {

namespace {

// Wait targets are signed 32-bit; a damaged learned space must saturate
// rather than overflow.
int32_t waitTarget(int32_t space, int32_t bytes, int32_t microsecondsPerByte) {
  const int64_t target = static_cast<int64_t>(space) + static_cast<int64_t>(microsecondsPerByte) * bytes;
  if (target > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (target < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(target);
}

struct FrameBytes {
  int32_t header, one, zero, trailer, tail1, tail2;
};

}  // namespace

void playLearned(FramePrimitives& out, const LearnedSignal& signal) {
  for (int pair = 0; pair < kSignalPairs; ++pair) {
    const int32_t mark = signal.mark(pair);
    if (mark == kEndMark) return;
    out.markStamp();
    const int32_t bytes = out.markToBytes(mark);
    out.writeBurst(bytes);
    out.waitSince(waitTarget(signal.space(pair), bytes, kByteMicroseconds));
  }
}

void sendFrame(FramePrimitives& out, const DeviceProfile& p, int32_t command) {
  if (p.learned()) {
    const LearnedSignal* signal = learnedSlot(p, command);
    if (signal != nullptr) playLearned(out, *signal);
    return;
  }

  // All six counts, even for parts the frame lacks: a mark adjustment that
  // changes mid-frame takes effect at the next frame, never inside this one.
  const FrameBytes bytes{out.markToBytes(p.timing.headerMark),  out.markToBytes(p.timing.oneMark),
                         out.markToBytes(p.timing.zeroMark),    out.markToBytes(p.timing.trailerMark),
                         out.markToBytes(p.timing.tailMark1),   out.markToBytes(p.timing.tailMark2)};
  const CommandRow row = commandEntry(p, command);
  const int width = row.width();
  uint32_t mask = p.timing.codeBits <= 32 ? 1u << ((p.timing.codeBits - 1) & 31) : 1u << ((p.timing.codeBits - 33) & 31);

  if (bytes.header != 0) {
    out.markStamp();
    out.writeBurst(bytes.header);
    out.waitSince(waitTarget(p.timing.headerSpace, bytes.header, kHeaderByteMicroseconds));
  }

  for (int32_t i = 0; i < p.timing.codeBits; ++i) {
    out.markStamp();
    uint32_t bit = 0;
    if (width == 4) {
      bit = row.code() & mask;
    } else if (width == 5) {
      const int32_t remaining = p.timing.codeBits - i;
      if (remaining > 32) {
        bit = row.codeHigh() & mask;
      } else {
        if (remaining == 32) mask = 0x80000000u;
        bit = row.codeLow() & mask;
      }
    } else {
      mask >>= 1;
      continue;  // wider than 64 bits: nothing is sent for this bit
    }
    if (bit != 0) {
      out.writeBurst(bytes.one);
      out.waitSince(waitTarget(p.timing.oneSpace, bytes.one, kByteMicroseconds));
    } else {
      out.writeBurst(bytes.zero);
      out.waitSince(waitTarget(p.timing.zeroSpace, bytes.zero, kByteMicroseconds));
    }
    mask >>= 1;
  }

  if (p.timing.trailerMark == 0) return;
  out.markStamp();
  out.waitSince(p.timing.trailerWait);
  out.writeBurst(bytes.trailer);
  out.waitSince(waitTarget(p.timing.trailerSpace, bytes.trailer, kByteMicroseconds));

  if (p.timing.tailMark1 == 0) return;
  out.markStamp();
  out.waitSince(p.timing.tailWait1);
  out.markStamp();
  out.writeBurst(bytes.tail1);
  out.waitSince(waitTarget(0, bytes.tail1, kTail1ByteMicroseconds));

  if (p.timing.tailMark2 == 0) return;
  out.markStamp();
  out.waitSince(p.timing.tailWait2);
  out.markStamp();
  out.writeBurst(bytes.tail2);
  out.waitSince(waitTarget(0, bytes.tail2, kByteMicroseconds));
}

}  // namespace zapvane
