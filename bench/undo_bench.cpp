// The undo recorder's own cost per keystroke and per Undo/Redo on large documents: the
// diff of the editor text against the snapshot, the merge and the snapshot update, and
// the check and snapshot patch of one undo step. Reading the text from the control and
// the control's own editing are not included (the window code measures those).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document/undo_core.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string MakeText(size_t size)
{
    std::string text;
    text.reserve(size + 64);
    unsigned line = 0;
    while (text.size() < size) {
        char buffer[96];
        int n = std::snprintf(buffer, sizeof buffer,
                              "%06u the quick brown fox jumps over the lazy dog, line %u\r\n",
                              line, line);
        text.append(buffer, static_cast<size_t>(n));
        ++line;
    }
    text.resize(size);
    return text;
}

struct Figures {
    double median, worst;
};

Figures Summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

enum class Read {
    NotTimed,     // only RecordTypedChange is timed
    IntoReused,   // the read into the spare buffer the previous keystroke handed back, then recording
    IntoFresh,    // the read into a new buffer each time, then recording and freeing the old snapshot
};

// Typing one character at `where` per keystroke, 100 ms apart, so the run merges. The
// read of the editor text is a copy from a stand-in for the control.
Figures Keystrokes(const std::string& base, size_t where, Read read, int count)
{
    UndoHistory h;
    h.snapshot = base;
    std::string control = base;
    std::string buffer;
    uint32_t tick = 1000;
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        size_t at = where + static_cast<size_t>(i);
        control.insert(control.begin() + static_cast<std::ptrdiff_t>(at), 'k');
        int32_t caret = static_cast<int32_t>(at + 1);
        tick += 100;
        auto start = Clock::now();
        double recordMs;
        {
            std::string fresh;
            std::string& editor = read == Read::IntoFresh ? fresh : buffer;
            editor.resize(control.size());
            std::memcpy(&editor[0], control.data(), control.size());
            auto recording = Clock::now();
            RecordTypedChange(h, std::move(editor), caret - 1, caret - 1, caret, caret, tick,
                              &editor);
            recordMs = MsSince(recording);
        }
        ms.push_back(read == Read::NotTimed ? recordMs : MsSince(start));
    }
    if (h.undo.size() != 1 || h.snapshot.size() != base.size() + static_cast<size_t>(count))
        std::printf("  (unexpected history: %zu steps)\n", h.undo.size());
    return Summarise(ms);
}

// Alternating Undo and Redo of one step typed in the middle, with the editor text read
// as a separate string (the usual case) or passed as the snapshot itself.
Figures UndoRedo(const std::string& base, bool separateText, int count)
{
    UndoHistory h;
    h.snapshot = base;
    std::string editor = base;
    size_t mid = base.size() / 2;
    editor.insert(mid, "typed word ");
    RecordTypedChange(h, editor, 0, 0, 0, 0, 1);
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        UndoApplication app;
        auto start = Clock::now();
        UndoOutcome outcome;
        const std::string& text = separateText ? editor : h.snapshot;
        outcome = (i % 2 == 0) ? TakeUndo(h, text, &app) : TakeRedo(h, text, &app);
        ms.push_back(MsSince(start));
        if (outcome != UndoOutcome::Applied) {
            std::printf("  (undo failed)\n");
            break;
        }
        if (separateText)
            editor.replace(static_cast<size_t>(app.replaceStart),
                           static_cast<size_t>(app.replaceEnd - app.replaceStart), *app.replacement);
    }
    return Summarise(ms);
}

void Report(const char* what, Figures f)
{
    std::printf("  %-58s median %7.3f ms   worst %7.3f ms\n", what, f.median, f.worst);
}

}  // namespace

int main()
{
    for (size_t mb : {1u, 10u}) {
        std::string base = MakeText(mb * 1000 * 1000);
        std::printf("%zu MB document\n", mb);
        Report("keystroke in the middle", Keystrokes(base, base.size() / 2, Read::NotTimed, 40));
        Report("keystroke at the start", Keystrokes(base, 0, Read::NotTimed, 40));
        Report("keystroke at the end", Keystrokes(base, base.size(), Read::NotTimed, 40));
        Report("read into the reused buffer + keystroke in the middle",
               Keystrokes(base, base.size() / 2, Read::IntoReused, 40));
        Report("read into a fresh buffer + keystroke in the middle",
               Keystrokes(base, base.size() / 2, Read::IntoFresh, 40));
        Report("undo/redo of one step (editor text read separately)", UndoRedo(base, true, 40));
        Report("undo/redo of one step (snapshot passed as the text)", UndoRedo(base, false, 40));
    }
    return 0;
}
