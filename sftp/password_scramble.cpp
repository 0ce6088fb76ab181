#include "sftp/password_scramble.h"

#include <cstring>

namespace {

const char kScrambleKey[] = "Wq7mLarkTone9";
const size_t kScrambleKeyLength = sizeof kScrambleKey - 1;
const char kScramblePrefix[] = "XP1:";
const size_t kScramblePrefixLength = sizeof kScramblePrefix - 1;

unsigned char Mask(size_t index)
{
    unsigned char rolling = (unsigned char)(7 + 13 * index);
    return (unsigned char)kScrambleKey[index % kScrambleKeyLength] ^ rolling;
}

int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string ScramblePassword(const std::string& password)
{
    if (password.empty())
        return std::string();
    static const char kHex[] = "0123456789ABCDEF";
    std::string out(kScramblePrefix);
    out.reserve(kScramblePrefixLength + 2 * password.size());
    for (size_t i = 0; i < password.size(); ++i) {
        unsigned char b = (unsigned char)password[i] ^ Mask(i);
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

std::string UnscramblePassword(const std::string& stored)
{
    if (stored.size() < kScramblePrefixLength ||
        memcmp(stored.data(), kScramblePrefix, kScramblePrefixLength) != 0)
        return stored;
    size_t digits = stored.size() - kScramblePrefixLength;
    if (digits % 2)
        return std::string();
    std::string out;
    out.reserve(digits / 2);
    for (size_t k = 0; k < digits / 2; ++k) {
        int high = HexValue((unsigned char)stored[kScramblePrefixLength + 2 * k]);
        int low = HexValue((unsigned char)stored[kScramblePrefixLength + 2 * k + 1]);
        if (high < 0 || low < 0)
            return std::string();
        out += (char)((unsigned char)(high * 16 + low) ^ Mask(k));
    }
    return out;
}
