#include "document/restore_text.h"

void RestoreTabText(const CodePage& page, const char* bytes, size_t length, int32_t encoding, bool bom,
                    bool modified, const std::string& sessionText, RestoredText* out)
{
    *out = RestoredText();
    DecodedText stored;
    DecodeTextFileAs(page, bytes, length, encoding, bom, &stored);
    out->eol = stored.eol;
    if (stored.text == sessionText || (modified && LossOf(stored) == TextWhole)) {
        out->loss = LossOf(stored);
        return;
    }
    // The stored encoding may be one that Convert chose for the next save, which the file
    // is not in yet: read it as an open does.
    DecodedText fresh;
    DecodeTextFile(page, bytes, length, &fresh);
    if (modified) {
        // The user's unsaved text stays; it is marked as lost only when both readings lose.
        out->loss = LossOf(fresh) == TextWhole ? TextWhole : LossOf(stored);
        return;
    }
    out->loss = LossOf(fresh);
    if (fresh.text == sessionText) {
        out->eol = fresh.eol;
        return;
    }
    out->fromFile = true;
    out->text = std::move(fresh.text);
    out->encoding = fresh.encoding;
    out->bom = fresh.bom;
    out->eol = fresh.eol;
}
