#pragma once
// Searching, counting and replacing in a text of ANSI code page bytes, plain or with a
// regular expression. Pure: the Find window and the F3 keys copy the editor's text and
// hand it here; nothing in this file knows about windows.

#include <cstdint>
#include <string>

// True for the first byte of a double-byte character (IsDBCSLeadByte); null for a
// single-byte code page.
using FindLeadByteTest = bool (*)(unsigned char byte);

struct FindOptions {
    std::string findText;    // the pattern in regular-expression mode
    std::string replaceText; // a replacement template in regular-expression mode
    bool matchCase = false;
    bool wrapAround = true;
    bool regex = false;
    // In a double-byte code page an ASCII byte can be the trail byte of a character: a
    // match that starts or ends inside a character is no match.
    FindLeadByteTest isLeadByte = nullptr;
};

// The smallest position p >= start at which findText occurs (within length), else -1.
// Only the ASCII letters fold when matchCase is off. Linear in the text whatever the find
// text is, so that a long find text cannot make a search crawl.
int32_t FindTextForward(const char* text, int32_t length, int32_t start, const FindOptions& options);
// The largest position p <= min(start - 1, length - find length) at which findText
// occurs, else -1; a start past the text (length + 1) scans from the last position.
int32_t FindTextBackward(const char* text, int32_t length, int32_t start, const FindOptions& options);
// The steps the plain search has taken since the program started (positions passed and
// bytes compared): a measure of its work that does not depend on the machine's speed.
uint64_t PlainSearchSteps();

// Failed: the expression did not compile or its matching failed (the library's description,
// its complexity limit), or there was no memory for the work.
enum class FindOutcome { Found, NotFound, EmptyFindText, EmptyDocument, Failed };

struct FindHit {
    FindOutcome outcome = FindOutcome::NotFound;
    int32_t position = -1;
    int32_t length = 0; // 0 for an empty regular-expression match
    std::string error;  // the description for Failed
};

// Find Next (forward) or Find Previous from the selection [selStart, selEnd), wrapping
// around when the options allow it.
FindHit FindInText(const std::string& text, int32_t selStart, int32_t selEnd, bool forward,
                   const FindOptions& options);

struct CountResult {
    FindOutcome outcome = FindOutcome::NotFound; // Found when the count ran (even 0)
    uint32_t count = 0;
    std::string error;
};

// Non-overlapping occurrences in plain mode; every match of the left-to-right iteration
// (empty ones too) in regular-expression mode.
CountResult CountInText(const std::string& text, const FindOptions& options);

struct ReplaceAllResult {
    FindOutcome outcome = FindOutcome::NotFound; // Found when at least one was replaced
    uint32_t count = 0;
    std::string text; // the new text when count is not 0
    std::string error;
};

ReplaceAllResult ReplaceAllInText(const std::string& text, const FindOptions& options);

// The Replace button's test of the selected bytes: true, with the replacement, when the
// whole selection is one match (plain: equal to the find text; regular expression: an
// anchored match of the selection as a text of its own). A regular-expression failure
// returns false with *error set.
bool ReplacementForSelection(const std::string& selected, const FindOptions& options,
                             std::string* replacement, std::string* error);

// The replace text as typed, turned into the dollar-sign template of the expression
// engine: \1..\9 groups, \0 and \& the match, \n CR LF, \r, \t, \\ and \$ literals.
// A group written as \1 followed by a digit stays group 1 ("$01" and the digit).
std::string ReplacementToRegexFormat(const std::string& replaceText);

// Status texts of the operations.
constexpr char kReadOnlyRefusal[] = "Document is read-only: nothing was changed";
std::string FoundAtText(int32_t line, int32_t column); // 1-based
std::string CountText(uint32_t count);
std::string ReplacedText(uint32_t count);
std::string RegexErrorText(const std::string& description);
