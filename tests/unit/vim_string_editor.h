#pragma once
// An editor over a string for the Vim mode's tests: the operations of VimEditor on a text,
// a selection, a clipboard and an undo stack, and keys typed as a keyboard and the
// message loop deliver them.

#include "tests/unit/vim_keys.h"
#include "vim/vim_engine.h"
#include "vim/vim_motions.h"

#include <string>
#include <vector>

// An editor over a string: a selection, a clipboard, and an undo stack with one step
// per replacement that restores the selection remembered before it, as the program's
// recorder does.
struct StringEditor {
    std::string text;
    int anchor = 0, caret = 0;
    std::string clipboard = "<untouched>";
    bool readOnly = false;
    struct Step {
        std::string text;
        int start, end;
    };
    std::vector<Step> undo, redo;
    int rememberedStart = 0, rememberedEnd = 0;
    int beeps = 0, replacements = 0, wholeReplacements = 0, undoCalls = 0;
    std::vector<VimWindowCommand> commands;
    std::string status = "Encoding: ANSI";
    LeadByteTest lead = nullptr;

    int Lo() const { return anchor < caret ? anchor : caret; }
    int Hi() const { return anchor < caret ? caret : anchor; }

    void Splice(const std::string& with)
    {
        undo.push_back(Step{text, rememberedStart, rememberedEnd});
        redo.clear();
        text.replace((size_t)Lo(), (size_t)(Hi() - Lo()), with);
        anchor = caret = Lo() + (int)with.size();
    }

    static StringEditor& Of(void* context) { return *(StringEditor*)context; }

    VimEditor Editor()
    {
        VimEditor e;
        e.context = this;
        e.readText = [](void* c, std::string* out) { *out = Of(c).text; };
        e.getSelection = [](void* c, int* s, int* t) {
            *s = Of(c).anchor;
            *t = Of(c).caret;
        };
        e.setSelection = [](void* c, int a, int b) {
            int n = (int)Of(c).text.size();
            Of(c).anchor = a < 0 ? 0 : a > n ? n : a;
            Of(c).caret = b < 0 ? 0 : b > n ? n : b;
        };
        e.scrollCaret = [](void*) {};
        e.replaceSelection = [](void* c, const std::string& s) {
            Of(c).replacements++;
            Of(c).Splice(s);
        };
        e.replaceAll = [](void* c, const std::string& s) {
            Of(c).wholeReplacements++;
            Of(c).anchor = 0;
            Of(c).caret = (int)Of(c).text.size();
            Of(c).Splice(s);
        };
        e.sendKey = [](void* c, int key) { Of(c).Arrow(key); };
        e.copySelection = [](void* c) {
            StringEditor& s = Of(c);
            s.clipboard = s.text.substr((size_t)s.Lo(), (size_t)(s.Hi() - s.Lo()));
            return true;
        };
        e.copyText = [](void* c, const std::string& text) {
            Of(c).clipboard = text;
            return true;
        };
        e.clipboardIsLinewise = [](void* c) {
            const std::string& s = Of(c).clipboard;
            return !s.empty() && s.back() == '\n';
        };
        e.paste = [](void* c, int count) {
            // As the program does, a count builds no paste beyond a limit, and the pasted
            // text has CR LF line ends.
            std::string once = WithCrLf(Of(c).clipboard), all;
            for (int i = 0; i < count && all.size() < (1 << 20) && !once.empty(); ++i)
                all += once;
            Of(c).Splice(all);
        };
        e.undo = [](void* c) { return Of(c).Undo(); };
        e.redo = [](void* c) {
            StringEditor& s = Of(c);
            if (s.redo.empty())
                return false;
            s.undo.push_back(Step{s.text, s.anchor, s.caret});
            s.text = s.redo.back().text;
            s.redo.pop_back();
            s.anchor = s.caret = s.Lo() < (int)s.text.size() ? s.Lo() : (int)s.text.size();
            return true;
        };
        e.windowCommand = [](void* c, VimWindowCommand w) { Of(c).commands.push_back(w); };
        e.isReadOnly = [](void* c) { return Of(c).readOnly; };
        e.beep = [](void* c) { Of(c).beeps++; };
        e.rememberSelection = [](void* c) {
            Of(c).rememberedStart = Of(c).anchor;
            Of(c).rememberedEnd = Of(c).caret;
        };
        e.statusChanged = [](void* c) { Of(c).status = VimStatusText(Of(c).status); };
        e.isLeadByte = lead;
        return e;
    }

