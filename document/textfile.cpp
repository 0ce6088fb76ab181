#include "document/textfile.h"

#include "document/safe_write.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

namespace {

// The length never runs past the memory block, even when the owner of the data
// left out the terminator.
bool ReadClipboardUnits(std::u16string* out)
{
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data)
        return false;
    const char16_t* p = (const char16_t*)GlobalLock(data);
    if (!p)
        return false;
    size_t limit = GlobalSize(data) / sizeof(char16_t);
    size_t n = 0;
    while (n < limit && p[n])
        ++n;
    bool ok = true;
    try {
        out->assign(p, n);
    } catch (const std::exception&) {
        ok = false;
    }
    GlobalUnlock(data);
    return ok;
}

bool ReadClipboardBytes(std::string* out)
{
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data)
        return false;
    const char* p = (const char*)GlobalLock(data);
    if (!p)
        return false;
    size_t limit = GlobalSize(data);
    const void* nul = memchr(p, 0, limit);
    size_t n = nul ? (size_t)((const char*)nul - p) : limit;
    bool ok = true;
    try {
        out->assign(p, n);
    } catch (const std::exception&) {
        ok = false;
    }
    GlobalUnlock(data);
    return ok;
}

// CF_TEXT from programs that put UTF-8 there is recognised by being valid UTF-8
// with at least one byte above ASCII; anything else is ANSI already.
std::string AnsiFromClipboardBytes(const std::string& bytes)
{
    bool high = false;
    for (unsigned char b : bytes)
        high = high || b >= 0x80;
    if (!high || bytes.size() > (size_t)INT_MAX)
        return bytes;
    uint32_t error = 0;
    int n = Utf8ToUtf16(kMbErrInvalidChars, bytes.data(), (int)bytes.size(), nullptr, 0, &error);
    if (n < 1)
        return bytes;
    std::u16string units((size_t)n, u'\0');
    Utf8ToUtf16(0, bytes.data(), (int)bytes.size(), &units[0], n, &error);
    std::string ansi = WideToAnsi(WindowsAnsiCodePage(), units);
    return ansi.empty() ? bytes : ansi;
}

// Unicode text wins. Programs that put only CF_TEXT get a CF_UNICODETEXT that the system
// makes from it with the code page, so CF_TEXT is read only when there is no Unicode
// text (or it folds to nothing).
std::string ReadClipboardAnsi()
{
    std::u16string units;
    if (ReadClipboardUnits(&units)) {
        std::string ansi = WideToAnsi(WindowsAnsiCodePage(), units);
        if (!ansi.empty())
            return ansi;
    }
    std::string bytes;
    if (!ReadClipboardBytes(&bytes) || bytes.empty())
        return std::string();
    return AnsiFromClipboardBytes(bytes);
}

} // namespace

FileReadResult ReadTextFileBytes(const char* path, char** bytes, size_t* length)
{
    *bytes = nullptr;
    *length = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FileReadResult::OpenFailed;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD size = GetFileSize(file, &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        CloseHandle(file);
        return FileReadResult::SizeFailed;
    }
    if (high != 0) {
        CloseHandle(file);
        return FileReadResult::ReadFailed;
    }
    char* buffer = size <= (DWORD)(SIZE_MAX - 4) ? (char*)malloc((size_t)size + 4) : nullptr;
    if (!buffer) {
        CloseHandle(file);
        return FileReadResult::NoMemory;
    }
    DWORD read = 0;
    if (size != 0 && !ReadFile(file, buffer, size, &read, nullptr)) {
        free(buffer);
        CloseHandle(file);
        return FileReadResult::ReadFailed;
    }
    CloseHandle(file);
    memset(buffer + read, 0, 4);
    *bytes = buffer;
    *length = read;
    return FileReadResult::Ok;
}

char* LoadTextFile(const char* path, EncodingId* encoding, bool* bom, EolMode* eol)
{
    return LoadTextFileEx(path, encoding, bom, eol, nullptr);
}

