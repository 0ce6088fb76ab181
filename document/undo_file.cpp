#include "document/undo_file.h"

#include <algorithm>
#include <cstdio>

#include "document/le_bytes.h"

const char kUndoFileMagic[] = "ZRVK_UNDO_02\n";

namespace {

// position, four selection values, tick, kind, and the two length fields.
constexpr size_t kStepRecordFixedBytes = 9 * 4;
constexpr size_t kUndoHeaderBytes = kUndoFileMagicSize + 3 * 4;

bool SinkStepRecord(const ByteSink& sink, std::string& fixed, const UndoStep& step)
{
    AppendLeI32(fixed, step.position);
    AppendLeI32(fixed, step.selBeforeStart);
    AppendLeI32(fixed, step.selBeforeEnd);
    AppendLeI32(fixed, step.selAfterStart);
    AppendLeI32(fixed, step.selAfterEnd);
    AppendLeU32(fixed, step.tick);
    AppendLeI32(fixed, static_cast<int32_t>(step.kind));
    return SinkLengthPrefixed(sink, fixed, step.removed.data(), step.removed.size()) &&
           SinkLengthPrefixed(sink, fixed, step.inserted.data(), step.inserted.size());
}

bool StepIsReadable(const UndoStep& step)
{
    return step.removed.size() <= kUndoFileMaxTextBytes && step.inserted.size() <= kUndoFileMaxTextBytes;
}

bool ReadText(LeByteReader& reader, std::string* text)
{
    uint32_t length;
    if (!reader.ReadU32(&length) || length > kUndoFileMaxTextBytes)
        return false;
    return reader.ReadBytes(length, text);
}

bool ReadStepRecord(LeByteReader& reader, UndoStep* step)
{
    int32_t kind;
    if (!reader.ReadI32(&step->position) || !reader.ReadI32(&step->selBeforeStart) ||
        !reader.ReadI32(&step->selBeforeEnd) || !reader.ReadI32(&step->selAfterStart) ||
        !reader.ReadI32(&step->selAfterEnd) || !reader.ReadU32(&step->tick) ||
        !reader.ReadI32(&kind))
        return false;
    step->kind = static_cast<UndoStepKind>(kind);
    return ReadText(reader, &step->removed) && ReadText(reader, &step->inserted);
}

bool IsSafeNameByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

}  // namespace

namespace {

// What the file holds of the stacks: a step the reader would refuse ends its reading there,
// and the steps read before it no longer lead to the text. The file therefore starts after
// the newest such undo step and ends before the nearest such redo step, and the save
// point moves with it.
struct UndoFileExtent {
    size_t first = 0;    // first undo step written
    size_t redoKept = 0; // redo steps written, from the next to redo on
    int32_t saved = 0;
};

UndoFileExtent ExtentOf(const std::vector<UndoStep>& undo, const std::vector<UndoStep>& redo, int32_t savedIndex)
{
    UndoFileExtent e;
    e.first = undo.size();
    while (e.first > 0 && StepIsReadable(undo[e.first - 1]))
        --e.first;
    while (e.redoKept < redo.size() && StepIsReadable(redo[redo.size() - 1 - e.redoKept]))
        ++e.redoKept;
    size_t undoKept = undo.size() - e.first;
    int32_t saved = savedIndex;
    if (saved != kUndoSavePointLost && e.first > 0)
        saved = saved < (long long)e.first ? kUndoSavePointLost : saved - static_cast<int32_t>(e.first);
    if (saved != kUndoSavePointLost && e.redoKept < redo.size() && saved > (long long)(undoKept + e.redoKept))
        saved = kUndoSavePointLost;
    e.saved = saved;
    return e;
}

}  // namespace