    bool Undo()
    {
        undoCalls++;
        if (undo.empty())
            return false;
        redo.push_back(Step{text, anchor, caret});
        Step step = undo.back();
        undo.pop_back();
        text = step.text;
        int n = (int)text.size();
        anchor = step.start < n ? step.start : n;
        caret = step.end < n ? step.end : n;
        return true;
    }

    // Every CR LF, lone CR and lone LF made CR LF, as the program's Paste does.
    static std::string WithCrLf(const std::string& text)
    {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                out += "\r\n";
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
            } else {
                out += text[i];
            }
        }
        return out;
    }

    // The control's own arrow keys: a CR LF is one step, Up and Down keep the column.
    void Arrow(int key)
    {
        int n = (int)text.size(), p = caret;
        if (key == kVimKeyLeft && p > 0)
            p -= p >= 2 && text.compare((size_t)p - 2, 2, "\r\n") == 0 ? 2 : 1;
        else if (key == kVimKeyRight && p < n)
            p += text.compare((size_t)p, 2, "\r\n") == 0 ? 2 : 1;
        else if (key == kVimKeyUp || key == kVimKeyDown) {
            int start = VimLineStart(text, p), column = p - start;
            int target = key == kVimKeyUp ? (start == 0 ? -1 : VimLineStart(text, start - 1))
                                          : VimLineEnd(text, p) + VimLineBreakLength(text, VimLineEnd(text, p));
            if (target >= 0 && (key == kVimKeyUp || VimLineBreakLength(text, VimLineEnd(text, p)) > 0)) {
                int end = VimLineEnd(text, target);
                p = target + column > end ? end : target + column;
            }
        }
        anchor = caret = p;
    }
};

// Types keys as a keyboard and the message loop deliver them: the key-down of each
// modifier held for the key (Ctrl, then Shift, each with the state of those before it),
// the key's own key-down, then its character when the mode left the key to the control
// (which, in INSERT, types it).
inline void Press(StringEditor& s, const KeyStroke& k, bool ctrl = false)
{
    VimEditor e = s.Editor();
    if (ctrl)
        VimKeyDown(e, kVimKeyControl, VimModifiers{false, true});
    if (k.shift)
        VimKeyDown(e, kVimKeyShift, VimModifiers{true, ctrl});
    bool consumed = VimKeyDown(e, k.vk, VimModifiers{k.shift, ctrl});
    if (!consumed && (k.vk == kVimKeyLeft || k.vk == kVimKeyRight || k.vk == kVimKeyUp || k.vk == kVimKeyDown))
        s.Arrow(k.vk);
    if (!k.ch || ctrl)
        return;
    if (VimChar(e, k.ch))
        return;
    if (k.ch == '\r')
        s.Splice("\r\n");
    else if (k.ch == '\b') {
        // The control takes a line break whole.
        if (s.caret > 0 && s.anchor == s.caret)
            s.anchor -= s.caret >= 2 && s.text.compare((size_t)s.caret - 2, 2, "\r\n") == 0 ? 2 : 1;
        s.Splice("");
    } else if (k.ch != '\x1b')
        s.Splice(std::string(1, (char)k.ch));
}

inline void Keys(StringEditor& s, const char* keys)
{
    for (const char* p = keys; *p; ++p)
        Press(s, StrokeOf(*p));
}

inline void Ctrl(StringEditor& s, char letter)
{
    Press(s, KeyStroke{letter, false, letter - 'A' + 1}, true);
}

