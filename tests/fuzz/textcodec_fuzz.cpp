// Feeds arbitrary bytes to the file decoder and the UTF-8 conversions and checks what
// must hold for every input: the text model's form (no NUL, only CR LF line ends),
// agreement of strict and lenient decoding on valid input, exact UTF-8 round trips,
// bounded writes into small buffers, and saves that read back stable.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/textcodec.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        abort();
}

void RequireTextModel(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        Require(text[i] != 0);
        if (text[i] == '\r')
            Require(i + 1 < text.size() && text[i + 1] == '\n');
        if (text[i] == '\n')
            Require(i > 0 && text[i - 1] == '\r');
    }
}

void CheckUtf8(const char* data, int n)
{
    uint32_t error = 0;
    int lenient = Utf8ToUtf16(0, data, n, nullptr, 0, &error);
    Require(error == 0 && lenient <= n);
    int strict = Utf8ToUtf16(kMbErrInvalidChars, data, n, nullptr, 0, &error);
    Require(strict == 0 ? n == 0 || error == kErrorNoUnicodeTranslation : strict == lenient);

    std::u16string units((size_t)lenient, u'\0');
    if (lenient > 0)
        Require(Utf8ToUtf16(0, data, n, &units[0], lenient, &error) == lenient);
    // The decoder never emits a lone surrogate, so its output encodes to valid
    // UTF-8 that decodes back unit for unit.
    int bytes = Utf16ToUtf8(units.data(), lenient, nullptr, 0, &error);
    std::string utf8((size_t)bytes, '\0');
    if (bytes > 0)
        Require(Utf16ToUtf8(units.data(), lenient, &utf8[0], bytes, &error) == bytes);
    if (strict > 0)
        Require(utf8 == std::string(data, (size_t)n));
    int again = Utf8ToUtf16(kMbErrInvalidChars, utf8.data(), bytes, nullptr, 0, &error);
    Require(again == lenient);

    // Small buffers: the sanitizers catch any write past the capacity.
    for (int capacity : {1, 2, 3, 7}) {
        std::vector<char16_t> small((size_t)capacity);
        int r = Utf8ToUtf16(0, data, n, small.data(), capacity, &error);
        Require(lenient <= capacity ? r == lenient : r == 0 && error == kErrorInsufficientBuffer);
        std::vector<char> narrow((size_t)capacity);
        r = Utf16ToUtf8(units.data(), lenient, narrow.data(), capacity, &error);
        Require(bytes <= capacity ? r == bytes : r == 0 && error == kErrorInsufficientBuffer);
    }
}

void CheckSaves(const CodePage& page, const std::string& text)
{
    const int32_t encodings[][2] = {{Utf8, 1}, {Utf16Le, 1}, {Utf16Be, 0}};
    for (const auto& e : encodings) {
        for (int32_t eol : {Crlf, Lf, Cr}) {
            std::string file = EncodeTextFile(page, text.data(), text.size(), e[0], e[1] != 0, eol);
            DecodedText once;
            DecodeTextFile(page, file.data(), file.size(), &once);
            Require(once.encoding == e[0] && once.bom);
            if (text.find('\n') != std::string::npos)
                Require(once.eol == eol);
            // Folding may change a text once; after that a save reads back unchanged.
            file = EncodeTextFile(page, once.text.data(), once.text.size(), e[0], true, eol);
            DecodedText twice;
            DecodeTextFile(page, file.data(), file.size(), &twice);
            Require(twice.text == once.text);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = (const char*)data;
    const CodePage& page = Cp1252CodePage();
    CheckUtf8(bytes, (int)size);

    DecodedText decoded;
    DecodeTextFile(page, bytes, size, &decoded);
    RequireTextModel(decoded.text);
    for (int32_t encoding : {Ansi, Utf8, Utf16Le, Utf16Be}) {
        DecodedText as;
        DecodeTextFileAs(page, bytes, size, encoding, false, &as);
        RequireTextModel(as.text);
    }

    std::string normal = NormalizeToCrlf(bytes, size);
    Require(NormalizeToCrlf(normal.data(), normal.size()) == normal);
    Require(ConvertLineEnds(normal.data(), normal.size(), Lf).find('\r') == std::string::npos);

    if (size <= 4096)
        CheckSaves(page, decoded.text);
    return 0;
}
