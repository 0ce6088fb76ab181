#include "app/recent_menu_text.h"

#include <stdio.h>

std::string RecentFileMenuText(int index, const std::string& path)
{
    char prefix[16];
    if (index < 9)
        snprintf(prefix, sizeof(prefix), "&%d  ", index + 1);
    else
        snprintf(prefix, sizeof(prefix), "1&0  ");
    std::string text = prefix;
    for (char c : path) {
        text.push_back(c);
        if (c == '&')
            text.push_back('&');
    }
    return text;
}
