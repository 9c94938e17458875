#pragma once

// Numbers as the files hold them. Every format the program reads or writes
// (the console's chars, the tileset file, DIB, AVI, ICO, ROM images) stores
// them little-endian, low byte first: GetLE, GetU16 and GetU32 read them,
// SetLE, SetU16 and SetU32 write them in place, PutLE, PutU16 and PutU32
// append them to a byte container (std::vector<std::uint8_t>, QByteArray).
// PNG and the macOS icon are big-endian: SetBE32, PutBE32. Header-only, for
// every folder.

#include <cstdint>

// The number in `bytes` bytes (1 to 4), low byte first.
constexpr std::uint32_t GetLE(const std::uint8_t* p, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

constexpr std::uint16_t GetU16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

constexpr std::uint32_t GetU32(const std::uint8_t* p)
{
    return GetLE(p, 4);
}

// The low `bytes` bytes of v (1 to 4), low byte first.
constexpr void SetLE(std::uint8_t* p, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

constexpr void SetU16(std::uint8_t* p, std::uint16_t v)
{
    SetLE(p, v, 2);
}

constexpr void SetU32(std::uint8_t* p, std::uint32_t v)
{
    SetLE(p, v, 4);
}

constexpr std::uint32_t GetBE32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

constexpr void SetBE32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (24 - 8 * i));
}

template <class Bytes>
void PutLE(Bytes& b, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.push_back(typename Bytes::value_type((v >> (8 * i)) & 0xFF));
}

template <class Bytes>
void PutU16(Bytes& b, std::uint16_t v)
{
    PutLE(b, v, 2);
}

template <class Bytes>
void PutU32(Bytes& b, std::uint32_t v)
{
    PutLE(b, v, 4);
}

template <class Bytes>
void PutBE32(Bytes& b, std::uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        b.push_back(typename Bytes::value_type((v >> (8 * i)) & 0xFF));
}