std::string SerializeUndoFile(const std::vector<UndoStep>& undo, const std::vector<UndoStep>& redo,
                              int32_t savedIndex)
{
    UndoFileExtent e = ExtentOf(undo, redo, savedIndex);
    size_t size = kUndoHeaderBytes;
    for (size_t i = e.first; i < undo.size(); ++i)
        size += kStepRecordFixedBytes + undo[i].removed.size() + undo[i].inserted.size();
    for (size_t i = 0; i < e.redoKept; ++i) {
        const UndoStep& s = redo[redo.size() - 1 - i];
        size += kStepRecordFixedBytes + s.removed.size() + s.inserted.size();
    }
    std::string out;
    out.reserve(size);
    StreamUndoFile(undo, redo, savedIndex, [&out](const char* data, size_t n) {
        out.append(data, n);
        return true;
    });
    return out;
}

bool StreamUndoFile(const std::vector<UndoStep>& undo, const std::vector<UndoStep>& redo, int32_t savedIndex,
                    const ByteSink& sink)
{
    UndoFileExtent e = ExtentOf(undo, redo, savedIndex);
    size_t undoKept = undo.size() - e.first;
    std::string fixed(kUndoFileMagic, kUndoFileMagicSize);
    AppendLeU32(fixed, static_cast<uint32_t>(undoKept + e.redoKept));
    AppendLeI32(fixed, static_cast<int32_t>(undoKept));
    AppendLeI32(fixed, e.saved);
    for (size_t i = e.first; i < undo.size(); ++i)
        if (!SinkStepRecord(sink, fixed, undo[i]))
            return false;
    for (size_t i = 0; i < e.redoKept; ++i)
        if (!SinkStepRecord(sink, fixed, redo[redo.size() - 1 - i]))
            return false;
    return fixed.empty() || sink(fixed.data(), fixed.size());
}

UndoFileRead ParseUndoFile(const char* data, size_t size, std::vector<UndoStep>& undo,
                           std::vector<UndoStep>& redo, int32_t* savedIndex)
{
    LeByteReader reader(data, size);
    uint32_t total;
    int32_t undoCount;
    if (!reader.Match(kUndoFileMagic, kUndoFileMagicSize) || !reader.ReadU32(&total) ||
        total > kUndoFileMaxSteps || !reader.ReadI32(&undoCount) || undoCount < 0 ||
        static_cast<uint32_t>(undoCount) > total)
        return UndoFileRead::BadHeader;
    int32_t saved;
    if (!reader.ReadI32(&saved))
        saved = 0;

    undo.clear();
    redo.clear();
    *savedIndex = saved;
    // Bounded by what the buffer can hold, not by the counts the file claims.
    size_t fit = reader.left / kStepRecordFixedBytes;
    undo.reserve(std::min<size_t>(static_cast<size_t>(undoCount), fit));
    redo.reserve(std::min<size_t>(total - static_cast<uint32_t>(undoCount), fit));

    UndoFileRead result = UndoFileRead::Complete;
    for (uint32_t i = 0; i < total; ++i) {
        UndoStep step;
        if (!ReadStepRecord(reader, &step)) {
            result = UndoFileRead::Damaged;
            break;
        }
        if (i < static_cast<uint32_t>(undoCount))
            undo.push_back(std::move(step));
        else
            redo.push_back(std::move(step));
    }
    // The file lists redo steps from the next to redo onwards; the stack keeps that one last.
    std::reverse(redo.begin(), redo.end());
    return result;
}

std::string UndoSafeName(const std::string& path)
{
    size_t slash = path.rfind('\\');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::string name = path.substr(start, kUndoSafeNameMaxBytes);
    for (char& c : name) {
        if (!IsSafeNameByte(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

uint32_t UndoPathHash(const std::string& path)
{
    uint32_t hash = 0x811C9DC5u;
    for (char ch : path) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        else if (c == '/')
            c = '\\';
        hash ^= c;
        hash *= 0x01000193u;
    }
    return hash;
}

std::string UndoFileNameForPath(const std::string& path)
{
    char hash[16];
    std::snprintf(hash, sizeof hash, "_%08x.und", static_cast<unsigned>(UndoPathHash(path)));
    return UndoSafeName(path) + hash;
}

std::string UndoFileNameForUntitled(uint32_t tick, int32_t id)
{
    char name[64];
    std::snprintf(name, sizeof name, "untitled_%u_%d.und", static_cast<unsigned>(tick),
                  static_cast<int>(id));
    return name;
}
