#include "document/encoding_choices.h"

const EncodingChoice kEncodingChoices[kEncodingChoiceCount] = {
    {Ansi, false, "ANSI"},
    {Utf8, false, "UTF-8"},
    {Utf8, true, "UTF-8-BOM"},
    {Utf16Le, true, "UTF-16 LE BOM"},
    {Utf16Be, true, "UTF-16 BE BOM"},
};

namespace {

const int kUtf8Offset = 1;

bool IsKnownEncoding(int32_t encoding)
{
    return encoding == Ansi || encoding == Utf8 || encoding == Utf16Le || encoding == Utf16Be;
}

} // namespace

int EncodingChoiceOffset(int32_t encoding, bool bom)
{
    // The row with the same mark flag, else the encoding's only row: ANSI has no mark to
    // write and UTF-16 is always written with one.
    int any = kUtf8Offset;
    for (int i = kEncodingChoiceCount - 1; i >= 0; --i) {
        if (kEncodingChoices[i].encoding != encoding)
            continue;
        if (kEncodingChoices[i].bom == bom)
            return i;
        any = i;
    }
    return any;
}

const char* EncodingDisplayName(int32_t encoding, bool bom)
{
    return IsKnownEncoding(encoding) ? kEncodingChoices[EncodingChoiceOffset(encoding, bom)].name : "Unknown";
}
