#pragma once
// What the HTML property test and the HTML fuzz target both know about running the
// beautifier on its own output.

#include <string>

// Inputs on which a second run may still differ from the third: pre and textarea bodies
// take indentation once, and a VT or FF after "<" (and blanks or a stray "/") ends an
// empty element name, whose normal form «< p>» the next run reads as the element p.
inline bool MayChangeAgain(const std::string& s)
{
    std::string lower;
    for (char c : s)
        lower += (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
    if (lower.find("pre") != std::string::npos || lower.find("textarea") != std::string::npos)
        return true;
    for (size_t i = s.find('<'); i != std::string::npos; i = s.find('<', i + 1)) {
        size_t j = s.find_first_not_of(" \t\r\n/", i + 1);
        if (j != std::string::npos && (s[j] == '\v' || s[j] == '\f'))
            return true;
    }
    return false;
}
