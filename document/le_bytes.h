#pragma once
// Little-endian 4-byte integers and length-prefixed byte strings, shared by the undo-file
// and session-file formats. The reader never reads past its buffer and checks every
// length against the bytes that remain before it allocates anything.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <string>

inline void AppendLeU32(std::string& out, uint32_t value)
{
    char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                     static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
    out.append(bytes, 4);
}

inline void AppendLeI32(std::string& out, int32_t value)
{
    AppendLeU32(out, static_cast<uint32_t>(value));
}

// Where a writer streams its bytes: the pieces in order, false to stop.
using ByteSink = std::function<bool(const char* data, size_t size)>;

// The length as uint32, then the bytes.
inline void AppendLengthPrefixed(std::string& out, const std::string& bytes)
{
    AppendLeU32(out, static_cast<uint32_t>(bytes.size()));
    out.append(bytes);
}

// A string's length field into `fixed` (with the other fixed fields gathered before it),
// then those fields and the bytes to the sink, the bytes straight from where they are.
inline bool SinkLengthPrefixed(const ByteSink& sink, std::string& fixed, const char* bytes, size_t size)
{
    AppendLeU32(fixed, static_cast<uint32_t>(size));
    bool ok = sink(fixed.data(), fixed.size()) && (size == 0 || sink(bytes, size));
    fixed.clear();
    return ok;
}

struct LeByteReader {
    const unsigned char* cursor;
    size_t left;

    LeByteReader(const char* data, size_t size)
        : cursor(reinterpret_cast<const unsigned char*>(data)), left(data ? size : 0) {}

    bool ReadU32(uint32_t* value)
    {
        if (left < 4)
            return false;
        *value = static_cast<uint32_t>(cursor[0]) | (static_cast<uint32_t>(cursor[1]) << 8) |
                 (static_cast<uint32_t>(cursor[2]) << 16) | (static_cast<uint32_t>(cursor[3]) << 24);
        cursor += 4;
        left -= 4;
        return true;
    }

    bool ReadI32(int32_t* value)
    {
        uint32_t raw;
        if (!ReadU32(&raw))
            return false;
        *value = static_cast<int32_t>(raw);
        return true;
    }

    // Exactly `size` bytes into *out. False, with nothing allocated, when fewer remain;
    // also false when the memory cannot be had.
    bool ReadBytes(size_t size, std::string* out)
    {
        if (size > left)
            return false;
        try {
            out->assign(reinterpret_cast<const char*>(cursor), size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        cursor += size;
        left -= size;
        return true;
    }

    bool Match(const char* expected, size_t size)
    {
        if (left < size || std::memcmp(cursor, expected, size) != 0)
            return false;
        cursor += size;
        left -= size;
        return true;
    }
};
