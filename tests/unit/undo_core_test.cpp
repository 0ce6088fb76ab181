#include <doctest/doctest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "document/undo_core.h"

namespace {

// A stand-in for the edit control: it changes its text the way keys do, and reports each
// change to the recorder as the main window does on EN_CHANGE, with a fake clock.
struct FakeEditor {
    std::string text;
    int32_t selStart = 0, selEnd = 0;
    uint32_t clock = 100000;
    UndoHistory history;
    // Report each change as the edit of [start, end) it was (the keystroke path of the
    // program) instead of the whole new text.
    bool asSplice = false;

    explicit FakeEditor(const std::string& initial = "")
    {
        text = initial;
        history.snapshot = initial;
    }

    void Record(int32_t beforeStart, int32_t beforeEnd, uint32_t gap, size_t start, size_t end,
                const std::string& inserted)
    {
        clock += gap;
        if (asSplice)
            RecordTypedSplice(history, start, end, inserted, beforeStart, beforeEnd, selStart, selEnd, clock);
        else
            RecordTypedChange(history, text, beforeStart, beforeEnd, selStart, selEnd, clock);
    }

    void Select(int32_t start, int32_t end)
    {
        selStart = start;
        selEnd = end;
    }

    // Typing or pasting: the selection is replaced and the caret follows the new bytes.
    void Type(const std::string& bytes, uint32_t gap = 100)
    {
        int32_t s0 = selStart, s1 = selEnd;
        text.replace(static_cast<size_t>(s0), static_cast<size_t>(s1 - s0), bytes);
        selStart = selEnd = s0 + static_cast<int32_t>(bytes.size());
        Record(s0, s1, gap, static_cast<size_t>(s0), static_cast<size_t>(s1), bytes);
    }

    // Backspace takes a whole CR LF, as the control does.
    void Backspace(uint32_t gap = 100)
    {
        int32_t s0 = selStart, s1 = selEnd;
        int32_t from = s0, to = s1;
        if (from == to) {
            if (from == 0)
                return;
            from -= (from >= 2 && text.compare(static_cast<size_t>(from - 2), 2, "\r\n") == 0) ? 2 : 1;
        }
        text.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
        selStart = selEnd = from;
        Record(s0, s1, gap, static_cast<size_t>(from), static_cast<size_t>(to), "");
    }

    void Delete(uint32_t gap = 100)
    {
        int32_t s0 = selStart, s1 = selEnd;
        int32_t to = s1 == s0 ? s0 + 1 : s1;
        text.erase(static_cast<size_t>(s0), static_cast<size_t>(to - s0));
        selEnd = selStart;
        Record(s0, s1, gap, static_cast<size_t>(s0), static_cast<size_t>(to), "");
    }

    void Apply(const UndoApplication& app)
    {
        text.replace(static_cast<size_t>(app.replaceStart),
                     static_cast<size_t>(app.replaceEnd - app.replaceStart), *app.replacement);
        Select(app.selStart, app.selEnd);
    }

    UndoOutcome Undo()
    {
        UndoApplication app;
        UndoOutcome outcome = TakeUndo(history, text, &app);
        if (outcome == UndoOutcome::Applied)
            Apply(app);
        return outcome;
    }

    UndoOutcome Redo()
    {
        UndoApplication app;
        UndoOutcome outcome = TakeRedo(history, text, &app);
        if (outcome == UndoOutcome::Applied)
            Apply(app);
        return outcome;
    }
};

struct ExpectedStep {
    UndoStepKind kind;
    int32_t position;
    std::string removed;
    std::string inserted;
};

void CheckSteps(const std::vector<UndoStep>& steps, const std::vector<ExpectedStep>& expected)
{
    REQUIRE(steps.size() == expected.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        CAPTURE(i);
        CHECK(steps[i].kind == expected[i].kind);
        CHECK(steps[i].position == expected[i].position);
        CHECK(steps[i].removed == expected[i].removed);
        CHECK(steps[i].inserted == expected[i].inserted);
    }
}

// The prefix/suffix rule written out plainly, to check the block-wise scans against.
TextDiff NaiveDiff(const std::string& a, const std::string& b)
{
    size_t shorter = a.size() < b.size() ? a.size() : b.size();
    size_t pos = 0;
    while (pos < shorter && a[pos] == b[pos])
        ++pos;
    long oldEnd = static_cast<long>(a.size()) - 1, newEnd = static_cast<long>(b.size()) - 1;
    while ((oldEnd < newEnd ? oldEnd : newEnd) >= static_cast<long>(pos) && a[oldEnd] == b[newEnd]) {
        --oldEnd;
        --newEnd;
    }
    TextDiff d;
    d.position = pos;
    d.removedLength = static_cast<size_t>(oldEnd + 1) - pos;
    d.insertedLength = static_cast<size_t>(newEnd + 1) - pos;
    return d;
}

const auto I = UndoStepKind::Insert;
const auto D = UndoStepKind::Delete;
const auto R = UndoStepKind::Replace;

}  // namespace

