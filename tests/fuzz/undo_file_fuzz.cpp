// The undo-file reader on arbitrary bytes: no crash, no read past the buffer, no
// allocation beyond what the buffer could fill, and whatever it reads whole writes back
// to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/undo_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<UndoStep> undo, redo;
    int32_t savedIndex = 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    UndoFileRead result = ParseUndoFile(bytes, size, undo, redo, &savedIndex);
    size_t textBytes = 0;
    for (const UndoStep& s : undo)
        textBytes += s.removed.size() + s.inserted.size();
    for (const UndoStep& s : redo)
        textBytes += s.removed.size() + s.inserted.size();
    if (textBytes > size)
        std::abort();
    if (result == UndoFileRead::Complete && size >= 25) {
        std::string again = SerializeUndoFile(undo, redo, savedIndex);
        if (again.size() > size || again.compare(0, again.size(), bytes, again.size()) != 0)
            std::abort();
    }
    return 0;
}
