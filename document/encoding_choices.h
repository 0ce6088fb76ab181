#pragma once
// The five encodings a user can choose (Reload as, Convert to, the check marks of the
// Encoding menu, the status bar's name): one table, in menu order. Pure: no windows.h.

#include "document/textcodec.h"

struct EncodingChoice {
    EncodingId encoding;
    bool bom;
    const char* name; // as the status bar shows it
};

enum { kEncodingChoiceCount = 5 };

// By menu offset: ANSI, UTF-8, UTF-8 with BOM, UTF-16 LE and UTF-16 BE (both with BOM).
extern const EncodingChoice kEncodingChoices[kEncodingChoiceCount];

// The menu offset of a document's encoding (ANSI and UTF-16 whatever the BOM flag says); any
// value outside the list counts as UTF-8 without BOM.
int EncodingChoiceOffset(int32_t encoding, bool bom);
// The status bar's name of a document's encoding; "Unknown" for a value outside the list.
const char* EncodingDisplayName(int32_t encoding, bool bom);
