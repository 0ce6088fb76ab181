#pragma once
// The texts of the About and Keyboard Shortcuts windows. Pure: no windows.h.

#include <string>

// "Version 1.3.0  (Build: 20261110_110011)".
std::string AboutVersionLine();
// "Compiled: <date> <time>  [Pure Static i686]" with the compiler's __DATE__ and __TIME__.
std::string AboutCompiledLine(const char* date, const char* time);
// The feature list: six lines, each a bullet and a blank before its text, separated by
// CR LF; UTF-8, as the bullet is in no single code page everywhere.
const char* AboutFeatureTextUtf8();

// The column (0-based) where every description of the reference starts.
const int kShortcutDescriptionColumn = 28;
// The Keyboard Shortcuts Reference: a banner, then the sections with their keys and
// descriptions, every line ended by CR LF.
const std::string& ShortcutReferenceText();
