#pragma once
// The document's own undo history, kept apart from the edit control. Everything here
// works on plain byte strings; the window code reads the editor text and the selection,
// calls these functions and applies what they return to the control.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The fixed underlying type lets a step loaded from a file carry any stored value.
enum class UndoStepKind : int32_t {
    Replace = 0,
    Insert = 1,
    Delete = 2,
};

struct UndoStep {
    int32_t position = 0;  // the same offset before and after the change
    std::string removed;
    std::string inserted;
    int32_t selBeforeStart = 0;
    int32_t selBeforeEnd = 0;
    int32_t selAfterStart = 0;
    int32_t selAfterEnd = 0;
    uint32_t tick = 0;  // renewed by every change merged into the step
    UndoStepKind kind = UndoStepKind::Replace;
};

struct UndoHistory {
    // The text as of the last recorded change. It is also the document's own copy of its
    // text (DocumentText), so a document holds its text once besides the editor.
    std::string snapshot;
    std::vector<UndoStep> undo;  // oldest first
    std::vector<UndoStep> redo;  // the next to redo is the last element
    // The undo-stack size at the last save. -1 (kUndoSavePointLost) once the saved
    // state can no longer be reached by undo or redo.
    int32_t savedIndex = 0;
    std::string undoFilePath;
    int32_t id = 0;
    // Counts the changes of the stacks and of savedIndex; with the path and count of the
    // last undo file written, an unchanged history is not written again.
    uint32_t revision = 0;
    std::string writtenPath;
    uint32_t writtenRevision = 0;
};

constexpr size_t kUndoStepLimit = 100000;
constexpr uint32_t kUndoMergeMaxGapMs = 1199;
constexpr int32_t kUndoSavePointLost = -1;

extern const char kUndoStatusFormat[];        // "Undo (%u changes left)"
extern const char kRedoStatusFormat[];        // "Redo (%u redoes left)"
extern const char kUndoAtOldestStatus[];      // "Already at oldest change"
extern const char kRedoAtNewestStatus[];      // "Already at newest change"
extern const char kUndoHistoryDroppedStatus[];
extern const char kUndoReadOnlyStatus[];
extern const char kRedoReadOnlyStatus[];

// Where two texts differ: bytes [position, position + removedLength) of the old text
// became bytes [position, position + insertedLength) of the new one. The common suffix
// never reaches back into the common prefix.
struct TextDiff {
    size_t position = 0;
    size_t removedLength = 0;
    size_t insertedLength = 0;
};

// False when the texts are equal (out untouched).
bool DiffTexts(const std::string& oldText, const std::string& newText, TextDiff* out);

// The document differs from its file: undo-stack size != savedIndex.
bool HistoryIsModified(const UndoHistory& history);
// Save and Save As: the current state is the saved one.
void MarkHistorySaved(UndoHistory& history);
// Forgets both stacks (the snapshot stays). A modified document stays modified.
void DropHistorySteps(UndoHistory& history);

// Records the change from the snapshot to editorText as a typed change: merges it into
// the newest step when the typing or backspace rules allow, else pushes a new step with
// selBefore as its selection before. Returns false when editorText equals the snapshot:
// then nothing at all changed. On true the snapshot takes over editorText's bytes (pass
// it with std::move to spare a copy), the redo stack is empty, and the caller applies the
// modified rule and takes selAfter as the next selection before.
// spareBuffer, when given, receives the previous snapshot (or, on false, the text passed
// in), so the caller can read the next editor text into a buffer that already exists: a
// fresh 10 MB allocation per keystroke costs more than the diff itself.
bool RecordTypedChange(UndoHistory& history, std::string editorText, int32_t selBeforeStart,
                       int32_t selBeforeEnd, int32_t selAfterStart, int32_t selAfterEnd,
                       uint32_t tick, std::string* spareBuffer = nullptr);

// The same for one edit of the control that replaced bytes [start, end) of the snapshot by
// `inserted` (typing, Backspace, Delete, cut or paste at the selection): records exactly
// what RecordTypedChange would record for the resulting text, but patches the snapshot in
// place instead of taking the whole text, so a keystroke in a large document reads only
// the bytes that changed. False when the text did not change or the range is not inside
// the snapshot.
bool RecordTypedSplice(UndoHistory& history, size_t start, size_t end, const std::string& inserted,
                       int32_t selBeforeStart, int32_t selBeforeEnd, int32_t selAfterStart,
                       int32_t selAfterEnd, uint32_t tick);
// DiffTexts(oldText, newText) for newText = oldText[0, start) + inserted + oldText[end, n).
bool DiffSplicedText(const std::string& oldText, size_t start, size_t end,
                     const std::string& inserted, TextDiff* out);

// Records the change from baseText (the snapshot when the capture opened) to editorText
// as one Replace step that nothing merges with. baseText may be history.snapshot itself.
// Returns false when the texts are equal: no step, snapshot and redo stack unchanged.
// editorText and spareBuffer as in RecordTypedChange.
bool RecordCapturedChange(UndoHistory& history, const std::string& baseText,
                          std::string editorText, int32_t selBeforeStart, int32_t selBeforeEnd,
                          int32_t selAfterStart, int32_t selAfterEnd, uint32_t tick,
                          std::string* spareBuffer = nullptr);

enum class UndoOutcome {
    Applied,         // apply the UndoApplication to the editor
    NothingToDo,     // the stack was empty; nothing changed
    HistoryDropped,  // the step did not fit the text: nothing to apply, both stacks dropped
};

// What the editor must do for one undo or redo: select [replaceStart, replaceEnd),
// replace the selection by *replacement, then select [selStart, selEnd) (clamped to the
// new text), which also becomes the next selection before.
struct UndoApplication {
    int32_t replaceStart = 0;
    int32_t replaceEnd = 0;
    // Points into the step just moved to the other stack: valid until the history
    // changes next.
    const std::string* replacement = nullptr;
    int32_t selStart = 0;
    int32_t selEnd = 0;
};

// Takes the newest undo step after checking that editorText holds its inserted bytes at
// its position (Redo: the removed bytes), moves it to the other stack and patches the
// snapshot to the text the editor will hold. A step that does not fit drops the history
// (HistoryDropped) and leaves the text alone. editorText may be history.snapshot.
UndoOutcome TakeUndo(UndoHistory& history, const std::string& editorText, UndoApplication* out);
UndoOutcome TakeRedo(UndoHistory& history, const std::string& editorText, UndoApplication* out);

// The status-bar text after TakeUndo or TakeRedo.
std::string UndoStatusText(const UndoHistory& history, UndoOutcome outcome, bool redo);
