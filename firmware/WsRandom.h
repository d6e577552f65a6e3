#pragma once
// The pseudo-random values of the handshake key and the frame masks: the classic linear
// congruential generator of the C library on the workshop computer (values 0 to 32767),
// seeded once per process from the clock.
#include <cstdint>

namespace firmware {

// Seeds the generator the first time it is called in the process; later calls do nothing.
void WsSeedOnce();
// The next value, 0 to 32767.
int WsRandom();
// For tests: restarts the sequence from `seed`.
void WsSeed(std::uint32_t seed);

}  // namespace firmware
