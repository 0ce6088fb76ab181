#pragma once
// How PSFTP splits a line of its batch script into words, for the tests that check what
// the script says: blanks outside quotes separate words, a lone double quote toggles
// quoting, and "" is a literal quote inside or outside quotes (looked at first).

#include <string>
#include <vector>

inline std::vector<std::string> SplitLikePsftp(const std::string& line)
{
    std::vector<std::string> words;
    size_t p = 0;
    while (true) {
        while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
            ++p;
        if (p >= line.size())
            break;
        std::string word;
        bool quoting = false;
        while (p < line.size()) {
            if (!quoting && (line[p] == ' ' || line[p] == '\t'))
                break;
            if (line[p] == '"' && p + 1 < line.size() && line[p + 1] == '"') {
                word += '"';
                p += 2;
            } else if (line[p] == '"') {
                quoting = !quoting;
                ++p;
            } else {
                word += line[p++];
            }
        }
        words.push_back(word);
    }
    return words;
}
