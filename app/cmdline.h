#pragma once
// Command-line tokenizer shared by start-up, the hand-over between instances and
// WM_COPYDATA. Pure: no windows.h, so it also builds natively for the sanitizers.

enum { kCommandLineTokenSize = 260 };

// Takes the next blank- or tab-separated token, optionally in double quotes, from
// *cursor into buffer (kCommandLineTokenSize bytes, always zero-terminated; at most
// 259 characters kept, the rest of an overlong token consumed). Returns false at the
// end of the string and for an empty quoted token, which ends the list for every caller.
bool GetNextCommandLineToken(const char** cursor, char* buffer);