TEST_CASE("diff of two texts")
{
    struct Row {
        const char* oldText;
        const char* newText;
        size_t position, removed, inserted;
    };
    const Row rows[] = {
        {"", "a", 0, 0, 1},
        {"abc", "abXc", 2, 0, 1},
        {"abc", "ac", 1, 1, 0},
        {"abc", "aXYc", 1, 1, 2},
        {"aaa", "aaaa", 3, 0, 1},   // the suffix never reaches back into the prefix
        {"abab", "ab", 2, 2, 0},
        {"abc", "", 0, 3, 0},
        {"x\r\ny", "x\r\n\r\ny", 3, 0, 2},
    };
    for (const Row& row : rows) {
        CAPTURE(row.oldText);
        CAPTURE(row.newText);
        TextDiff d;
        REQUIRE(DiffTexts(row.oldText, row.newText, &d));
        CHECK(d.position == row.position);
        CHECK(d.removedLength == row.removed);
        CHECK(d.insertedLength == row.inserted);
    }
    TextDiff untouched;
    untouched.position = 77;
    CHECK_FALSE(DiffTexts("same", "same", &untouched));
    CHECK_FALSE(DiffTexts("", "", &untouched));
    CHECK(untouched.position == 77);
}

TEST_CASE("diff agrees with the byte-by-byte rule across scan blocks")
{
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        size_t length = rng() % 20000;
        std::string a(length, 'a');
        for (char& c : a)
            c = static_cast<char>('a' + rng() % 3);  // few letters: long accidental matches
        std::string b = a;
        size_t at = length ? rng() % (length + 1) : 0;
        size_t cut = std::min<size_t>(rng() % 9000, length - at);
        std::string put(rng() % 9000, 'b');
        for (char& c : put)
            c = static_cast<char>('a' + rng() % 3);
        b.replace(at, cut, put);
        if (a == b)
            continue;
        TextDiff got, want = NaiveDiff(a, b);
        REQUIRE(DiffTexts(a, b, &got));
        CAPTURE(round);
        REQUIRE(got.position == want.position);
        REQUIRE(got.removedLength == want.removedLength);
        REQUIRE(got.insertedLength == want.insertedLength);
    }
}

TEST_CASE("the diff of an edit at a known place equals the diff of the whole texts")
{
    std::mt19937 rng(777);
    for (int round = 0; round < 3000; ++round) {
        size_t length = rng() % (round < 2000 ? 40 : 20000);
        std::string a(length, 'a');
        for (char& c : a)
            c = static_cast<char>('a' + rng() % 2);  // two letters: the diff slides a lot
        size_t start = length ? rng() % (length + 1) : 0;
        size_t end = start + std::min<size_t>(rng() % 6, length - start);
        std::string put(rng() % 6, 'a');
        for (char& c : put)
            c = static_cast<char>('a' + rng() % 2);
        std::string b = a;
        b.replace(start, end - start, put);
        CAPTURE(round);
        TextDiff got, want;
        bool changed = DiffTexts(a, b, &want);
        REQUIRE(DiffSplicedText(a, start, end, put, &got) == changed);
        if (!changed)
            continue;
        REQUIRE(got.position == want.position);
        REQUIRE(got.removedLength == want.removedLength);
        REQUIRE(got.insertedLength == want.insertedLength);

        UndoHistory whole, spliced;
        whole.snapshot = spliced.snapshot = a;
        RecordTypedChange(whole, b, 0, 0, 0, 0, 1);
        RecordTypedSplice(spliced, start, end, put, 0, 0, 0, 0, 1);
        REQUIRE(spliced.snapshot == b);
        REQUIRE(spliced.undo.size() == 1);
        CHECK(spliced.undo[0].removed == whole.undo[0].removed);
        CHECK(spliced.undo[0].inserted == whole.undo[0].inserted);
        CHECK(spliced.undo[0].position == whole.undo[0].position);
    }
    UndoHistory h;
    h.snapshot = "abc";
    CHECK_FALSE(RecordTypedSplice(h, 2, 4, "x", 0, 0, 0, 0, 1));
    CHECK_FALSE(RecordTypedSplice(h, 2, 1, "x", 0, 0, 0, 0, 1));
    CHECK_FALSE(RecordTypedSplice(h, 1, 2, "b", 0, 0, 0, 0, 1));
    CHECK(h.snapshot == "abc");
    CHECK(h.undo.empty());
}

