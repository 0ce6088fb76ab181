#pragma once
// The bytes of a small 32-bit Windows program image, and of images that are wrong in one
// place: the headers the updater reads (DOS header, "PE\0\0", file header, optional header
// size, section table) and raw data that fills the file. Pure, for the native rule tables
// and the Windows tests' downloads alike.

#include <stddef.h>
#include <stdint.h>

#include <string>

struct ProgramShape {
    size_t size = 60000;         // the file's length
    uint32_t lfanew = 0x80;      // where the DOS header says the signature is
    const char* signature = "PE\0\0";
    uint16_t machine = 0x14C;    // i386
    uint16_t sections = 2;
    uint16_t optionalHeaderSize = 0xE0;
    long long rawEndShift = 0;   // the last section's raw data ends this far past the file's end
    char fill = 'p';             // the raw data
};

inline void PutLittleEndian(std::string* bytes, size_t at, unsigned long long value, int width)
{
    for (int i = 0; i < width && at + i < bytes->size(); ++i)
        (*bytes)[at + i] = (char)((value >> (8 * i)) & 0xFF);
}

// The first section's raw data starts at 0x400; the second runs from the middle of the
// rest to the file's end (plus rawEndShift).
inline std::string ProgramImageBytes(const ProgramShape& shape = ProgramShape())
{
    std::string bytes(shape.size, shape.fill);
    const size_t headerEnd = 0x400;
    for (size_t i = 0; i < headerEnd && i < bytes.size(); ++i)
        bytes[i] = '\0';
    PutLittleEndian(&bytes, 0, 'M' | ('Z' << 8), 2);
    PutLittleEndian(&bytes, 0x3C, shape.lfanew, 4);
    size_t pe = shape.lfanew;
    for (int i = 0; i < 4; ++i)
        PutLittleEndian(&bytes, pe + i, (unsigned char)shape.signature[i], 1);
    PutLittleEndian(&bytes, pe + 4, shape.machine, 2);
    PutLittleEndian(&bytes, pe + 6, shape.sections, 2);
    PutLittleEndian(&bytes, pe + 20, shape.optionalHeaderSize, 2);
    PutLittleEndian(&bytes, pe + 24, 0x10B, 2); // PE32
    size_t table = pe + 24 + shape.optionalHeaderSize;
    long long end = (long long)shape.size + shape.rawEndShift;
    long long middle = (long long)headerEnd + (end - (long long)headerEnd) / 2;
    for (uint16_t i = 0; i < shape.sections; ++i) {
        size_t section = table + i * 40;
        long long at = i == 0 ? (long long)headerEnd : middle;
        long long until = i + 1 == shape.sections ? end : middle;
        PutLittleEndian(&bytes, section, i == 0 ? 0x747865742EULL : 0x61746164722EULL, 8); // .text, .rdata
        PutLittleEndian(&bytes, section + 16, (unsigned long long)(until - at), 4);
        PutLittleEndian(&bytes, section + 20, (unsigned long long)at, 4);
    }
    return bytes;
}
