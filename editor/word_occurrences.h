#pragma once
// The double click's word: the run of one class around the clicked character, and the
// other places where that word stands alone, which the paint boxes. Pure: no windows.h.

#include "editor/word_bounds.h"

#include <vector>

struct WordHighlight {
    int start, end; // byte offsets, end exclusive
};

// The list never grows past this many entries; longer words are not searched for.
const int kMaxWordHighlights = 100000;
const int kMaxHighlightedWordLength = 4096;

struct ClickedWord {
    bool found = false; // false: the control's own double-click selection takes over
    int start = 0, end = 0;
    WordClass cls = kWordClassBlank;
};

// The run of characters of one class (word, double-byte or other, by the word-break
// rule) that holds the character at offset on the line starting at lineStart. A click
// beyond the line's end takes its last character; a click on a blank takes the
// character before it when that is no blank. Not found on an empty line, on a line that
// starts at or after the offset, or on a blank after a blank or at a line start.
ClickedWord FindClickedWord(const char* text, int length, int offset, int lineStart, LeadByteTest isLeadByte);

// Every place where the bytes start..end of the text stand as a whole word (ASCII
// letters compared without case for the word class, bytes as they are for double-byte
// characters), in text order, the word itself included. Empty unless the class is word
// or double-byte, the word is 1 to kMaxHighlightedWordLength bytes long and it occurs at
// least twice; the scan stops at kMaxWordHighlights entries.
std::vector<WordHighlight> FindWordOccurrences(const char* text, int length, int start, int end,
                                               WordClass cls, LeadByteTest isLeadByte);
