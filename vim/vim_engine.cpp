#include "vim/vim_engine.h"

#include "editor/word_bounds.h"
#include "search/find_engine.h"
#include "vim/vim_motions.h"

#include <stdio.h>
#include <string.h>
#include <vector>

bool gVimEnabled = false;
VimMode gVimMode = kVimNormal;
char gVimPendingOperator = 0;
char gVimPendingCharCommand = 0;
int gVimCount = 0;
bool gVimSwallowChar = false;
char gVimCommandLine[128] = "";
int gVimCommandLength = 0;
int gVimVisualAnchor = -1;
int gVimVisualCursor = -1;

namespace {

std::string ReadText(const VimEditor& ed)
{
    std::string text;
    ed.readText(ed.context, &text);
    return text;
}

int Length(const std::string& text)
{
    return (int)text.size();
}

void Select(const VimEditor& ed, int anchor, int caret)
{
    ed.setSelection(ed.context, anchor, caret);
}

void Replace(const VimEditor& ed, const std::string& text)
{
    ed.replaceSelection(ed.context, text);
}

int CountOrOne()
{
    return gVimCount > 0 ? gVimCount : 1;
}

bool IsVisual()
{
    return gVimMode == kVimVisual || gVimMode == kVimVisualLine;
}

bool IsLetterKey(int vk)
{
    return vk >= 'A' && vk <= 'Z';
}

bool IsDigitKey(int vk)
{
    return vk >= '0' && vk <= '9';
}

// A letter, digit or space that no command takes is swallowed, unless Ctrl makes it a
// shortcut of the editor.
bool ConsumeUnknown(int vk, VimModifiers m)
{
    return (IsLetterKey(vk) || IsDigitKey(vk) || vk == kVimKeySpace) && !m.ctrl;
}

bool IsCharCommandWaiting()
{
    return gVimPendingCharCommand && strchr("fFtTr", gVimPendingCharCommand);
}

// Edits are refused in a read-only document (EM_REPLACESEL would ignore its style).
bool RefusedReadOnly(const VimEditor& ed)
{
    if (!ed.isReadOnly(ed.context))
        return false;
    ed.beep(ed.context);
    return true;
}

void EnterInsert()
{
    gVimMode = kVimInsert;
    gVimSwallowChar = true;
}

// The bytes that VISUAL covers from the anchor to the cursor: the characters at both
// ends included, a line break under either end taken whole.
void VisualCharacters(const std::string& text, int a, int c, LeadByteTest lead, int* lo, int* hi)
{
    *lo = a < c ? a : c;
    if (VimInsideLineBreak(text, *lo))
        --*lo;
    *hi = VimCharacterEnd(text, a < c ? c : a, lead);
}

// A position between the CR and the LF of a line break moved out of it, before the
// break or after it.
int OutOfLineBreak(const std::string& text, int p, bool after)
{
    if (!VimInsideLineBreak(text, p))
        return p;
    return after ? p + 1 : p - 1;
}

// The start of the character before the position, a CR LF counting as one.
int CharacterBefore(const std::string& text, int p, LeadByteTest lead)
{
    return OutOfLineBreak(text, CharStartBefore(text.data(), Length(text), p, lead), false);
}

void MoveCursorIn(const VimEditor& ed, const std::string& text, int p)
{
    int a = gVimVisualAnchor;
    if (gVimMode == kVimVisual) {
        gVimVisualCursor = p;
        int lo = 0, hi = 0;
        VisualCharacters(text, a, p, ed.isLeadByte, &lo, &hi);
        if (p >= a)
            Select(ed, lo, hi);
        else
            Select(ed, hi, lo);
    } else if (gVimMode == kVimVisualLine) {
        gVimVisualCursor = p;
        int lo = p < a ? p : a, hi = p < a ? a : p;
        int start = VimLineStart(text, lo);
        int end = VimLineEnd(text, hi);
        int lineBreak = VimLineBreakLength(text, end);
        end = lineBreak ? end + lineBreak : Length(text);
        if (p >= a)
            Select(ed, start, end);
        else
            Select(ed, end, start);
    } else {
        Select(ed, p, p);
    }
    ed.scrollCaret(ed.context);
}

// The start of a 1-based line; a line past the end gives the start of the last line.
int StartOfLineNumber(const std::string& text, int number)
{
    int start = VimStartOfLine(text, number - 1);
    return start >= 0 ? start : VimLineStart(text, Length(text));
}

// Applies a motion up to n times from p; stops early when a step goes nowhere, so any
// count costs at most the length of the text.
int Repeat(const std::string& text, int p, int n, int (*step)(const std::string&, int))
{
    for (int i = 0; i < n; ++i) {
        int next = step(text, p);
        if (next == p)
            break;
        p = next;
    }
    return p;
}

int RepeatEnd(const std::string& text, int p, int n, LeadByteTest lead,
              int (*step)(const std::string&, int, LeadByteTest))
{
    for (int i = 0; i < n; ++i) {
        int next = step(text, p, lead);
        if (next == p)
            break;
        p = next;
    }
    return p;
}

char ToggledCase(char c)
{
    if (c >= 'a' && c <= 'z')
        return (char)(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return (char)(c - 'A' + 'a');
    return c;
}

// The bytes [from, to) with the case of every single-byte letter toggled; double-byte
// characters are kept whole.
std::string ToggledRange(const std::string& text, int from, int to, LeadByteTest lead)
{
    std::string out;
    for (int p = from; p < to;) {
        int width = VimGetCharWidth(text, p, lead);
        if (width == 2)
            out.append(text, (size_t)p, 2);
        else
            out += ToggledCase(text[p]);
        p += width;
    }
    return out;
}

// ---- operators ----

// Selects lo..hi and copies it. A linewise copy of the last line, which has no line
// break of its own, gets one, so that it pastes as a whole line like every other line.
void CopyRange(const VimEditor& ed, const std::string& text, int lo, int hi, bool linewise)
{
    Select(ed, lo, hi);
    if (linewise && (hi == lo || text[(size_t)hi - 1] != '\n'))
        ed.copyText(ed.context, text.substr((size_t)lo, (size_t)(hi - lo)) + "\r\n");
    else
        ed.copySelection(ed.context);
}

// The pending operator over a..b of the text as it was read for the command. An end
// between the CR and the LF of a line break stops before that break: the ranges that
// take a break whole were widened by their commands.
void ApplyOperator(const VimEditor& ed, const std::string& text, int a, int b, bool linewise = false)
{
    int lo = OutOfLineBreak(text, a < b ? a : b, true);
    int hi = OutOfLineBreak(text, a < b ? b : a, false);
    if (hi < lo)
        hi = lo;
    char op = gVimPendingOperator;
    gVimPendingOperator = 0;
    gVimPendingCharCommand = 0;
    if (op == 'd') {
        gVimSwallowChar = true;
        if (hi > lo && !RefusedReadOnly(ed)) {
            Select(ed, lo, hi);
            Replace(ed, "");
        }
    } else if (op == 'c') {
        if (RefusedReadOnly(ed))
            return;
        if (hi > lo || linewise)
            CopyRange(ed, text, lo, hi, linewise);
        if (hi > lo)
            Replace(ed, "");
        EnterInsert();
    } else if (op == 'y') {
        if (hi > lo || linewise)
            CopyRange(ed, text, lo, hi, linewise);
        Select(ed, lo, lo);
    }
}

// dd, cc, yy: the cursor's line with its line break when more text follows.
void ApplyLineOperator(const VimEditor& ed, const std::string& text, int c)
{
    int start = VimLineStart(text, c);
    int end = VimLineEnd(text, c);
    if (end + 1 < Length(text))
        end += VimLineBreakLength(text, end);
    ApplyOperator(ed, text, start, end, true);
}

// dj and dk take whole lines from the cursor's line to the line n below or above it,
// stopping at the first or last line.
void ApplyOperatorOverLines(const VimEditor& ed, const std::string& text, int c, bool down, int n)
{
    int line = VimLineOfPosition(text, c);
    int lastLine = VimLineOfPosition(text, Length(text));
    long long other = down ? (long long)line + n : (long long)line - n;
    if (other < 0)
        other = 0;
    if (other > lastLine)
        other = lastLine;
    int upper = line < other ? line : (int)other, lower = line < other ? (int)other : line;
    int start = VimStartOfLine(text, upper);
    int end = VimLineEnd(text, VimStartOfLine(text, lower));
    if (end + 1 < Length(text))
        end += VimLineBreakLength(text, end);
    ApplyOperator(ed, text, start, end, true);
}

void Paste(const VimEditor& ed, const std::string& text, bool before, int count)
{
    if (RefusedReadOnly(ed))
        return;
    int c = VimGetCursor(ed);
    if (ed.clipboardIsLinewise(ed.context)) {
        int p;
        if (before) {
            p = VimLineStart(text, c);
            MoveCursorIn(ed, text, p);
        } else {
            int e = VimLineEnd(text, c);
            if (e + 1 < Length(text)) {
                MoveCursorIn(ed, text, e + VimLineBreakLength(text, e));
            } else {
                MoveCursorIn(ed, text, Length(text));
                Replace(ed, "\r\n");
            }
            p = VimGetCursor(ed);
        }
        ed.paste(ed.context, count);
        VimMoveCursor(ed, p);
        return;
    }
    if (!before && c < Length(text) && c != VimLineEnd(text, c))
        MoveCursorIn(ed, text, c + VimGetCharWidth(text, c, ed.isLeadByte));
    ed.paste(ed.context, count);
}

// x (and s): the selection, or else characters from the caret; a count takes more
// characters but never a line break, so the caret's line is the limit.
void DeleteCharacters(const VimEditor& ed, const std::string& text, int n)
{
    if (RefusedReadOnly(ed))
        return;
    int s = 0, e = 0;
    ed.getSelection(ed.context, &s, &e);
    int lo = s < e ? s : e, end = s < e ? e : s;
    for (int i = lo == end ? 0 : 1; i < n; ++i) {
        if (end >= Length(text) || text[end] == '\r' || text[end] == '\n')
            break;
        end += VimGetCharWidth(text, end, ed.isLeadByte);
    }
    if (end > lo) {
        Select(ed, lo, end);
        Replace(ed, "");
    }
}

// J: the line breaks after the cursor's line and the next ones become single spaces, all
// in one replacement; the cursor goes to the last of them.
void JoinLines(const VimEditor& ed, const std::string& text, int n)
{
    std::vector<int> ends, breaks;
    int lineEnd = VimLineEnd(text, VimGetCursor(ed));
    for (int i = 0; i < n && lineEnd + 1 < Length(text); ++i) {
        ends.push_back(lineEnd);
        breaks.push_back(VimLineBreakLength(text, lineEnd));
        lineEnd = VimLineEnd(text, lineEnd + breaks.back());
    }
    if (ends.empty() || RefusedReadOnly(ed))
        return;
    std::string joined;
    int cursor = ends[0];
    for (size_t i = 0; i < ends.size(); ++i) {
        if (i > 0) {
            int from = ends[i - 1] + breaks[i - 1];
            joined.append(text, (size_t)from, (size_t)(ends[i] - from));
        }
        cursor = ends[0] + (int)joined.size();
        joined += ' ';
    }
    Select(ed, ends[0], ends.back() + breaks.back());
    Replace(ed, joined);
    VimMoveCursor(ed, cursor);
}

void ToggleCaseAtCaret(const VimEditor& ed, const std::string& text, int n)
{
    int c = VimGetCursor(ed), p = c;
    // Like x, ~ stays on its line: the caret never steps into or over a line break.
    for (int i = 0; i < n && p < Length(text) && text[p] != '\r' && text[p] != '\n'; ++i)
        p += VimGetCharWidth(text, p, ed.isLeadByte);
    if (p == c)
        return;
    std::string toggled = ToggledRange(text, c, p, ed.isLeadByte);
    if (toggled.compare(0, std::string::npos, text, (size_t)c, (size_t)(p - c)) != 0) {
        if (RefusedReadOnly(ed))
            return;
        Select(ed, c, p);
        Replace(ed, toggled);
    }
    Select(ed, p, p);
}

void OpenLine(const VimEditor& ed, const std::string& text, bool above)
{
    if (RefusedReadOnly(ed))
        return;
    int c = VimGetCursor(ed);
    MoveCursorIn(ed, text, above ? VimLineStart(text, c) : VimLineEnd(text, c));
    Replace(ed, "\r\n");
    if (above)
        ed.sendKey(ed.context, kVimKeyLeft);
    EnterInsert();
}

// ---- searching ----

void SearchNext(const VimEditor& ed, const std::string& text, bool backward)
{
    int m = VimFindNext(text, gVimCommandLine, VimGetCursor(ed), backward, ed.isLeadByte);
    // * and # on a line break search for blanks, which may match at the LF of a CR LF:
    // the caret goes before the break.
    if (m >= 0)
        Select(ed, OutOfLineBreak(text, m, false), OutOfLineBreak(text, m, false));
}

void SetCommandLine(const char* text, int length)
{
    // The line is read as a C string: it ends at the first NUL byte.
    length = (int)strnlen(text, (size_t)length);
    if (length > (int)sizeof(gVimCommandLine) - 1)
        length = (int)sizeof(gVimCommandLine) - 1;
    memcpy(gVimCommandLine, text, (size_t)length);
    gVimCommandLine[length] = 0;
    gVimCommandLength = length;
}

void SearchWordUnderCursor(const VimEditor& ed, const std::string& text, bool backward)
{
    int start = 0, end = 0;
    VimInnerWord(text, VimGetCursor(ed), &start, &end);
    if (end <= start)
        return;
    SetCommandLine(text.data() + start, end - start);
    SearchNext(ed, text, backward);
}

// ---- visual mode ----

void VisualRange(const VimEditor& ed, const std::string& text, int* lo, int* hi)
{
    int a = gVimVisualAnchor, c = gVimVisualCursor;
    *lo = a < c ? a : c;
    *hi = a < c ? c : a;
    if (gVimMode == kVimVisual) {
        VisualCharacters(text, a, c, ed.isLeadByte, lo, hi);
    } else {
        *lo = VimLineStart(text, *lo);
        int end = VimLineEnd(text, *hi);
        int lineBreak = VimLineBreakLength(text, end);
        *hi = lineBreak ? end + lineBreak : Length(text);
    }
    if (*lo < 0)
        *lo = 0;
    if (*hi > Length(text))
        *hi = Length(text);
}

void VisualOperator(const VimEditor& ed, const std::string& text, char op, int n)
{
    int lo = 0, hi = 0;
    VisualRange(ed, text, &lo, &hi);
    if (op != 'y' && RefusedReadOnly(ed))
        return;
    bool linewise = gVimMode == kVimVisualLine;
    gVimMode = kVimNormal;
    switch (op) {
    case 'y':
        CopyRange(ed, text, lo, hi, linewise);
        MoveCursorIn(ed, text, gVimVisualAnchor);
        break;
    case 'c':
        CopyRange(ed, text, lo, hi, linewise);
        Replace(ed, "");
        EnterInsert();
        break;
    case 'x':
    case 'd':
        Select(ed, lo, hi);
        Replace(ed, "");
        break;
    case 'p':
        Select(ed, lo, hi);
        Replace(ed, "");
        Paste(ed, ReadText(ed), true, n);
        break;
    case '~':
        Select(ed, lo, hi);
        Replace(ed, ToggledRange(text, lo, hi, ed.isLeadByte));
        VimMoveCursor(ed, lo);
        break;
    }
}

void VisualInnerWord(const VimEditor& ed, const std::string& text)
{
    int start = 0, end = 0;
    VimInnerWord(text, VimGetCursor(ed), &start, &end);
    gVimVisualAnchor = start;
    gVimPendingCharCommand = 0;
    // The cursor on the last character: a run of blanks may end in a CR LF.
    MoveCursorIn(ed, text, end > start ? CharacterBefore(text, end, ed.isLeadByte) : start);
}

// A command that enters INSERT from a visual mode would otherwise type over the
// selection it just extended: the visual mode ends at the cursor first.
void LeaveVisual(const VimEditor& ed)
{
    if (!IsVisual())
        return;
    gVimMode = kVimNormal;
    VimMoveCursor(ed, gVimVisualCursor);
}

// h, j, k, l: arrow keys to the control, which knows its columns; in a visual mode the
// control moves a collapsed caret and the selection is drawn again from the anchor.
void ArrowKeys(const VimEditor& ed, const std::string& text, int key, int n)
{
    VimMode mode = gVimMode;
    if (IsVisual()) {
        gVimMode = kVimNormal;
        Select(ed, gVimVisualCursor, gVimVisualCursor);
    }
    int s = 0, before = 0;
    ed.getSelection(ed.context, &s, &before);
    // No more steps than there are lines or characters to go: each key costs the control
    // a walk of its lines.
    int line = VimLineOfPosition(text, before);
    int limit = key == kVimKeyUp     ? line
              : key == kVimKeyDown   ? VimLineOfPosition(text, Length(text)) - line
              : key == kVimKeyLeft   ? before
                                     : Length(text) - before;
    if (n > limit)
        n = limit;
    // A selection left standing (a search's match, what Esc left of VISUAL) collapses
    // as the control's own key collapses it, also where the caret cannot move.
    if (n < 1 && s != before)
        n = 1;
    for (int i = 0; i < n; ++i) {
        ed.sendKey(ed.context, key);
        int after = 0;
        ed.getSelection(ed.context, &s, &after);
        if (after == before)
            break;
        before = after;
    }
    if (mode != gVimMode) {
        gVimMode = mode;
        VimMoveCursor(ed, before);
    }
}

// ---- the key tables ----

// A key that is no motion ends the pending operator.
bool ClearOperator(int vk, VimModifiers m)
{
    gVimPendingOperator = 0;
    gVimPendingCharCommand = 0;
    gVimCount = 0;
    return ConsumeUnknown(vk, m);
}

// The digits reach here only with Shift (^, $, %) or as the motion 0.
bool OperatorKey(const VimEditor& ed, int vk, VimModifiers m)
{
    std::string text = ReadText(ed);
    int c = VimGetCursor(ed);
    int n = CountOrOne();
    long long count = gVimCount;
    char op = gVimPendingOperator;
    bool shift = m.shift;
    int t = c;
    if (gVimPendingCharCommand == 'i' && vk == 'W') {
        int start = 0, end = 0;
        VimInnerWord(text, c, &start, &end);
        ApplyOperator(ed, text, start, end);
    } else if ((op == 'd' && vk == 'D') || (op == 'c' && vk == 'C') || (op == 'y' && vk == 'Y')) {
        ApplyLineOperator(ed, text, c);
    } else if (vk == 'G' && !shift) {
        int target = count > 0 ? StartOfLineNumber(text, gVimCount) : 0;
        if (op == 'g') {
            gVimPendingOperator = 0;
            MoveCursorIn(ed, text, target);
        } else if (op == 'c' || op == 'y' || op == 'd') {
            // cg, yg and dg wait for the second g, keeping the count.
            gVimPendingOperator = op == 'c' ? 'e' : op == 'y' ? 'f' : 'h';
            return true;
        } else {
            gVimPendingOperator = op == 'e' ? 'c' : op == 'f' ? 'y' : 'd';
            ApplyOperator(ed, text, c, target);
        }
    } else if (vk == 'J' || vk == 'K') {
        ApplyOperatorOverLines(ed, text, c, vk == 'J', n);
    } else {
        switch (vk) {
        case 'L': t = (long long)c + n > Length(text) ? Length(text) : c + n; break;
        case 'H': t = (long long)c - n < 0 ? 0 : c - n; break;
        case '0':
            if (shift)
                return ClearOperator(vk, m);
            t = VimLineStart(text, c);
            break;
        case 'W': t = Repeat(text, c, n, shift ? VimBigWordForward : VimWordForward); break;
        case 'B': t = Repeat(text, c, n, shift ? VimBigWordBackward : VimWordBackward); break;
        case 'E':
            t = RepeatEnd(text, c, n, ed.isLeadByte, shift ? VimBigWordEnd : VimWordEnd);
            if (t > c)
                ++t;
            break;
        case '6': t = VimFirstNonBlank(text, c); break;
        case '4': t = VimLineEnd(text, c); break;
        case '5': t = VimMatchBracket(text, c); break;
        case 'G': t = count > 0 ? StartOfLineNumber(text, gVimCount) : Length(text); break;
        case 'I':
            // Only i starts the text object; Shift+I is a key no operator takes.
            if (shift)
                return ClearOperator(vk, m);
            gVimPendingCharCommand = 'i';
            return true;
        case 'F':
        case 'T':
            gVimPendingCharCommand = (char)(shift ? vk : vk - 'A' + 'a');
            gVimSwallowChar = true;
            return true;
        default:
            return ClearOperator(vk, m);
        }
        ApplyOperator(ed, text, c, t);
    }
    gVimCount = 0;
    return true;
}

// What a group of command keys made of a key: none of its keys, or the answer of
// VimKeyDown, consumed or left to the control.
enum CommandOutcome { kNotInGroup, kConsumed, kNotConsumed };

// What every command key looks at. The text is copied out of the control only for the
// commands that look at it, and only when they first do.
struct CommandInput {
    const VimEditor& ed;
    int vk;
    bool shift, ctrl;
    int n, c;
    std::string copy;
    bool copied;

    const std::string& text()
    {
        if (!copied) {
            copy = ReadText(ed);
            copied = true;
        }
        return copy;
    }
};

CommandOutcome WordMotionKey(CommandInput& in)
{
    const VimEditor& ed = in.ed;
    int c = in.c, n = in.n;
    bool shift = in.shift;
    switch (in.vk) {
    case 'W': {
        int (*step)(const std::string&, int) = shift ? VimBigWordForward : VimWordForward;
        int t;
        if (gVimMode == kVimVisual) {
            // The selection holds the cursor's character, and the cursor stops on the
            // character before the next word: the motion starts after the cursor's
            // character, or a second w would find the same word again.
            t = Repeat(in.text(), VimCharacterEnd(in.text(), c, ed.isLeadByte), n, step);
            if (t > c)
                t = CharacterBefore(in.text(), t, ed.isLeadByte);
        } else {
            t = Repeat(in.text(), c, n, step);
        }
        MoveCursorIn(ed, in.text(), t);
        return kConsumed;
    }
    case 'E': {
        // Only blanks after the cursor: e ends on the last byte, never inside a CR LF.
        int t = RepeatEnd(in.text(), c, n, ed.isLeadByte, shift ? VimBigWordEnd : VimWordEnd);
        MoveCursorIn(ed, in.text(), OutOfLineBreak(in.text(), t, false));
        return kConsumed;
    }
    case 'B':
        MoveCursorIn(ed, in.text(), Repeat(in.text(), c, n, shift ? VimBigWordBackward : VimWordBackward));
        return kConsumed;
    }
    return kNotInGroup;
}

// h j k l go by the control's own arrow keys; Shift+J joins lines instead.
CommandOutcome ArrowMotionKey(CommandInput& in)
{
    switch (in.vk) {
    case 'H':
    case 'L':
        if (in.shift)
            return kConsumed;
        ArrowKeys(in.ed, in.text(), in.vk == 'H' ? kVimKeyLeft : kVimKeyRight, in.n);
        return kConsumed;
    case 'K':
        if (in.shift)
            return kConsumed;
        ArrowKeys(in.ed, in.text(), kVimKeyUp, in.n);
        return kConsumed;
    case 'J':
        if (in.shift)
            JoinLines(in.ed, in.text(), in.n);
        else
            ArrowKeys(in.ed, in.text(), kVimKeyDown, in.n);
        return kConsumed;
    }
    return kNotInGroup;
}

// The digits reach here only as the motion 0 or with Shift (^, $, %, *, #).
CommandOutcome LineMotionKey(CommandInput& in)
{
    const VimEditor& ed = in.ed;
    int c = in.c;
    switch (in.vk) {
    case '0':
        if (!in.shift)
            MoveCursorIn(ed, in.text(), VimLineStart(in.text(), c));
        return kConsumed;
    case '6':
    case '4':
    case '5':
        if (in.shift)
            MoveCursorIn(ed, in.text(),
                         in.vk == '6'   ? VimFirstNonBlank(in.text(), c)
                         : in.vk == '4' ? VimLineEnd(in.text(), c)
                                        : VimMatchBracket(in.text(), c));
        return kConsumed;
    case '8':
    case '3':
        if (in.shift)
            SearchWordUnderCursor(ed, in.text(), in.vk == '3');
        return kConsumed;
    case 'G':
        if (!in.shift) {
            gVimPendingOperator = 'g';
        } else {
            int target = gVimCount > 0 ? StartOfLineNumber(in.text(), gVimCount) : Length(in.text());
            gVimCount = 0;
            MoveCursorIn(ed, in.text(), target);
        }
        return kConsumed;
    }
    return kNotInGroup;
}

// f t r wait for their character; n searches again; u and Ctrl+R walk the history.
CommandOutcome PendingAndHistoryKey(CommandInput& in)
{
    const VimEditor& ed = in.ed;
    switch (in.vk) {
    case 'F':
    case 'T':
        if (in.ctrl)
            return kNotConsumed;
        gVimPendingCharCommand = (char)(in.shift ? in.vk : in.vk - 'A' + 'a');
        gVimSwallowChar = true;
        return kConsumed;
    case 'R':
        if (in.ctrl) {
            for (int i = 0; i < in.n && ed.redo(ed.context); ++i) {
            }
        } else if (!in.shift) {
            gVimPendingCharCommand = 'r';
            gVimSwallowChar = true;
        }
        return kConsumed;
    case 'U':
        for (int i = 0; i < in.n && ed.undo(ed.context); ++i) {
        }
        return kConsumed;
    case 'N':
        SearchNext(ed, in.text(), in.shift);
        return kConsumed;
    }
    return kNotInGroup;
}

CommandOutcome EditKey(CommandInput& in)
{
    const VimEditor& ed = in.ed;
    int c = in.c, n = in.n;
    bool shift = in.shift;
    switch (in.vk) {
    case 'X':
        if (!shift)
            DeleteCharacters(ed, in.text(), n);
        return kConsumed;
    case 'S':
        if (RefusedReadOnly(ed))
            return kConsumed;
        if (!shift) {
            DeleteCharacters(ed, in.text(), n);
        } else if (IsVisual()) {
            gVimMode = kVimNormal;
            Replace(ed, "");
        } else {
            // S empties the cursor's line and keeps its line break; unlike cc it leaves
            // the clipboard alone.
            int start = VimLineStart(in.text(), c), end = VimLineEnd(in.text(), c);
            Select(ed, start, end);
            if (end > start)
                Replace(ed, "");
        }
        EnterInsert();
        return kConsumed;
    case kVimKeyBackquote:
        if (!shift)
            return kNotConsumed;
        if (IsVisual())
            VisualOperator(ed, in.text(), '~', n);
        else
            ToggleCaseAtCaret(ed, in.text(), n);
        return kConsumed;
    case 'P':
        if (IsVisual())
            VisualOperator(ed, in.text(), 'p', n);
        else
            Paste(ed, in.text(), shift, n);
        return kConsumed;
    }
    return kNotInGroup;
}

CommandOutcome InsertKey(CommandInput& in)
{
    const VimEditor& ed = in.ed;
    int c = in.c;
    switch (in.vk) {
    case 'I':
        if (!in.shift) {
            if (IsVisual())
                gVimPendingCharCommand = 'i';
            else
                EnterInsert();
            return kConsumed;
        }
        LeaveVisual(ed);
        MoveCursorIn(ed, in.text(), VimFirstNonBlank(in.text(), c));
        EnterInsert();
        return kConsumed;
    case 'A':
        if (!in.shift) {
            ed.sendKey(ed.context, kVimKeyRight);
        } else {
            LeaveVisual(ed);
            MoveCursorIn(ed, in.text(), VimLineEnd(in.text(), c));
        }
        EnterInsert();
        return kConsumed;
    case 'O':
        LeaveVisual(ed);
        OpenLine(ed, in.text(), in.shift);
        return kConsumed;
    }
    return kNotInGroup;
}

bool CommandKey(const VimEditor& ed, int vk, VimModifiers m)
{
    int n = CountOrOne();
    CommandInput in{ed, vk, m.shift, m.ctrl, n, VimGetCursor(ed), std::string(), false};
    if (IsVisual() && gVimPendingCharCommand == 'i' && vk == 'W') {
        VisualInnerWord(ed, in.text());
        return true;
    }
    // Each key belongs to one group at most, so the order of the groups changes nothing.
    CommandOutcome (*const groups[])(CommandInput&) = {
        ArrowMotionKey, WordMotionKey, LineMotionKey, PendingAndHistoryKey, EditKey, InsertKey,
    };
    for (auto group : groups) {
        CommandOutcome outcome = group(in);
        if (outcome != kNotInGroup)
            return outcome == kConsumed;
    }
    return ConsumeUnknown(vk, m);
}

bool NormalKey(const VimEditor& ed, int vk, VimModifiers m)
{
    if (IsCharCommandWaiting())
        return ConsumeUnknown(vk, m);
    if ((vk == kVimKeySemicolon && m.shift) || (vk == kVimKeySlash && !m.shift)) {
        gVimMode = vk == kVimKeySlash ? kVimSearch : kVimCommand;
        SetCommandLine("", 0);
        gVimSwallowChar = true;
        return true;
    }
    if (vk == 'V') {
        int p = VimGetCursor(ed);
        VimMode target = m.shift ? kVimVisualLine : kVimVisual;
        if (gVimMode == target) {
            gVimMode = kVimNormal;
        } else {
            gVimMode = target;
            gVimVisualAnchor = gVimVisualCursor = p;
        }
        VimMoveCursor(ed, p);
        return true;
    }
    if (IsDigitKey(vk) && !m.shift && !(vk == '0' && gVimCount == 0)) {
        int digit = vk - '0';
        gVimCount = gVimCount > (kVimMaxCount - digit) / 10 ? kVimMaxCount : gVimCount * 10 + digit;
        return true;
    }
    bool consumed;
    if (gVimPendingOperator) {
        consumed = OperatorKey(ed, vk, m);
    } else if (IsVisual() && (vk == 'X' || vk == 'Y' || vk == 'C' || vk == 'D')) {
        VisualOperator(ed, ReadText(ed), (char)(vk - 'A' + 'a'), CountOrOne());
        consumed = true;
    } else if (gVimMode == kVimNormal && (vk == 'D' || vk == 'C' || vk == 'Y')) {
        gVimPendingOperator = (char)(vk - 'A' + 'a');
        return true;
    } else {
        consumed = CommandKey(ed, vk, m);
    }
    if (gVimMode == kVimNormal && !gVimPendingOperator && !gVimPendingCharCommand)
        gVimCount = 0;
    return consumed;
}

// ---- the command and search lines ----

void ExecuteCommandLine(const VimEditor& ed)
{
    const char* line = gVimCommandLine;
    if (strcmp(line, "w") == 0) {
        ed.windowCommand(ed.context, kVimSave);
    } else if (strcmp(line, "q") == 0) {
        ed.windowCommand(ed.context, kVimClose);
    } else if (strcmp(line, "wq") == 0 || strcmp(line, "x") == 0) {
        ed.windowCommand(ed.context, kVimSave);
        ed.windowCommand(ed.context, kVimClose);
    } else if (strncmp(line, "%s/", 3) == 0) {
        std::string arguments = line + 3;
        size_t slash = arguments.find('/');
        if (slash == std::string::npos)
            return;
        // The line keeps "%s/" and the old text, which n and N then look for.
        gVimCommandLine[3 + slash] = 0;
        gVimCommandLength = (int)strlen(gVimCommandLine);
        std::string text = ReadText(ed), result;
        if (text.empty() || !VimSubstitute(text, arguments, ed.isLeadByte, &result) || result == text)
            return;
        if (RefusedReadOnly(ed))
            return;
        ed.replaceAll(ed.context, result);
    }
}

void ExecuteSearchLine(const VimEditor& ed)
{
    std::string text = ReadText(ed);
    int m = VimFindFrom(text, gVimCommandLine, VimGetCursor(ed), ed.isLeadByte);
    if (m >= 0)
        Select(ed, m, m + gVimCommandLength);
}

bool LineChar(const VimEditor& ed, int ch)
{
    if (ch == 13) {
        if (gVimMode == kVimCommand)
            ExecuteCommandLine(ed);
        else
            ExecuteSearchLine(ed);
        gVimMode = kVimNormal;
    } else if (ch == 8) {
        if (gVimCommandLength > 0)
            gVimCommandLine[--gVimCommandLength] = 0;
        else
            gVimMode = kVimNormal;
    } else if (ch >= 32 && ch <= 126 && gVimCommandLength < (int)sizeof(gVimCommandLine) - 1) {
        gVimCommandLine[gVimCommandLength++] = (char)ch;
        gVimCommandLine[gVimCommandLength] = 0;
    }
    return true;
}

// The character that completes f, F, t, T or r.
void CharCommand(const VimEditor& ed, int ch)
{
    std::string text = ReadText(ed);
    int c = VimGetCursor(ed);
    char command = gVimPendingCharCommand;
    char typed = (char)ch;
    if (command == 'r') {
        // A control character (Enter, Backspace) would leave a stray byte in the line.
        bool printable = (unsigned char)typed >= 0x20 || typed == '\t';
        if (c < Length(text) && text[c] != '\r' && text[c] != '\n' && printable && !RefusedReadOnly(ed)) {
            Select(ed, c, c + VimGetCharWidth(text, c, ed.isLeadByte));
            Replace(ed, std::string(1, typed));
            Select(ed, c, c);
        }
        return;
    }
    bool forward = command == 'f' || command == 't';
    int wanted = CountOrOne(), found = 0, match = -1;
    for (int i = forward ? c + 1 : c - 1; i >= 0 && i < Length(text); i += forward ? 1 : -1) {
        if (text[i] == typed && ++found == wanted) {
            match = i;
            break;
        }
    }
    if (match < 0)
        return;
    int target = command == 't' ? match - 1 : command == 'T' ? match + 1 : match;
    if (target == c)
        return;
    // The character found may be the CR or the LF of a line break: f and F take the
    // whole break, t and T stop before it (ApplyOperator), and the cursor never lands
    // between its two bytes.
    if (!gVimPendingOperator)
        MoveCursorIn(ed, text, OutOfLineBreak(text, target, command == 'T'));
    else if (command == 'f')
        ApplyOperator(ed, text, c, OutOfLineBreak(text, match + 1, true));
    else if (command == 'F')
        ApplyOperator(ed, text, OutOfLineBreak(text, match, false), c);
    else
        ApplyOperator(ed, text, c, forward ? match : match + 1);
}

struct ShownState {
    bool enabled;
    VimMode mode;
    int count;
    char op, charCommand;
    std::string line;
};

ShownState Shown()
{
    return ShownState{gVimEnabled, gVimMode, gVimCount, gVimPendingOperator, gVimPendingCharCommand, gVimCommandLine};
}

bool operator==(const ShownState& a, const ShownState& b)
{
    return a.enabled == b.enabled && a.mode == b.mode && a.count == b.count && a.op == b.op &&
           a.charCommand == b.charCommand && a.line == b.line;
}

// Refreshes the status when anything that the suffix shows changed.
void StatusIfChanged(const VimEditor& ed, const ShownState& before)
{
    if (!(Shown() == before))
        ed.statusChanged(ed.context);
}

} // namespace

int VimGetCursor(const VimEditor& editor)
{
    if (IsVisual())
        return gVimVisualCursor;
    int s = 0, e = 0;
    editor.getSelection(editor.context, &s, &e);
    return s > e ? s : e;
}

void VimMoveCursor(const VimEditor& editor, int position)
{
    // Only the visual modes measure characters; the others need no copy of the text.
    if (IsVisual())
        MoveCursorIn(editor, ReadText(editor), position);
    else
        MoveCursorIn(editor, std::string(), position);
}

bool VimIsModifierKey(int vk)
{
    switch (vk) {
    case kVimKeyShift:
    case kVimKeyControl:
    case kVimKeyAlt:
    case kVimKeyCapsLock:
    case kVimKeyLeftWindows:
    case kVimKeyRightWindows:
    case kVimKeyLeftShift:
    case kVimKeyRightShift:
    case kVimKeyLeftControl:
    case kVimKeyRightControl:
    case kVimKeyLeftAlt:
    case kVimKeyRightAlt:
        return true;
    }
    return false;
}

bool VimKeyDown(const VimEditor& ed, int vk, VimModifiers m)
{
    // A modifier alone is no command: the operator, the count and the flag of the key
    // before it wait for the key that it modifies.
    if (!gVimEnabled || VimIsModifierKey(vk))
        return false;
    // A key whose character never came (a shortcut, a key sent without one) must not
    // leave the flag for the next typed character.
    gVimSwallowChar = false;
    if (vk == kVimKeyEscape) {
        if (gVimMode == kVimInsert)
            ed.sendKey(ed.context, kVimKeyLeft);
        gVimMode = kVimNormal;
        gVimPendingOperator = 0;
        gVimPendingCharCommand = 0;
        gVimCount = 0;
        ed.statusChanged(ed.context);
        return true;
    }
    if (gVimMode == kVimCommand || gVimMode == kVimSearch)
        return true;
    if (gVimMode == kVimInsert)
        return false;
    ShownState before = Shown();
    ed.rememberSelection(ed.context);
    bool consumed = NormalKey(ed, vk, m);
    StatusIfChanged(ed, before);
    return consumed;
}

bool VimChar(const VimEditor& ed, int ch)
{
    if (!gVimEnabled)
        return false;
    if (gVimSwallowChar) {
        gVimSwallowChar = false;
        return true;
    }
    ShownState before = Shown();
    if (gVimMode == kVimInsert)
        return false;
    if (gVimMode == kVimCommand || gVimMode == kVimSearch) {
        LineChar(ed, ch);
        ed.statusChanged(ed.context);
        return true;
    }
    if (!IsCharCommandWaiting())
        return true;
    ed.rememberSelection(ed.context);
    CharCommand(ed, ch);
    gVimCount = 0;
    gVimPendingOperator = 0;
    gVimPendingCharCommand = 0;
    gVimSwallowChar = false;
    StatusIfChanged(ed, before);
    return true;
}

void VimReset()
{
    gVimEnabled = false;
    gVimMode = kVimNormal;
    gVimPendingOperator = 0;
    gVimPendingCharCommand = 0;
    gVimCount = 0;
    gVimSwallowChar = false;
}

void ResetVimState()
{
    VimReset();
    gVimCommandLine[0] = 0;
    gVimCommandLength = 0;
    gVimVisualAnchor = -1;
    gVimVisualCursor = -1;
}

std::string VimStatusSuffix()
{
    if (!gVimEnabled)
        return std::string();
    std::string suffix = " | VIM: ";
    char number[32];
    switch (gVimMode) {
    case kVimInsert: return suffix + "INSERT";
    case kVimVisual: return suffix + "VISUAL";
    case kVimVisualLine: return suffix + "V-LINE";
    case kVimCommand: return suffix + "COMMAND :" + gVimCommandLine;
    case kVimSearch: return suffix + "SEARCH /" + gVimCommandLine;
    default: break;
    }
    suffix += "NORMAL";
    if (gVimCount > 0) {
        snprintf(number, sizeof(number), " %d", gVimCount);
        suffix += number;
    }
    if (gVimPendingOperator) {
        suffix += " (Pending: ";
        // d waiting for the second g of dgg shows as d: h is the mode's own code.
        suffix += gVimPendingOperator == 'h' ? 'd' : gVimPendingOperator;
        if (gVimPendingCharCommand)
            suffix += gVimPendingCharCommand;
        suffix += ")";
    }
    return suffix;
}

std::string VimStatusText(const std::string& statusText)
{
    size_t cut = statusText.find(" | VIM:");
    return statusText.substr(0, cut) + VimStatusSuffix();
}

bool VimSubstitute(const std::string& text, const std::string& arguments, LeadByteTest isLeadByte,
                   std::string* result)
{
    size_t slash = arguments.find('/');
    if (slash == std::string::npos || slash == 0)
        return false;
    std::string old = arguments.substr(0, slash);
    std::string rest = arguments.substr(slash + 1);
    size_t flagsAt = rest.find('/');
    std::string replacement = rest.substr(0, flagsAt);
    bool global = flagsAt != std::string::npos && rest.find('g', flagsAt + 1) != std::string::npos;
    result->clear();
    result->reserve(text.size());
    // Occurrences never span a line feed (the typed line holds no control characters),
    // so one forward scan finds them all.
    FindOptions options;
    options.findText = old;
    options.matchCase = true;
    options.isLeadByte = isLeadByte;
    const int length = (int)text.size();
    auto find = [&](size_t from) {
        int found = FindTextForward(text.data(), length, (int)from, options);
        return found < 0 ? std::string::npos : (size_t)found;
    };
    size_t next = find(0);
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineFeed = text.find('\n', lineStart);
        size_t lineEnd = lineFeed == std::string::npos ? text.size() : lineFeed + 1;
        size_t p = lineStart;
        while (next != std::string::npos && next + old.size() <= lineEnd) {
            result->append(text, p, next - p);
            *result += replacement;
            p = next + old.size();
            next = find(p);
            if (!global)
                break;
        }
        result->append(text, p, lineEnd - p);
        if (next != std::string::npos && next < lineEnd)
            next = find(lineEnd);
        lineStart = lineEnd;
    }
    return true;
}