TEST_CASE("typing and backspace runs merge by their rules")
{
    struct Row {
        const char* name;
        void (*play)(FakeEditor&);
        const char* initial;
        std::vector<ExpectedStep> steps;
    };
    const Row rows[] = {
        {"a word and its spaces, then the next word",
         [](FakeEditor& e) { e.Type("a"); e.Type("b"); e.Type(" "); e.Type(" "); e.Type("c"); e.Type("d"); },
         "", {{I, 0, "", "ab  "}, {I, 4, "", "cd"}}},
        {"a pause of 1200 ms opens a new step",
         [](FakeEditor& e) { e.Type("a"); e.Type("b", 1200); },
         "", {{I, 0, "", "a"}, {I, 1, "", "b"}}},
        {"1199 ms still merges",
         [](FakeEditor& e) { e.Type("a"); e.Type("b", 1199); },
         "", {{I, 0, "", "ab"}}},
        {"CR LF opens a step that the next letters join",
         [](FakeEditor& e) { e.Type("x"); e.Type("\r\n"); e.Type("y"); },
         "", {{I, 0, "", "x"}, {I, 1, "", "\r\ny"}}},
        {"a backspace run is one delete in document order",
         [](FakeEditor& e) { e.Type("a"); e.Type("b"); e.Type("c"); e.Backspace(); e.Backspace(); e.Backspace(); },
         "", {{I, 0, "", "abc"}, {D, 0, "abc", ""}}},
        {"backspace over a line break opens a step the next backspaces join",
         [](FakeEditor& e) { e.Select(4, 4); e.Backspace(); e.Backspace(); e.Backspace(); },
         "ab\r\ncd", {{D, 0, "ab\r\n", ""}}},
        {"a line break after a backspace run opens a new step",
         [](FakeEditor& e) { e.Select(5, 5); e.Backspace(); e.Backspace(); },
         "ab\r\ncd", {{D, 4, "c", ""}, {D, 2, "\r\n", ""}}},
        {"forward deletes give one step each",
         [](FakeEditor& e) { e.Delete(); e.Delete(); e.Delete(); },
         "abc", {{D, 0, "a", ""}, {D, 0, "b", ""}, {D, 0, "c", ""}}},
        {"typing over a selection replaces; what follows does not merge into it",
         [](FakeEditor& e) { e.Select(1, 4); e.Type("x"); e.Type("y"); },
         "abcde", {{R, 1, "bcd", "x"}, {I, 2, "", "y"}}},
        {"a paste without line breaks continues a typing run",
         [](FakeEditor& e) { e.Type("a"); e.Type("pasted"); },
         "", {{I, 0, "", "apasted"}}},
        {"a paste with line breaks is a step of its own",
         [](FakeEditor& e) { e.Type("a"); e.Type("one\r\ntwo"); e.Type("z"); },
         "", {{I, 0, "", "a"}, {I, 1, "", "one\r\ntwoz"}}},
        {"typing elsewhere does not merge",
         [](FakeEditor& e) { e.Type("a"); e.Select(0, 0); e.Type("b"); },
         "", {{I, 0, "", "a"}, {I, 0, "", "b"}}},
        {"a typed change and a backspace never merge",
         [](FakeEditor& e) { e.Type("a"); e.Type("b"); e.Backspace(); },
         "", {{I, 0, "", "ab"}, {D, 1, "b", ""}}},
    };
    for (bool asSplice : {false, true}) {
        for (const Row& row : rows) {
            CAPTURE(row.name);
            CAPTURE(asSplice);
            FakeEditor editor(row.initial);
            editor.asSplice = asSplice;
            row.play(editor);
            CheckSteps(editor.history.undo, row.steps);
            CHECK(editor.history.snapshot == editor.text);
            CHECK(editor.history.redo.empty());
        }
    }
}

