#pragma once
// Control ids of the Find / Replace and Go to Line windows. Pure: no windows.h (IDOK 1
// and IDCANCEL 2 are their Find Next / Go and Close / Cancel buttons).

enum FindControlId {
    IDC_FIND_WHAT = 3001,
    IDC_REPLACE_WITH = 3002,
    IDC_MATCH_CASE = 3003,
    IDC_WRAP_AROUND = 3004,
    IDC_USE_REGEX = 3005,
    IDC_FIND_PREV = 3006,
    IDC_REPLACE = 3007,
    IDC_REPLACE_ALL = 3008,
    IDC_COUNT = 3009,
    IDC_FIND_STATUS = 3010,
};

enum GoToLineControlId {
    IDC_GOTO_PROMPT = 101,
    IDC_GOTO_LINE = 102,
};
