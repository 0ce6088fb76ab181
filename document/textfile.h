#pragma once
// Text files and clipboard text in and out of the text model (ANSI, CR LF), in the
// system's ANSI code page.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/textcodec.h"

enum class FileReadResult { Ok, OpenFailed, SizeFailed, NoMemory, ReadFailed };

// Reads the whole file with one ReadFile into a malloc'd buffer of its size + 4
// bytes, zeroed after the bytes read (*bytes is freed by the caller with free()).
// A file of 4 GiB or more is a ReadFailed: it cannot be held. Opens with
// FILE_SHARE_READ only, so a file that another process writes is not read half-way.
FileReadResult ReadTextFileBytes(const char* path, char** bytes, size_t* length);

// The file's text in the text model, malloc'd (free() it), and its encoding
// (EncodingId), BOM and line-end style (EolMode); null when the file cannot be
// opened or read, or memory runs out, and then the out-values are untouched.
char* LoadTextFile(const char* path, EncodingId* encoding, bool* bom, EolMode* eol);
// The same, and *textLoss (a TextLoss) tells what the text model could not keep of the
// file's text (NUL characters, or characters the code page lacks): such a document must
// not be saved over its file, where the save would not give that text back.
char* LoadTextFileEx(const char* path, EncodingId* encoding, bool* bom, EolMode* eol, int32_t* textLoss);
// The same into *text, without a copy of the decoded text; false where those return null.
bool LoadTextFileString(const char* path, std::string* text, EncodingId* encoding, bool* bom, EolMode* eol,
                        int32_t* textLoss);

// A file's text and what was detected of it, as LoadTextFileString gives them.
struct LoadedText {
    std::string text;
    EncodingId encoding = Ansi;
    EolMode eol = Crlf;
    int32_t loss = 0; // a TextLoss
    bool bom = false;
};
// LoadTextFileString into *loaded; false also when memory runs out on the way.
bool TryLoadTextFile(const char* path, LoadedText* loaded);

// Writes the text (ANSI, CR LF) in the encoding, mark and line-end style, through a
// temporary file that replaces the old one only once it is whole on the disk
// (ReplaceFileContent), so the file is always either its old or its new content. False
// for an empty path, a read-only file, a conversion without memory, or any failed
// write; the old file is then untouched.
bool WriteTextFile(const char* path, const char* text, int32_t length, EncodingId encoding,
                   bool bom, EolMode eol);

// The clipboard's text as ANSI with CR LF line ends; empty when the clipboard cannot
// be opened or holds no text. CF_UNICODETEXT wins; CF_TEXT, decoded as UTF-8 when it is
// valid UTF-8, is read only without Unicode text.
std::string GetClipboardTextAnsi(HWND owner);

// The pure conversions with the system's contract: on failure they return 0 and set
// the thread's last error.
int Utf8ToUtf16(DWORD flags, const char* source, int length, wchar_t* destination,
                int capacity);
int Utf16ToUtf8(const wchar_t* source, int length, char* destination, int capacity);
// Folds the characters the ANSI code page lacks (FoldUnicodeForCodePage), then
// WideCharToMultiByte(CP_ACP, 0) of the result, with WideCharToMultiByte's return
// value and contract (a negative length converts and counts the terminator; a null
// destination or size 0 only counts).
int WideToAnsi(const wchar_t* text, int length, char* destination, int size);