TEST_CASE("merging keeps the first selection before and renews the tick")
{
    FakeEditor e("abc");
    e.Select(3, 3);
    e.Backspace(50);
    e.Backspace(50);
    uint32_t lastTick = e.clock;
    REQUIRE(e.history.undo.size() == 1);
    const UndoStep& step = e.history.undo.back();
    CHECK(step.selBeforeStart == 3);
    CHECK(step.selAfterStart == 1);
    CHECK(step.tick == lastTick);
    CHECK(e.Undo() == UndoOutcome::Applied);
    CHECK(e.text == "abc");
    CHECK(e.selStart == 3);
    CHECK(e.selEnd == 3);
}

TEST_CASE("the merge window survives the wrap of the tick count")
{
    FakeEditor e;
    e.clock = 0xFFFFFF00u;
    e.Type("a", 0);
    e.Type("b", 0x200);  // the clock wraps past zero
    CHECK(e.clock < 0x1000u);
    CheckSteps(e.history.undo, {{I, 0, "", "ab"}});
}

TEST_CASE("undo and redo restore text and selections")
{
    FakeEditor e("hello");
    e.Select(0, 5);
    e.Type("bye", 2000);
    e.Type("!", 2000);
    CHECK(e.Undo() == UndoOutcome::Applied);
    CHECK(e.text == "bye");
    CHECK(e.Undo() == UndoOutcome::Applied);
    CHECK(e.text == "hello");
    CHECK(e.selStart == 0);
    CHECK(e.selEnd == 5);
    CHECK(e.history.snapshot == e.text);
    CHECK(e.Undo() == UndoOutcome::NothingToDo);
    CHECK(UndoStatusText(e.history, UndoOutcome::NothingToDo, false) == "Already at oldest change");

    CHECK(e.Redo() == UndoOutcome::Applied);
    CHECK(e.text == "bye");
    CHECK(e.selStart == 3);
    CHECK(UndoStatusText(e.history, UndoOutcome::Applied, true) == "Redo (1 redoes left)");
    CHECK(UndoStatusText(e.history, UndoOutcome::Applied, false) == "Undo (1 changes left)");
    CHECK(e.Redo() == UndoOutcome::Applied);
    CHECK(e.text == "bye!");
    CHECK(e.Redo() == UndoOutcome::NothingToDo);
    CHECK(UndoStatusText(e.history, UndoOutcome::NothingToDo, true) == "Already at newest change");
    CHECK(e.history.snapshot == e.text);
}

TEST_CASE("a recorded change empties the redo stack; an unchanged text records nothing")
{
    FakeEditor e;
    e.Type("abc");
    e.Undo();
    REQUIRE(e.history.redo.size() == 1);
    CHECK_FALSE(RecordTypedChange(e.history, e.text, 0, 0, 0, 0, e.clock + 5000));
    CHECK(e.history.redo.size() == 1);
    e.Type("x", 5000);
    CHECK(e.history.redo.empty());
    CHECK(e.Redo() == UndoOutcome::NothingToDo);
}

TEST_CASE("the spare buffer gets the previous snapshot back")
{
    UndoHistory h;
    h.snapshot = "before";
    std::string buffer = "before!";
    REQUIRE(RecordTypedChange(h, std::move(buffer), 6, 6, 7, 7, 1, &buffer));
    CHECK(h.snapshot == "before!");
    CHECK(buffer == "before");
    buffer = "before!";
    CHECK_FALSE(RecordTypedChange(h, std::move(buffer), 7, 7, 7, 7, 2, &buffer));
    CHECK(buffer == "before!");  // nothing recorded: the caller keeps its text

    buffer = "after";
    REQUIRE(RecordCapturedChange(h, h.snapshot, std::move(buffer), 0, 7, 0, 5, 3, &buffer));
    CHECK(h.snapshot == "after");
    CHECK(buffer == "before!");
    CheckSteps(h.undo, {{I, 6, "", "!"}, {R, 0, "before!", "after"}});
}

TEST_CASE("the restored selection is limited to the text")
{
    UndoHistory h;
    h.snapshot = "abc";
    UndoStep step;
    step.position = 1;
    step.inserted = "bc";
    step.kind = UndoStepKind::Insert;
    step.selBeforeStart = -4;
    step.selBeforeEnd = 99;
    h.undo.push_back(step);
    UndoApplication app;
    REQUIRE(TakeUndo(h, h.snapshot, &app) == UndoOutcome::Applied);
    CHECK(h.snapshot == "a");
    CHECK(app.replaceStart == 1);
    CHECK(app.replaceEnd == 3);
    CHECK(*app.replacement == "");
    CHECK(app.selStart == 0);
    CHECK(app.selEnd == 1);
}

