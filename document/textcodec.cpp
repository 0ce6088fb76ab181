#include "document/textcodec.h"

#include <climits>
#include <cstring>

namespace {

const char16_t kReplacement = 0xFFFD;

bool HasHighByte(const char* bytes, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if ((unsigned char)bytes[i] >= 0x80)
            return true;
    }
    return false;
}

bool StartsWith(const char* bytes, size_t length, const char* mark, size_t markLength)
{
    return length >= markLength && memcmp(bytes, mark, markLength) == 0;
}

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const char kUtf16LeMark[] = "\xFF\xFE";
const char kUtf16BeMark[] = "\xFE\xFF";

// Walks the bytes as UTF-8 and hands every UTF-16 unit to emit. Strict mode stops at
// the first invalid sequence and returns false; lenient mode emits one U+FFFD per
// invalid sequence and resumes where the table of the decoder says.
template <typename Emit>
bool DecodeUtf8(const unsigned char* s, size_t n, bool strict, Emit&& emit)
{
    size_t i = 0;
    while (i < n) {
        unsigned lead = s[i];
        if (lead < 0x80) {
            emit((char16_t)lead);
            ++i;
            continue;
        }
        size_t need;
        uint32_t value;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            value = lead & 0x07;
        } else {
            if (strict)
                return false;
            emit(kReplacement);
            ++i;
            continue;
        }
        if (n - i - 1 < need) {
            // A truncated tail is one bad character, whatever its bytes are.
            if (strict)
                return false;
            emit(kReplacement);
            break;
        }
        size_t k = 1;
        for (; k <= need; ++k) {
            unsigned c = s[i + k];
            if ((c & 0xC0) != 0x80)
                break;
            value = value << 6 | (c & 0x3F);
        }
        if (k <= need) {
            if (strict)
                return false;
            emit(kReplacement);
            i += k + 1;
            continue;
        }
        i += need + 1;
        bool valid = need == 1 ||
                     (need == 2 ? value >= 0x800 && (value < 0xD800 || value > 0xDFFF)
                                : value >= 0x10000 && value <= 0x10FFFF);
        if (!valid) {
            if (strict)
                return false;
            emit(kReplacement);
            continue;
        }
        if (value >= 0x10000) {
            value -= 0x10000;
            emit((char16_t)(0xD800 + (value >> 10)));
            emit((char16_t)(0xDC00 + (value & 0x3FF)));
        } else {
            emit((char16_t)value);
        }
    }
    return true;
}

// Hands every character's UTF-8 bytes to put(bytes, count).
template <typename Put>
void EncodeUtf8(const char16_t* s, size_t n, Put&& put)
{
    unsigned char b[4];
    for (size_t i = 0; i < n; ++i) {
        uint32_t v = s[i];
        if (v < 0x80) {
            b[0] = (unsigned char)v;
            put(b, 1);
        } else if (v < 0x800) {
            b[0] = (unsigned char)(0xC0 | v >> 6);
            b[1] = (unsigned char)(0x80 | (v & 0x3F));
            put(b, 2);
        } else if (v >= 0xD800 && v <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 &&
                   s[i + 1] <= 0xDFFF) {
            uint32_t c = 0x10000 + ((v - 0xD800) << 10 | (uint32_t)(s[i + 1] - 0xDC00));
            b[0] = (unsigned char)(0xF0 | c >> 18);
            b[1] = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
            b[2] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
            b[3] = (unsigned char)(0x80 | (c & 0x3F));
            put(b, 4);
            ++i;
        } else {
            b[0] = (unsigned char)(0xE0 | v >> 12);
            b[1] = (unsigned char)(0x80 | ((v >> 6) & 0x3F));
            b[2] = (unsigned char)(0x80 | (v & 0x3F));
            put(b, 3);
        }
    }
}

