// An additive lagged Fibonacci generator, x[n] = x[n-31] + x[n-3] modulo
// 2^32, giving x[n] >> 1; its 31 words are seeded with the Park-Miller
// sequence of the seed and the first 310 numbers are thrown away. The
// arithmetic is spelt out to the bit, in the widths the C library uses.
#include "world/random.h"

#include <cstdint>

namespace {

constexpr int degree = 31;     // words of state
constexpr int separation = 3;  // between the two words added
constexpr int warmUp = 10 * degree;

struct Generator {
    int32_t state[degree];
    int front; // the word that receives the sum
    int rear;  // the word added to it
};
Generator generator;

// seed * 16807 mod (2^31 - 1), by Schrage's method as the library does it,
// from a 32-bit word that a seed above 2^31 makes negative.
int32_t parkMiller(int32_t word)
{
    const int64_t high = word / 127773, low = word % 127773;
    int32_t next = static_cast<int32_t>(16807 * low - 2836 * high);
    if (next < 0)
        next += 2147483647;
    return next;
}

} // namespace

void seedRandom(unsigned seed)
{
    if (seed == 0)
        seed = 1; // the library never starts from zero
    generator.state[0] = static_cast<int32_t>(seed);
    for (int i = 1; i < degree; i++)
        generator.state[i] = parkMiller(generator.state[i - 1]);
    generator.front = separation;
    generator.rear = 0;
    for (int i = 0; i < warmUp; i++)
        drawRandom();
}

int drawRandom()
{
    int32_t &sum = generator.state[generator.front];
    const uint32_t value = static_cast<uint32_t>(sum) + static_cast<uint32_t>(generator.state[generator.rear]);
    sum = static_cast<int32_t>(value);
    generator.front = (generator.front + 1) % degree;
    generator.rear = (generator.rear + 1) % degree;
    return static_cast<int>(value >> 1);
}