TEST_CASE("a step that does not fit the text is not applied and drops the history")
{
    struct Row {
        const char* name;
        bool redo;
        int32_t position;
        std::string removed;
        std::string inserted;
    };
    // The text is always "abcdef".
    const Row rows[] = {
        {"undo: other bytes at the position", false, 1, "", "XY"},
        {"undo: inserted text runs past the end", false, 4, "", "efg"},
        {"undo: position past the end", false, 7, "q", ""},
        {"undo: negative position", false, -1, "q", ""},
        {"undo: a zero byte cannot go into the editor", false, 0, std::string("a\0b", 3), "ab"},
        {"redo: removed text not there", true, 2, "zz", "q"},
        {"redo: position past the end", true, 9, "", "q"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        for (bool wasModified : {false, true}) {
            UndoHistory h;
            h.snapshot = "stale snapshot";
            UndoStep fine;
            fine.inserted = "x";
            h.undo.push_back(fine);
            UndoStep step;
            step.position = row.position;
            step.removed = row.removed;
            step.inserted = row.inserted;
            (row.redo ? h.redo : h.undo).push_back(step);
            h.savedIndex = wasModified ? 7 : static_cast<int32_t>(h.undo.size());
            const std::string text = "abcdef";
            UndoApplication app;
            UndoOutcome outcome = row.redo ? TakeRedo(h, text, &app) : TakeUndo(h, text, &app);
            CHECK(outcome == UndoOutcome::HistoryDropped);
            CHECK(app.replacement == nullptr);
            CHECK(h.undo.empty());
            CHECK(h.redo.empty());
            CHECK(h.snapshot == text);
            CHECK(HistoryIsModified(h) == wasModified);
            CHECK(UndoStatusText(h, outcome, row.redo) == kUndoHistoryDroppedStatus);
        }
    }
}

TEST_CASE("a captured change is one Replace step that nothing merges with")
{
    UndoHistory h;
    h.snapshot = "one two";
    // A capture that only inserts is still a Replace.
    CHECK(RecordCapturedChange(h, h.snapshot, "one, two", 3, 3, 4, 4, 1000));
    CheckSteps(h.undo, {{R, 3, "", ","}});
    CHECK(h.snapshot == "one, two");
    CHECK(h.undo[0].selBeforeStart == 3);
    CHECK(h.undo[0].selAfterEnd == 4);
    // Typing straight after it does not merge into it.
    CHECK(RecordTypedChange(h, "one,! two", 4, 4, 5, 5, 1010));
    CHECK(h.undo.size() == 2);
    // And the next capture does not merge into the typing.
    std::string base = h.snapshot;
    CHECK(RecordCapturedChange(h, base, "one,!? two", 5, 5, 6, 6, 1020));
    CHECK(h.undo.size() == 3);

    // Nothing changed: no step, and the redo stack stays.
    UndoApplication app;
    REQUIRE(TakeUndo(h, h.snapshot, &app) == UndoOutcome::Applied);
    CHECK_FALSE(RecordCapturedChange(h, h.snapshot, h.snapshot, 0, 0, 0, 0, 2000));
    CHECK(h.redo.size() == 1);
    CHECK(h.undo.size() == 2);
}

TEST_CASE("the modified flag follows the save point")
{
    SUBCASE("undo back to the save point is unmodified, redo past it modified")
    {
        FakeEditor e;
        e.Type("a", 2000);
        e.Type("b", 2000);
        MarkHistorySaved(e.history);
        CHECK_FALSE(HistoryIsModified(e.history));
        e.Type("c", 2000);
        CHECK(HistoryIsModified(e.history));
        e.Undo();
        CHECK_FALSE(HistoryIsModified(e.history));
        e.Undo();
        CHECK(HistoryIsModified(e.history));
        e.Redo();
        CHECK_FALSE(HistoryIsModified(e.history));
        e.Redo();
        CHECK(HistoryIsModified(e.history));
    }
    SUBCASE("save, undo, type something else: modified")
    {
        FakeEditor e;
        e.Type("a", 2000);
        e.Type("b", 2000);
        MarkHistorySaved(e.history);
        e.Undo();
        e.Type("c", 2000);
        CHECK(e.text == "ac");
        CHECK(e.history.undo.size() == 2);
        CHECK(e.history.savedIndex == kUndoSavePointLost);
        CHECK(HistoryIsModified(e.history));
        e.Undo();
        CHECK(HistoryIsModified(e.history));  // "a" was never saved either
    }
    SUBCASE("typing right after a save does not merge into the saved step")
    {
        FakeEditor e;
        e.Type("a");
        e.Type("b");
        MarkHistorySaved(e.history);
        e.Type("c");
        CHECK(HistoryIsModified(e.history));
        CheckSteps(e.history.undo, {{I, 0, "", "ab"}, {I, 2, "", "c"}});
        e.Undo();
        CHECK(e.text == "ab");
        CHECK_FALSE(HistoryIsModified(e.history));
    }
    SUBCASE("undo to a save point reached by undoing, then typing, stays modified")
    {
        FakeEditor e;
        e.Type("a", 2000);
        e.Type("b", 2000);
        e.Undo();
        MarkHistorySaved(e.history);  // saved with "b" on the redo stack
        e.Type("x", 10);
        CHECK(HistoryIsModified(e.history));
        e.Undo();
        CHECK(e.text == "a");
        CHECK_FALSE(HistoryIsModified(e.history));
    }
}

namespace {

// A full stack of steps that each typed one 'x' at the end, so undoing them all is consistent.
UndoHistory FullHistory(int32_t savedIndex)
{
    UndoHistory h;
    h.undo.resize(kUndoStepLimit);
    for (size_t i = 0; i < kUndoStepLimit; ++i) {
        h.undo[i].position = static_cast<int32_t>(i);
        h.undo[i].inserted = "x";
        h.undo[i].kind = UndoStepKind::Insert;
    }
    h.snapshot.assign(kUndoStepLimit, 'x');
    h.savedIndex = savedIndex;
    return h;
}

void TypeOneMore(UndoHistory& h)
{
    std::string text = h.snapshot + "y";
    int32_t end = static_cast<int32_t>(text.size());
    REQUIRE(RecordTypedChange(h, std::move(text), end - 1, end - 1, end, end, 50000));
}

}  // namespace

TEST_CASE("the undo stack keeps the newest 100,000 steps")
{
    struct Row {
        int32_t savedBefore;
        int32_t savedAfter;
    };
    const Row rows[] = {
        {5, 4},
        {1, 0},
        {0, kUndoSavePointLost},
        {kUndoSavePointLost, kUndoSavePointLost},
        {100000, 99999},
    };
    for (const Row& row : rows) {
        CAPTURE(row.savedBefore);
        UndoHistory h = FullHistory(row.savedBefore);
        TypeOneMore(h);
        CHECK(h.undo.size() == kUndoStepLimit);
        CHECK(h.undo.front().position == 1);
        CHECK(h.undo.back().inserted == "y");
        CHECK(h.savedIndex == row.savedAfter);
    }
}

TEST_CASE("a document saved before the dropped step stays modified when all is undone")
{
    UndoHistory h = FullHistory(0);
    TypeOneMore(h);
    UndoApplication app;
    while (TakeUndo(h, h.snapshot, &app) == UndoOutcome::Applied) {
    }
    CHECK(h.undo.empty());
    CHECK(h.redo.size() == kUndoStepLimit);
    CHECK(h.snapshot == "x");
    CHECK(HistoryIsModified(h));
}

TEST_CASE("a captured change also respects the step bound and the save point")
{
    UndoHistory h;
    h.undo.resize(kUndoStepLimit);
    h.savedIndex = 0;
    h.snapshot = "a";
    CHECK(RecordCapturedChange(h, h.snapshot, "b", 0, 1, 0, 1, 1));
    CHECK(h.undo.size() == kUndoStepLimit);
    CHECK(h.savedIndex == kUndoSavePointLost);

    UndoHistory g;
    g.snapshot = "ab";
    g.undo.resize(1);
    g.redo.resize(2);
    g.savedIndex = 3;  // the save point lies on the redo stack
    CHECK(RecordCapturedChange(g, g.snapshot, "abc", 2, 2, 3, 3, 1));
    CHECK(g.savedIndex == kUndoSavePointLost);
    CHECK(g.redo.empty());
}
