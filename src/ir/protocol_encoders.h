// The consumer-IR protocols that shared code files name instead of giving
// the light ("parsed" signals of Flipper .ir files): each turns an address
// and a command into the durations a remote of that protocol sends, from
// the protocol's public timing. A protocol whose receivers act only on a
// repeated frame (SIRC) is given with as many frames as they need.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zapvane {

// The light of one press: microseconds, mark first, ending on the gap that
// the protocol keeps before the next frame. False with `problem` set for a
// protocol not known here (case-insensitive names as .ir files spell them:
// NEC, NECext, NEC42, NEC42ext, Samsung32, SIRC, SIRC15, SIRC20, RC5, RC5X,
// RC6, Kaseikyo, RCA, Pioneer) or an address or command wider than the
// protocol carries.
bool encodeProtocol(std::string_view protocol, uint32_t address, uint32_t command, std::vector<int32_t>& durations,
                    std::string& problem);

}  // namespace zapvane