bool LoadTextFileString(const char* path, std::string* text, EncodingId* encoding, bool* bom, EolMode* eol,
                        int32_t* textLoss)
{
    if (!path)
        return false;
    char* bytes = nullptr;
    size_t length = 0;
    if (ReadTextFileBytes(path, &bytes, &length) != FileReadResult::Ok)
        return false;
    DecodedText decoded;
    bool ok = true;
    try {
        DecodeTextFile(WindowsAnsiCodePage(), bytes, length, &decoded);
    } catch (const std::exception&) {
        ok = false;
    }
    free(bytes);
    if (!ok)
        return false;
    text->swap(decoded.text);
    if (encoding)
        *encoding = decoded.encoding;
    if (bom)
        *bom = decoded.bom;
    if (eol)
        *eol = decoded.eol;
    if (textLoss)
        *textLoss = LossOf(decoded);
    return true;
}

bool TryLoadTextFile(const char* path, LoadedText* loaded)
{
    try {
        return LoadTextFileString(path, &loaded->text, &loaded->encoding, &loaded->bom, &loaded->eol, &loaded->loss);
    } catch (const std::exception&) {
        return false;
    }
}

char* LoadTextFileEx(const char* path, EncodingId* encoding, bool* bom, EolMode* eol, int32_t* textLoss)
{
    std::string decoded;
    EncodingId e = Ansi;
    EolMode l = Crlf;
    int32_t loss = 0;
    bool b = false;
    if (!LoadTextFileString(path, &decoded, &e, &b, &l, &loss))
        return nullptr;
    char* text = (char*)malloc(decoded.size() + 1);
    if (!text)
        return nullptr;
    memcpy(text, decoded.c_str(), decoded.size() + 1);
    if (encoding)
        *encoding = e;
    if (bom)
        *bom = b;
    if (eol)
        *eol = l;
    if (textLoss)
        *textLoss = loss;
    return text;
}

bool WriteTextFile(const char* path, const char* text, int32_t length, EncodingId encoding,
                   bool bom, EolMode eol)
{
    if (!path || !*path)
        return false;
    // Everything is converted before the disk is touched: running out of memory then
    // leaves the old file as it was.
    std::string content;
    try {
        size_t n = text && length > 0 ? (size_t)length : 0;
        content = EncodeTextFile(WindowsAnsiCodePage(), text, n, encoding, bom, eol);
    } catch (const std::exception&) {
        return false;
    }
    return ReplaceFileContent(path, content);
}

std::string GetClipboardTextAnsi(HWND owner)
{
    if (!OpenClipboard(owner))
        return std::string();
    std::string result;
    try {
        result = ReadClipboardAnsi();
    } catch (const std::exception&) {
        result.clear();
    }
    CloseClipboard();
    if (result.empty())
        return result;
    try {
        return NormalizeToCrlf(result.data(), result.size());
    } catch (const std::exception&) {
        return std::string();
    }
}

int Utf8ToUtf16(DWORD flags, const char* source, int length, wchar_t* destination, int capacity)
{
    uint32_t error = 0;
    int n = Utf8ToUtf16((uint32_t)flags, source, length, (char16_t*)destination, capacity, &error);
    if (error)
        SetLastError(error);
    return n;
}

int Utf16ToUtf8(const wchar_t* source, int length, char* destination, int capacity)
{
    uint32_t error = 0;
    int n = Utf16ToUtf8((const char16_t*)source, length, destination, capacity, &error);
    if (error)
        SetLastError(error);
    return n;
}

int WideToAnsi(const wchar_t* text, int length, char* destination, int size)
{
    std::u16string folded;
    bool changed;
    try {
        changed = FoldUnicodeForCodePage(WindowsAnsiCodePage(), (const char16_t*)text, length, &folded);
    } catch (const std::exception&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (changed)
        return WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)folded.data(),
                                   length < 0 ? -1 : (int)folded.size(), destination, size,
                                   nullptr, nullptr);
    return WideCharToMultiByte(CP_ACP, 0, text, length, destination, size, nullptr, nullptr);
}
