#pragma once
// What a tab restored from the session file takes from its file, which is read again at
// the restore: the session's copy of an unmodified tab may be older than the file (a pull,
// another editor), and the next save would then put the old text back. Pure: no windows.h.

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/textcodec.h"

struct RestoredText {
    bool fromFile = false; // the file's text replaces the session's copy
    std::string text;      // when fromFile: the file's text in the text model
    EncodingId encoding = Utf8;
    bool bom = false;
    EolMode eol = Crlf;
    TextLoss loss = TextWhole;
};

// bytes are the file's content; encoding and bom are the tab's as the session stored them,
// sessionText its text (CR LF). An unmodified tab whose text the file no longer gives
// (read in the stored encoding, or as a fresh open reads it) takes the file's text,
// encoding, mark and line ends; every other tab keeps the session's text and encoding and
// takes only the file's line ends. The loss is what the text model cannot keep of the file
// in the reading that stands.
void RestoreTabText(const CodePage& page, const char* bytes, size_t length, int32_t encoding, bool bom,
                    bool modified, const std::string& sessionText, RestoredText* out);
