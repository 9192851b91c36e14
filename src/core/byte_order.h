// Little-endian reading and writing of the stored forms, independent of the
// host's byte order and of the compiler's struct layout.
#pragma once

#include <cstdint>
#include <cstring>

inline void putU32LE(unsigned char *out, uint32_t value)
{
    out[0] = static_cast<unsigned char>(value);
    out[1] = static_cast<unsigned char>(value >> 8);
    out[2] = static_cast<unsigned char>(value >> 16);
    out[3] = static_cast<unsigned char>(value >> 24);
}

inline uint32_t getU32LE(const unsigned char *in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

inline void putI32LE(unsigned char *out, int32_t value) { putU32LE(out, static_cast<uint32_t>(value)); }

inline int32_t getI32LE(const unsigned char *in) { return static_cast<int32_t>(getU32LE(in)); }

// Floats travel as their IEEE 754 bit pattern, so NaNs and infinities survive.
inline void putF32LE(unsigned char *out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU32LE(out, bits);
}

inline float getF32LE(const unsigned char *in)
{
    uint32_t bits = getU32LE(in);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
