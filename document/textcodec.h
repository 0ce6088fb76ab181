#pragma once
// Conversions at the border of the text model: documents live as NUL-terminated
// ANSI bytes with CR LF line ends; files and the clipboard bring UTF-8, UTF-16 and
// other line ends. Nothing here touches the platform; the ANSI code page comes in
// as a CodePage.

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/codepage.h"

// Stored as int32 in the document record and in the session and undo files, so a
// value outside the list may turn up: functions that take one take the stored
// int32 and treat unknown values as documented.
enum EncodingId : int32_t { Ansi = 0, Utf8 = 1, Utf16Le = 2, Utf16Be = 3 };
enum EolMode : int32_t { Crlf = 0, Lf = 1, Cr = 2 };

// UTF-16 LE or BE: the text is read and written in 16-bit units.
inline bool IsUtf16Encoding(int32_t encoding)
{
    return encoding == Utf16Le || encoding == Utf16Be;
}

// The Win32 codes that the UTF-8 conversions report, and the strict-mode flag.
const uint32_t kErrorInsufficientBuffer = 122;
const uint32_t kErrorNoUnicodeTranslation = 1113;
const uint32_t kMbErrInvalidChars = 8;

// MultiByteToWideChar(CP_UTF8)-like: flags 0 decodes leniently (U+FFFD for every
// invalid sequence), any other value strictly. A negative length runs up to and
// including the first 0 byte; a null destination or a capacity of 0 only counts.
// On failure returns 0 and stores the error code in *error; otherwise *error is 0.
int Utf8ToUtf16(uint32_t flags, const char* source, int length, char16_t* destination,
                int capacity, uint32_t* error);
// WideCharToMultiByte(CP_UTF8)-like; lone surrogates become three-byte sequences, so
// the only failure is a destination that is too small.
int Utf16ToUtf8(const char16_t* source, int length, char* destination, int capacity,
                uint32_t* error);

// Replaces or drops, by one fixed table, characters that have no form in the Korean
// code page 949 (spaces, dashes, zero-width marks, U+0000) with look-alikes it has;
// other code pages hold some of them but not the look-alike, so text is converted
// through FoldUnicodeForCodePage. True when something changed; *folded then holds
// the result (with a 0 unit appended when the length was negative). False leaves
// *folded empty, or untouched for a null text.
bool FoldUnicodeForAnsi(const char16_t* text, int length, std::u16string* folded);
// The same fold limited to the characters that the code page lacks: one that it holds
// exactly is kept, since its look-alike may be missing there. U+0000 is dropped always.
bool FoldUnicodeForCodePage(const CodePage& page, const char16_t* text, int length, std::u16string* folded);
// The text in the ANSI code page, folded where the code page lacks a character, best
// fit allowed.
std::string WideToAnsi(const CodePage& page, const std::u16string& text);

// Every CR LF, lone CR and lone LF becomes CR LF; other bytes, 0 included, are kept.
std::string NormalizeToCrlf(const char* text, size_t length);

struct LineEndCounts {
    size_t crlf = 0;
    size_t cr = 0;
    size_t lf = 0;
};
LineEndCounts CountLineEnds(const char* bytes, size_t length);
// The same over 16-bit units read from the bytes (an odd last byte is ignored), so
// that a character such as U+4E0A, whose low byte is 0A, is not taken for a line end.
LineEndCounts CountLineEndsUtf16(const char* bytes, size_t length, bool bigEndian);
// Lf or Cr when that kind outnumbers both others, else Crlf (ties, no line ends).
EolMode EolFromCounts(const LineEndCounts& counts);
// The style of a file's raw bytes read in the given encoding: UTF-16 by units.
EolMode DetectFileEol(const char* bytes, size_t length, int32_t encoding);

struct DecodedText {
    std::string text; // ANSI, CR LF
    EncodingId encoding = Utf8;
    bool bom = false;
    EolMode eol = Crlf;
    // The file's text held a NUL, which the text model cannot keep (the text was
    // cut at a 0 byte, or U+0000 characters were dropped): saving would not give
    // the file back.
    bool containsNul = false;
    // Characters the ANSI code page cannot hold became its default character ("?"),
    // so saving would not give the file back either.
    bool lostCharacters = false;
};

// What the text model could not keep of a file's text: a document with a loss is not
// saved over its own file.
enum TextLoss : int32_t { TextWhole = 0, TextLostNul = 1, TextLostCharacters = 2 };
TextLoss LossOf(const DecodedText& decoded);

// Recognises the encoding of a whole file (BOM, else valid UTF-8, else ANSI) and its
// line-end style, and converts it into the text model. Empty input is BOM-less UTF-8.
void DecodeTextFile(const CodePage& page, const char* bytes, size_t length, DecodedText* out);
// Reads the bytes in a chosen encoding, as Reload with an encoding does: a leading
// mark is skipped (and, when it is the encoding's own, sets the BOM flag), UTF-8 is
// decoded leniently with no fall-back to ANSI.
void DecodeTextFileAs(const CodePage& page, const char* bytes, size_t length,
                      int32_t encoding, bool bom, DecodedText* out);

// The text's CR LF, lone CR and lone LF made the style's line end; Crlf (and any
// unknown value) keeps the bytes as they are.
std::string ConvertLineEnds(const char* text, size_t length, int32_t eol);
// The whole file content that a save writes: mark, encoded text, line ends.
// UTF-16 always gets its mark; ANSI never does; any unknown encoding saves as UTF-8.
std::string EncodeTextFile(const CodePage& page, const char* text, size_t length,
                           int32_t encoding, bool bom, int32_t eol);
