#include "document/undo_core.h"

#include <cstdio>
#include <cstring>

const char kUndoStatusFormat[] = "Undo (%u changes left)";
const char kRedoStatusFormat[] = "Redo (%u redoes left)";
const char kUndoAtOldestStatus[] = "Already at oldest change";
const char kRedoAtNewestStatus[] = "Already at newest change";
const char kUndoHistoryDroppedStatus[] = "Undo history does not match the text; history dropped";
const char kUndoReadOnlyStatus[] = "Undo is off while the document is read-only (Edit > Read-Only Mode)";
const char kRedoReadOnlyStatus[] = "Redo is off while the document is read-only (Edit > Read-Only Mode)";

namespace {

// Whole blocks go through memcmp, so a keystroke in a 10 MB text costs two fast scans;
// only the block holding the first difference is walked byte by byte.
constexpr size_t kScanBlock = 4096;

size_t CommonPrefixLength(const char* a, const char* b, size_t limit)
{
    size_t n = 0;
    while (limit - n >= kScanBlock && std::memcmp(a + n, b + n, kScanBlock) == 0)
        n += kScanBlock;
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

// aEnd and bEnd point one past the last byte of each text.
size_t CommonSuffixLength(const char* aEnd, const char* bEnd, size_t limit)
{
    size_t n = 0;
    while (limit - n >= kScanBlock &&
           std::memcmp(aEnd - n - kScanBlock, bEnd - n - kScanBlock, kScanBlock) == 0)
        n += kScanBlock;
    while (n < limit && aEnd[-1 - static_cast<ptrdiff_t>(n)] == bEnd[-1 - static_cast<ptrdiff_t>(n)])
        ++n;
    return n;
}

// Dropping the redo steps loses the save point when it lay among them.
void ClearRedo(UndoHistory& history)
{
    ++history.revision;
    if (history.savedIndex > static_cast<int64_t>(history.undo.size()))
        history.savedIndex = kUndoSavePointLost;
    history.redo.clear();
}

void EnforceStepLimit(UndoHistory& history)
{
    if (history.undo.size() <= kUndoStepLimit)
        return;
    size_t excess = history.undo.size() - kUndoStepLimit;
    history.undo.erase(history.undo.begin(), history.undo.begin() + static_cast<ptrdiff_t>(excess));
    // A save point before the dropped steps can never be reached again; 0 must not stay
    // 0, or undoing everything would show the document as unmodified.
    if (history.savedIndex >= static_cast<int64_t>(excess))
        history.savedIndex -= static_cast<int32_t>(excess);
    else
        history.savedIndex = kUndoSavePointLost;
}

UndoStepKind KindOf(const TextDiff& d)
{
    if (d.removedLength == 0)
        return UndoStepKind::Insert;
    if (d.insertedLength == 0)
        return UndoStepKind::Delete;
    return UndoStepKind::Replace;
}

bool WithinMergeGap(const UndoStep& last, uint32_t tick)
{
    return static_cast<uint32_t>(tick - last.tick) <= kUndoMergeMaxGapMs;
}

// Merges a typed change into the newest step when it continues a typing or backspace
// run. The step right before a save point is never extended: the saved state must stay
// reachable, or the document would show as unmodified although it differs.
bool TryMergeTyped(UndoHistory& history, const TextDiff& d, UndoStepKind kind, const char* gone,
                   const char* added, int32_t selAfterStart, int32_t selAfterEnd, uint32_t tick)
{
    if (history.undo.empty() || history.savedIndex == static_cast<int64_t>(history.undo.size()))
        return false;
    UndoStep& last = history.undo.back();
    if (!WithinMergeGap(last, tick))
        return false;
    if (kind == UndoStepKind::Insert && last.kind == UndoStepKind::Insert) {
        if (static_cast<int64_t>(d.position) !=
            static_cast<int64_t>(last.position) + static_cast<int64_t>(last.inserted.size()))
            return false;
        if (std::memchr(added, '\r', d.insertedLength) || std::memchr(added, '\n', d.insertedLength))
            return false;
        if (!last.inserted.empty() && last.inserted.back() == ' ' && added[0] != ' ')
            return false;
        last.inserted.append(added, d.insertedLength);
    } else if (kind == UndoStepKind::Delete && last.kind == UndoStepKind::Delete) {
        if (static_cast<int64_t>(d.position + d.removedLength) != static_cast<int64_t>(last.position))
            return false;
        if (std::memchr(gone, '\r', d.removedLength) || std::memchr(gone, '\n', d.removedLength))
            return false;
        last.removed.insert(0, gone, d.removedLength);
        last.position = static_cast<int32_t>(d.position);
    } else {
        return false;
    }
    last.selAfterStart = selAfterStart;
    last.selAfterEnd = selAfterEnd;
    last.tick = tick;
    return true;
}

void PushStep(UndoHistory& history, const TextDiff& d, UndoStepKind kind, const char* gone,
              const char* added, int32_t selBeforeStart, int32_t selBeforeEnd, int32_t selAfterStart,
              int32_t selAfterEnd, uint32_t tick)
{
    UndoStep step;
    step.position = static_cast<int32_t>(d.position);
    step.removed.assign(gone, d.removedLength);
    step.inserted.assign(added, d.insertedLength);
    step.selBeforeStart = selBeforeStart;
    step.selBeforeEnd = selBeforeEnd;
    step.selAfterStart = selAfterStart;
    step.selAfterEnd = selAfterEnd;
    step.tick = tick;
    step.kind = kind;
    history.undo.push_back(std::move(step));
    EnforceStepLimit(history);
}

// A typed change: merged into the newest step when it continues a run, else a new step.
void RecordDiff(UndoHistory& history, const TextDiff& d, const char* gone, const char* added,
                int32_t selBeforeStart, int32_t selBeforeEnd, int32_t selAfterStart,
                int32_t selAfterEnd, uint32_t tick)
{
    UndoStepKind kind = KindOf(d);
    ClearRedo(history);
    if (!TryMergeTyped(history, d, kind, gone, added, selAfterStart, selAfterEnd, tick))
        PushStep(history, d, kind, gone, added, selBeforeStart, selBeforeEnd, selAfterStart,
                 selAfterEnd, tick);
}

// The new text T = S[0, start) + inserted + S[end, n), read without building it.
struct SplicedText {
    const std::string& s;
    size_t start, end;
    const std::string& inserted;
    size_t Size() const { return s.size() - (end - start) + inserted.size(); }
    char At(size_t i) const
    {
        if (i < start)
            return s[i];
        if (i < start + inserted.size())
            return inserted[i - start];
        return s[i - start - inserted.size() + end];
    }
};

bool TextHoldsAt(const std::string& text, int32_t position, const std::string& expected)
{
    if (position < 0 || static_cast<size_t>(position) > text.size())
        return false;
    size_t pos = static_cast<size_t>(position);
    if (expected.size() > text.size() - pos)
        return false;
    return std::memcmp(text.data() + pos, expected.data(), expected.size()) == 0;
}

int32_t ClampToLength(int32_t value, size_t length)
{
    if (value < 0)
        return 0;
    if (static_cast<size_t>(value) > length)
        return static_cast<int32_t>(length);
    return value;
}

// One direction of undo/redo: `from` gives the step, `to` receives it. `present` is the
// text the step must find at its position, `replacement` what goes there instead.
UndoOutcome TakeStep(UndoHistory& history, std::vector<UndoStep>& from, std::vector<UndoStep>& to,
                     const std::string& editorText, bool redo, UndoApplication* out)
{
    if (from.empty())
        return UndoOutcome::NothingToDo;
    ++history.revision;
    UndoStep& step = from.back();
    const std::string& present = redo ? step.removed : step.inserted;
    const std::string& replacement = redo ? step.inserted : step.removed;
    // The control cannot hold a zero byte, so such a replacement could never match later.
    if (!TextHoldsAt(editorText, step.position, present) ||
        std::memchr(replacement.data(), 0, replacement.size())) {
        if (&editorText != &history.snapshot)
            history.snapshot = editorText;
        DropHistorySteps(history);
        return UndoOutcome::HistoryDropped;
    }
    if (&editorText != &history.snapshot && history.snapshot != editorText)
        history.snapshot = editorText;
    size_t pos = static_cast<size_t>(step.position);
    history.snapshot.replace(pos, present.size(), replacement);

    UndoApplication app;
    app.replaceStart = step.position;
    app.replaceEnd = static_cast<int32_t>(pos + present.size());
    size_t newLength = history.snapshot.size();
    app.selStart = ClampToLength(redo ? step.selAfterStart : step.selBeforeStart, newLength);
    app.selEnd = ClampToLength(redo ? step.selAfterEnd : step.selBeforeEnd, newLength);

    to.push_back(std::move(step));
    from.pop_back();
    app.replacement = redo ? &to.back().inserted : &to.back().removed;
    if (out)
        *out = app;
    return UndoOutcome::Applied;
}

}  // namespace

bool DiffTexts(const std::string& oldText, const std::string& newText, TextDiff* out)
{
    size_t oldLen = oldText.size();
    size_t newLen = newText.size();
    size_t shorter = oldLen < newLen ? oldLen : newLen;
    size_t pos = CommonPrefixLength(oldText.data(), newText.data(), shorter);
    if (pos == shorter && oldLen == newLen)
        return false;
    size_t suffix =
        CommonSuffixLength(oldText.data() + oldLen, newText.data() + newLen, shorter - pos);
    out->position = pos;
    out->removedLength = oldLen - pos - suffix;
    out->insertedLength = newLen - pos - suffix;
    return true;
}

bool DiffSplicedText(const std::string& oldText, size_t start, size_t end,
                     const std::string& inserted, TextDiff* out)
{
    SplicedText t{oldText, start, end, inserted};
    size_t oldLen = oldText.size(), newLen = t.Size();
    size_t shorter = oldLen < newLen ? oldLen : newLen;
    const char* s = oldText.data();

    // Before `start` the two texts are the same bytes; inside `inserted` they are compared
    // one by one; after it the new text is the old one shifted, which memcmp can scan.
    size_t pos = start < shorter ? start : shorter;
    size_t insertedEnd = start + inserted.size();
    while (pos < shorter && pos < insertedEnd && t.At(pos) == s[pos])
        ++pos;
    if (pos < shorter && pos >= insertedEnd)
        pos += CommonPrefixLength(s + static_cast<ptrdiff_t>(pos) + (static_cast<ptrdiff_t>(oldLen) -
                                                                     static_cast<ptrdiff_t>(newLen)),
                                  s + pos, shorter - pos);
    if (pos == shorter && oldLen == newLen)
        return false;

    size_t limit = shorter - pos, suffix = 0;
    // The tail after `inserted` is the old tail itself.
    size_t tail = oldLen - end;
    suffix = tail < limit ? tail : limit;
    while (suffix < limit && newLen - 1 - suffix >= start &&
           t.At(newLen - 1 - suffix) == s[oldLen - 1 - suffix])
        ++suffix;
    if (suffix < limit && newLen - 1 - suffix < start)
        suffix += CommonSuffixLength(s + newLen - suffix, s + oldLen - suffix, limit - suffix);
    out->position = pos;
    out->removedLength = oldLen - pos - suffix;
    out->insertedLength = newLen - pos - suffix;
    return true;
}

bool HistoryIsModified(const UndoHistory& history)
{
    return static_cast<int64_t>(history.undo.size()) != history.savedIndex;
}

void MarkHistorySaved(UndoHistory& history)
{
    ++history.revision;
    history.savedIndex = static_cast<int32_t>(history.undo.size());
}

void DropHistorySteps(UndoHistory& history)
{
    ++history.revision;
    history.savedIndex = HistoryIsModified(history) ? kUndoSavePointLost : 0;
    history.undo.clear();
    history.redo.clear();
}

bool RecordTypedChange(UndoHistory& history, std::string editorText, int32_t selBeforeStart,
                       int32_t selBeforeEnd, int32_t selAfterStart, int32_t selAfterEnd,
                       uint32_t tick, std::string* spareBuffer)
{
    TextDiff d;
    bool changed = DiffTexts(history.snapshot, editorText, &d);
    if (changed) {
        RecordDiff(history, d, history.snapshot.data() + d.position, editorText.data() + d.position,
                   selBeforeStart, selBeforeEnd, selAfterStart, selAfterEnd, tick);
        history.snapshot.swap(editorText);
    }
    if (spareBuffer)
        spareBuffer->swap(editorText);
    return changed;
}

bool RecordTypedSplice(UndoHistory& history, size_t start, size_t end, const std::string& inserted,
                       int32_t selBeforeStart, int32_t selBeforeEnd, int32_t selAfterStart,
                       int32_t selAfterEnd, uint32_t tick)
{
    std::string& snapshot = history.snapshot;
    if (start > end || end > snapshot.size())
        return false;
    TextDiff d;
    if (!DiffSplicedText(snapshot, start, end, inserted, &d))
        return false;
    SplicedText t{snapshot, start, end, inserted};
    std::string added;
    added.reserve(d.insertedLength);
    for (size_t i = 0; i < d.insertedLength; ++i)
        added.push_back(t.At(d.position + i));
    RecordDiff(history, d, snapshot.data() + d.position, added.data(), selBeforeStart,
               selBeforeEnd, selAfterStart, selAfterEnd, tick);
    snapshot.replace(start, end - start, inserted);
    return true;
}

bool RecordCapturedChange(UndoHistory& history, const std::string& baseText,
                          std::string editorText, int32_t selBeforeStart, int32_t selBeforeEnd,
                          int32_t selAfterStart, int32_t selAfterEnd, uint32_t tick,
                          std::string* spareBuffer)
{
    TextDiff d;
    bool changed = DiffTexts(baseText, editorText, &d);
    if (changed) {
        ClearRedo(history);
        PushStep(history, d, UndoStepKind::Replace, baseText.data() + d.position,
                 editorText.data() + d.position, selBeforeStart, selBeforeEnd, selAfterStart,
                 selAfterEnd, tick);
        history.snapshot.swap(editorText);
    }
    if (spareBuffer)
        spareBuffer->swap(editorText);
    return changed;
}

UndoOutcome TakeUndo(UndoHistory& history, const std::string& editorText, UndoApplication* out)
{
    return TakeStep(history, history.undo, history.redo, editorText, false, out);
}

UndoOutcome TakeRedo(UndoHistory& history, const std::string& editorText, UndoApplication* out)
{
    return TakeStep(history, history.redo, history.undo, editorText, true, out);
}

std::string UndoStatusText(const UndoHistory& history, UndoOutcome outcome, bool redo)
{
    if (outcome == UndoOutcome::HistoryDropped)
        return kUndoHistoryDroppedStatus;
    if (outcome == UndoOutcome::NothingToDo)
        return redo ? kRedoAtNewestStatus : kUndoAtOldestStatus;
    char buffer[64];
    unsigned count = static_cast<unsigned>(redo ? history.redo.size() : history.undo.size());
    std::snprintf(buffer, sizeof buffer, redo ? kRedoStatusFormat : kUndoStatusFormat, count);
    return buffer;
}
