#pragma once
// Text of a Recent Files menu item. Pure: no windows.h.

#include <string>

// "&1  path" .. "&9  path", "1&0  path" for the tenth; every "&" of the path doubled so
// the menu shows it unchanged.
std::string RecentFileMenuText(int index, const std::string& path);