size_t Utf16Length(const char16_t* s)
{
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

// Every unit of the fold table but U+0000 is U+00A0 or above.
inline bool BelowFoldTable(char16_t u)
{
    return u >= 0x0001 && u < 0x00A0;
}

// -1 drops the unit; any other value is its replacement (or the unit itself).
// Ordered so that ordinary text, Latin or CJK, leaves after one or two compares.
int FoldUnit(char16_t u)
{
    if (BelowFoldTable(u))
        return u;
    if (u > 0x2219)
        return u == 0xFEFF ? -1 : u;
    if (u < 0x2000) {
        switch (u) {
        case 0x0000:
            return -1;
        case 0x00A0:
            return 0x0020;
        case 0x00A3:
            return 0xFFE1;
        case 0x00AD:
            return 0x002D;
        case 0x00B4:
            return 0x0027;
        case 0x02C6:
            return 0x005E;
        case 0x02DC:
            return 0x007E;
        default:
            return u;
        }
    }
    if (u <= 0x200A || u == 0x202F || u == 0x205F)
        return 0x0020;
    switch (u) {
    case 0x200B:
    case 0x200C:
    case 0x200D:
    case 0x2060:
        return -1;
    case 0x2010:
    case 0x2011:
        return 0x002D;
    case 0x2012:
    case 0x2013:
    case 0x2014:
        return 0x2015;
    case 0x2022:
    case 0x2023:
    case 0x2043:
    case 0x2219:
        return 0x00B7;
    case 0x2032:
        return 0x0027;
    case 0x2033:
        return 0x0022;
    case 0x2212:
        return 0xFF0D;
    default:
        return u;
    }
}

// The fold rescues characters that the code page lacks; one that it holds is kept,
// because its look-alike may be missing there (code page 1252 holds the em dash and
// the pound sign, but not U+2015 or U+FFE1). U+0000 is dropped all the same: the text
// model cannot hold it in any code page.
struct CodePageFold {
    const CodePage& page;
    char16_t asked[40];
    bool lacking[40];
    size_t askedCount = 0;

    explicit CodePageFold(const CodePage& codePage) : page(codePage) {}

    // -1 drops the unit; any other value is what goes to the code page.
    int operator()(char16_t u)
    {
        int f = FoldUnit(u);
        if (f == u || u == 0)
            return f;
        return Lacks(u) ? f : u;
    }

    // Only the units of the fold table are asked about, each once.
    bool Lacks(char16_t u)
    {
        for (size_t i = 0; i < askedCount; ++i) {
            if (asked[i] == u)
                return lacking[i];
        }
        bool defaulted = false;
        page.fromUtf16(std::u16string(1, u), true, &defaulted);
        if (askedCount < sizeof asked / sizeof asked[0]) {
            asked[askedCount] = u;
            lacking[askedCount++] = defaulted;
        }
        return defaulted;
    }
};

// Nothing is allocated unless some unit actually changes, so the common text
// costs one scan.
template <typename Map>
bool FoldUnits(const char16_t* text, size_t n, bool terminate, std::u16string* folded, Map&& map)
{
    folded->clear();
    size_t i = 0;
    while (i < n && map(text[i]) == text[i])
        ++i;
    if (i == n)
        return false;
    folded->resize(n + 1);
    char16_t* start = &(*folded)[0];
    memcpy(start, text, i * sizeof(char16_t));
    char16_t* w = start + i;
    for (; i < n; ++i) {
        int f = map(text[i]);
        if (f >= 0)
            *w++ = (char16_t)f;
    }
    if (terminate)
        *w++ = 0;
    folded->resize((size_t)(w - start));
    return true;
}

template <typename Unit>
LineEndCounts CountUnits(size_t n, Unit&& unit)
{
    LineEndCounts counts;
    size_t i = 0;
    while (i < n) {
        unsigned u = unit(i);
        if (u == '\r') {
            if (i + 1 < n && unit(i + 1) == '\n') {
                ++counts.crlf;
                i += 2;
                continue;
            }
            ++counts.cr;
        } else if (u == '\n') {
            ++counts.lf;
        }
        ++i;
    }
    return counts;
}

// The text model ends a text at its first 0 byte.
void SetAnsiText(const char* bytes, size_t length, DecodedText* out)
{
    const void* nul = memchr(bytes, 0, length);
    if (nul) {
        length = (size_t)((const char*)nul - bytes);
        out->containsNul = true;
    }
    out->text = NormalizeToCrlf(bytes, length);
}

// Folding is unit by unit, so it runs inside the decoding loop and the decoded text
// is never held twice. U+0000 is folded away, which still changes what a save would
// write back.
struct FoldingWriter {
    char16_t* w;
    bool* nul;
    CodePageFold* fold;
    void operator()(char16_t u)
    {
        // Nearly every unit of a big file is decided here, without a call.
        if (BelowFoldTable(u)) {
            *w++ = u;
            return;
        }
        int f = (*fold)(u);
        if (f >= 0)
            *w++ = (char16_t)f;
        else if (u == 0)
            *nul = true;
    }
};

void SetFoldedText(const CodePage& page, std::u16string* units, char16_t* end, DecodedText* out)
{
    units->resize((size_t)(end - units->data()));
    bool defaulted = false;
    std::string ansi = page.fromUtf16(*units, false, &defaulted);
    out->lostCharacters = out->lostCharacters || defaulted;
    SetAnsiText(ansi.data(), ansi.size(), out);
}

// count, when known, is the number of units the bytes decode to.
void SetUtf8Text(const CodePage& page, const char* bytes, size_t length, size_t count,
                 DecodedText* out)
{
    if (!HasHighByte(bytes, length)) {
        SetAnsiText(bytes, length, out);
        return;
    }
    const unsigned char* s = (const unsigned char*)bytes;
    if (count == SIZE_MAX) {
        count = 0;
        DecodeUtf8(s, length, false, [&](char16_t) { ++count; });
    }
    std::u16string units(count, u'\0');
    CodePageFold fold(page);
    FoldingWriter writer = {&units[0], &out->containsNul, &fold};
    DecodeUtf8(s, length, false, writer);
    SetFoldedText(page, &units, writer.w, out);
}

void SetUtf16Text(const CodePage& page, const char* bytes, size_t length, bool bigEndian,
                  DecodedText* out)
{
    const unsigned char* s = (const unsigned char*)bytes;
    size_t count = length / 2;
    std::u16string units(count, u'\0');
    CodePageFold fold(page);
    FoldingWriter writer = {&units[0], &out->containsNul, &fold};
    int hi = bigEndian ? 0 : 1;
    for (size_t i = 0; i < count; ++i)
        writer((char16_t)(s[2 * i + hi] << 8 | s[2 * i + 1 - hi]));
    SetFoldedText(page, &units, writer.w, out);
}

// The number of units, or SIZE_MAX when the bytes are not valid UTF-8.
size_t StrictUtf8Count(const char* bytes, size_t length)
{
    size_t count = 0;
    bool ok = DecodeUtf8((const unsigned char*)bytes, length, true, [&](char16_t) { ++count; });
    return ok ? count : SIZE_MAX;
}

// Appends the text with every CR LF, lone CR and lone LF replaced by the given line end.
void AppendWithLineEnds(const char* text, size_t length, const char* end, size_t endLength,
                        std::string* out)
{
    size_t start = 0;
    size_t i = 0;
    while (i < length) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        out->append(text + start, i - start);
        out->append(end, endLength);
        i += (c == '\r' && i + 1 < length && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    out->append(text + start, length - start);
}

} // namespace

int Utf8ToUtf16(uint32_t flags, const char* source, int length, char16_t* destination,
                int capacity, uint32_t* error)
{
    if (error)
        *error = 0;
    if (!source || length == 0)
        return 0;
    size_t n = length < 0 ? strlen(source) + 1 : (size_t)length;
    size_t count = 0;
    size_t room = destination && capacity > 0 ? (size_t)capacity : 0;
    bool ok = DecodeUtf8((const unsigned char*)source, n, flags != 0, [&](char16_t u) {
        if (count < room)
            destination[count] = u;
        ++count;
    });
    uint32_t failure = 0;
    if (!ok)
        failure = kErrorNoUnicodeTranslation;
    else if ((room > 0 && count > room) || count > (size_t)INT_MAX)
        failure = kErrorInsufficientBuffer;
    if (failure) {
        if (error)
            *error = failure;
        return 0;
    }
    return (int)count;
}

int Utf16ToUtf8(const char16_t* source, int length, char* destination, int capacity,
                uint32_t* error)
{
    if (error)
        *error = 0;
    if (!source || length == 0)
        return 0;
    size_t n = length < 0 ? Utf16Length(source) + 1 : (size_t)length;
    size_t count = 0;
    size_t room = destination && capacity > 0 ? (size_t)capacity : 0;
    bool fits = room > 0;
    EncodeUtf8(source, n, [&](const unsigned char* b, size_t k) {
        // Once one character does not fit, nothing after it is written either, so
        // the destination holds a clean prefix.
        if (fits && count + k <= room)
            memcpy(destination + count, b, k);
        else
            fits = false;
        count += k;
    });
    if ((room > 0 && count > room) || count > (size_t)INT_MAX) {
        if (error)
            *error = kErrorInsufficientBuffer;
        return 0;
    }
    return (int)count;
}

bool FoldUnicodeForAnsi(const char16_t* text, int length, std::u16string* folded)
{
    if (!text)
        return false;
    size_t n = length < 0 ? Utf16Length(text) : (size_t)length;
    return FoldUnits(text, n, length < 0, folded, FoldUnit);
}

bool FoldUnicodeForCodePage(const CodePage& page, const char16_t* text, int length, std::u16string* folded)
{
    if (!text)
        return false;
    size_t n = length < 0 ? Utf16Length(text) : (size_t)length;
    return FoldUnits(text, n, length < 0, folded, CodePageFold(page));
}

std::string WideToAnsi(const CodePage& page, const std::u16string& text)
{
    std::u16string folded;
    if (FoldUnits(text.data(), text.size(), false, &folded, CodePageFold(page)))
        return page.fromUtf16(folded, false, nullptr);
    return page.fromUtf16(text, false, nullptr);
}

TextLoss LossOf(const DecodedText& decoded)
{
    if (decoded.containsNul)
        return TextLostNul;
    return decoded.lostCharacters ? TextLostCharacters : TextWhole;
}

std::string NormalizeToCrlf(const char* text, size_t length)
{
    std::string out;
    if (!text || length == 0)
        return out;
    out.reserve(length + length / 10 + 16);
    AppendWithLineEnds(text, length, "\r\n", 2, &out);
    return out;
}

LineEndCounts CountLineEnds(const char* bytes, size_t length)
{
    return CountUnits(length, [bytes](size_t i) { return (unsigned)(unsigned char)bytes[i]; });
}

LineEndCounts CountLineEndsUtf16(const char* bytes, size_t length, bool bigEndian)
{
    const unsigned char* s = (const unsigned char*)bytes;
    int hi = bigEndian ? 0 : 1;
    return CountUnits(length / 2, [s, hi](size_t i) {
        return (unsigned)(s[2 * i + hi] << 8 | s[2 * i + 1 - hi]);
    });
}

EolMode EolFromCounts(const LineEndCounts& c)
{
    if (c.lf > c.cr && c.lf > c.crlf)
        return Lf;
    if (c.cr > c.lf && c.cr > c.crlf)
        return Cr;
    return Crlf;
}

EolMode DetectFileEol(const char* bytes, size_t length, int32_t encoding)
{
    if (IsUtf16Encoding(encoding))
        return EolFromCounts(CountLineEndsUtf16(bytes, length, encoding == Utf16Be));
    return EolFromCounts(CountLineEnds(bytes, length));
}

void DecodeTextFile(const CodePage& page, const char* bytes, size_t length, DecodedText* out)
{
    *out = DecodedText();
    size_t count;
    if (!bytes || length == 0)
        return;
    if (StartsWith(bytes, length, kUtf8Mark, 3)) {
        out->encoding = Utf8;
        out->bom = true;
        SetUtf8Text(page, bytes + 3, length - 3, SIZE_MAX, out);
    } else if (StartsWith(bytes, length, kUtf16LeMark, 2) ||
               StartsWith(bytes, length, kUtf16BeMark, 2)) {
        bool big = (unsigned char)bytes[0] == 0xFE;
        out->encoding = big ? Utf16Be : Utf16Le;
        out->bom = true;
        SetUtf16Text(page, bytes + 2, length - 2, big, out);
    } else if (!HasHighByte(bytes, length)) {
        // Pure ASCII counts as UTF-8, so that typing an accented letter later
        // saves it as UTF-8.
        out->encoding = Utf8;
        SetAnsiText(bytes, length, out);
    } else if ((count = StrictUtf8Count(bytes, length)) != SIZE_MAX) {
        out->encoding = Utf8;
        SetUtf8Text(page, bytes, length, count, out);
    } else {
        out->encoding = Ansi;
        SetAnsiText(bytes, length, out);
    }
    out->eol = DetectFileEol(bytes, length, out->encoding);
}

void DecodeTextFileAs(const CodePage& page, const char* bytes, size_t length,
                      int32_t encoding, bool bom, DecodedText* out)
{
    *out = DecodedText();
    out->encoding = (EncodingId)encoding;
    out->bom = bom;
    if (!bytes || length == 0)
        return;
    out->eol = DetectFileEol(bytes, length, encoding);
    switch (encoding) {
    case Utf8:
        if (StartsWith(bytes, length, kUtf8Mark, 3)) {
            out->bom = true;
            bytes += 3;
            length -= 3;
        }
        SetUtf8Text(page, bytes, length, SIZE_MAX, out);
        break;
    case Utf16Le:
    case Utf16Be: {
        bool big = encoding == Utf16Be;
        if (StartsWith(bytes, length, big ? kUtf16BeMark : kUtf16LeMark, 2)) {
            out->bom = true;
            bytes += 2;
            length -= 2;
        }
        SetUtf16Text(page, bytes, length, big, out);
        break;
    }
    default:
        if (StartsWith(bytes, length, kUtf8Mark, 3)) {
            bytes += 3;
            length -= 3;
        } else if (StartsWith(bytes, length, kUtf16LeMark, 2) ||
                   StartsWith(bytes, length, kUtf16BeMark, 2)) {
            bytes += 2;
            length -= 2;
        }
        SetAnsiText(bytes, length, out);
        break;
    }
}

std::string ConvertLineEnds(const char* text, size_t length, int32_t eol)
{
    if (!text || length == 0)
        return std::string();
    if (eol != Lf && eol != Cr)
        return std::string(text, length);
    const char* end = eol == Lf ? "\n" : "\r";
    std::string out;
    out.reserve(length);
    AppendWithLineEnds(text, length, end, 1, &out);
    return out;
}

std::string EncodeTextFile(const CodePage& page, const char* text, size_t length,
                           int32_t encoding, bool bom, int32_t eol)
{
    std::string body = ConvertLineEnds(text, length, eol);
    std::string out;
    if (encoding == Ansi)
        return body;
    if (IsUtf16Encoding(encoding)) {
        bool big = encoding == Utf16Be;
        std::u16string units;
        if (!body.empty())
            units = page.toUtf16(body);
        out.resize(2 + 2 * units.size());
        unsigned char* w = (unsigned char*)&out[0];
        memcpy(w, big ? kUtf16BeMark : kUtf16LeMark, 2);
        w += 2;
        for (char16_t u : units) {
            w[big ? 0 : 1] = (unsigned char)(u >> 8);
            w[big ? 1 : 0] = (unsigned char)(u & 0xFF);
            w += 2;
        }
        return out;
    }
    if (bom)
        out.assign(kUtf8Mark, 3);
    if (body.empty())
        return out;
    std::u16string units;
    if (HasHighByte(body.data(), body.size()))
        units = page.toUtf16(body);
    if (units.empty()) {
        out += body;
        return out;
    }
    size_t count = 0;
    EncodeUtf8(units.data(), units.size(), [&](const unsigned char*, size_t k) { count += k; });
    size_t at = out.size();
    out.resize(at + count);
    char* w = &out[at];
    EncodeUtf8(units.data(), units.size(), [&](const unsigned char* b, size_t k) {
        memcpy(w, b, k);
        w += k;
    });
    return out;
}
