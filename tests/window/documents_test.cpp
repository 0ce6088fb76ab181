#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/tab_strip.h"
#include "app/tabs.h"
#include "document/document.h"
#include "editor/fonts.h"
#include "editor/gutter.h"

#include <commctrl.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

using Fixture = TestWindow;

std::string Ini(const char* section, const char* key)
{
    char value[512];
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof(value), (ExeFolder() + "Zorvik.ini").c_str());
    return value;
}

int TabImage(int index)
{
    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_IMAGE;
    SendMessageA(gTabsWnd, TCM_GETITEMA, index, (LPARAM)&item);
    return item.iImage;
}

std::string Temp(const char* name)
{
    return ExeFolder() + name;
}

} // namespace

TEST_CASE("settings: defaults, clamps, face replacement and what the close writes")
{
    {
        Fixture f;
        REQUIRE(f.hwnd);
        CHECK(gFontSize == 14);
        CHECK_FALSE(gDiffMode);
        CHECK(gAutoSave);
        CHECK(gNewPageEncoding == 1);
        CHECK_FALSE(gNewPageBom);
        // None of the preferred coding fonts exists in a bare Wine prefix.
        CHECK(std::string(gFontName) == "GulimChe");
        CHECK(Ini("Settings", "FontName") == "GulimChe");
        CHECK(Ini("Settings", "FontSize") == "<none>");

        SendMessageA(f.hwnd, WM_CLOSE, 0, 0);
        CHECK(Ini("Settings", "FontSize") == "14");
        CHECK(Ini("Settings", "DiffMode") == "0");
        CHECK(Ini("Settings", "AutoSave") == "1");
        CHECK(Ini("Settings", "NewPageEncoding") == "<none>");
        CHECK(Ini("Settings", "NewPageBOM") == "<none>");
        f.hwnd = nullptr;
    }
    struct Row {
        const char* ini;
        int size;
        const char* face;
    } rows[] = {
        {"FontSize=200\r\nFontName=courier new\r\n", 72, "GulimChe"},
        {"FontSize=0\r\nFontName=ConsolasX\r\n", 6, "ConsolasX"},
        {"FontSize=-5\r\nFontName=CONSOLAS\r\n", 6, "GulimChe"},
        {"FontSize=5\r\nFontName=Courier New\r\n", 6, "GulimChe"},
        {"FontSize=73\r\nFontName=DejaVu Sans Mono\r\n", 72, "DejaVu Sans Mono"},
        {"FontSize=9\r\nFontName=\r\nNewPageEncoding=0\r\nNewPageBOM=1\r\nDiffMode=7\r\nAutoSave=0\r\n", 9,
         "GulimChe"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.ini);
        Fixture f((std::string("[Settings]\r\n") + row.ini).c_str());
        REQUIRE(f.hwnd);
        CHECK(gFontSize == row.size);
        CHECK(std::string(gFontName) == row.face);
    }
    Fixture f("[Settings]\r\nNewPageEncoding=0\r\nNewPageBOM=1\r\nDiffMode=7\r\nAutoSave=0\r\n");
    CHECK(gNewPageEncoding == 0);
    CHECK(gNewPageBom);
    CHECK(gDiffMode);
    CHECK_FALSE(gAutoSave);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_NEW, 0);
    TabDocument* doc = GetActiveDocument();
    REQUIRE(doc);
    CHECK(doc->encoding == 0);
    CHECK(doc->bom);
}

TEST_CASE("recent files: reading the counts, adding, ordering and the menu")
{
    struct Row {
        const char* ini;
        std::vector<std::string> expected;
    };
    std::string many = "[RecentFiles]\r\nCount=25\r\n";
    for (int i = 1; i <= 25; ++i)
        many += "File" + std::to_string(i) + "=C:\\f" + std::to_string(i) + ".txt\r\n";
    std::vector<std::string> firstTen;
    for (int i = 1; i <= 10; ++i)
        firstTen.push_back("C:\\f" + std::to_string(i) + ".txt");
    const Row rows[] = {
        {many.c_str(), firstTen},
        {"[RecentFiles]\r\nCount=3\r\nFile1=C:\\a\r\nFile2=\r\nFile3=C:\\c\r\n", {"C:\\a", "C:\\c"}},
        {"[RecentFiles]\r\nCount=-1\r\nFile1=C:\\a\r\n", {}},
    };
    for (const Row& row : rows) {
        Fixture f(row.ini);
        REQUIRE(f.hwnd);
        CHECK(gRecentFiles == row.expected);
    }

    Fixture f;
    REQUIRE(f.hwnd);
    for (int i = 1; i <= 11; ++i)
        AddRecentFile(("C:\\dir\\file" + std::to_string(i) + ".txt").c_str());
    CHECK(gRecentFiles.size() == 10);
    CHECK(gRecentFiles.front() == "C:\\dir\\file11.txt");
    CHECK(gRecentFiles.back() == "C:\\dir\\file2.txt");
    CHECK(Ini("RecentFiles", "Count") == "10");
    CHECK(Ini("RecentFiles", "File11") == "<none>");
    AddRecentFile("C:\\DIR\\FILE5.TXT");
    CHECK(gRecentFiles.size() == 10);
    CHECK(gRecentFiles.front() == "C:\\DIR\\FILE5.TXT");
    CHECK(gRecentFiles[5] != "C:\\dir\\file5.txt");

    ClearRecentFiles();
    AddRecentFile("C:\\R&D\\notes.txt");
    BuildRecentFilesMenu(gRecentFilesMenu);
    char text[256];
    GetMenuStringA(gRecentFilesMenu, 0, text, sizeof(text), MF_BYPOSITION);
    CHECK(std::string(text) == "&1  C:\\R&&D\\notes.txt");
    CHECK(GetMenuItemID(gRecentFilesMenu, 0) == IDM_RECENT_FILE_FIRST);
    CHECK(GetMenuItemID(gRecentFilesMenu, 2) == IDM_RECENT_CLEAR);

    // A recent file that vanished: No keeps it and opens nothing.
    {
        MessageBoxAnswers answers({IDNO});
        SendMessageA(f.hwnd, WM_COMMAND, IDM_RECENT_FILE_FIRST, 0);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - Recent Files");
        CHECK(answers.seen[0].text ==
              "The file does not exist:\nC:\\R&D\\notes.txt\n\nDo you want to remove it from the recent files list?");
    }
    CHECK(gRecentFiles.size() == 1);
    CHECK(TabCount() == 1);
    {
        MessageBoxAnswers answers({IDYES});
        SendMessageA(f.hwnd, WM_COMMAND, IDM_RECENT_FILE_FIRST, 0);
    }
    CHECK(gRecentFiles.empty());
    SendMessageA(f.hwnd, WM_COMMAND, IDM_RECENT_CLEAR, 0);
    CHECK(StatusText() == "Recent files list cleared");
}

TEST_CASE("the gutter: width at 1000 lines, the keys it forwards, zoom")
{
    Fixture f;
    REQUIRE(f.hwnd);
    int narrow = gGutterWidth;
    std::string text;
    for (int i = 0; i < 999; ++i)
        text += "x\r\n";
    SetWindowTextA(gEditorWnd, text.c_str()); // 1000 lines
    RefreshGutter();
    int wide = gGutterWidth;
    CHECK(wide > narrow);
    RECT rc;
    GetWindowRect(gEditorWnd, &rc);
    MapWindowPoints(nullptr, f.hwnd, (POINT*)&rc, 2);
    CHECK(rc.left == wide);

    // A key typed while the gutter has the focus reaches the editor, character included.
    SetWindowTextA(gEditorWnd, "");
    SetFocus(gGutterWnd);
    SendMessageA(gGutterWnd, WM_KEYDOWN, 'Q', 1);
    SendMessageA(gGutterWnd, WM_CHAR, 'q', 1);
    CHECK(EditorText() == "q");
    CHECK(GetFocus() == gEditorWnd);

    // Ctrl+wheel: two points a step, clamped, written at once.
    SetModifiers(true, false, false);
    SendMessageA(gEditorWnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), 0);
    CHECK(gFontSize == 16);
    CHECK(Ini("Settings", "FontSize") == "16");
    gFontSize = 72;
    SendMessageA(gEditorWnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), 0);
    CHECK(gFontSize == 72);
    gFontSize = 7;
    SendMessageA(gEditorWnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, (WORD)-120), 0);
    CHECK(gFontSize == 6);
    CHECK(Ini("Settings", "FontSize") == "6");
    SetModifiers(false, false, false);
}

TEST_CASE("tab images: typing turns the disk red, and the two images differ only in their colours")
{
    Fixture f;
    REQUIRE(f.hwnd);
    CHECK(TabImage(0) == 0);
    SetFocus(gEditorWnd);
    TypeText("a");
    CHECK(TabImage(0) == 1);

    HBITMAP clean = MakeTabIcon(false), dirty = MakeTabIcon(true);
    HDC dc = CreateCompatibleDC(nullptr);
    std::vector<COLORREF> a, b;
    for (HBITMAP bitmap : {clean, dirty}) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        std::vector<COLORREF>& out = bitmap == clean ? a : b;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                out.push_back(GetPixel(dc, x, y));
        SelectObject(dc, old);
    }
    DeleteDC(dc);
    DeleteObject(clean);
    DeleteObject(dirty);
    auto at = [](const std::vector<COLORREF>& v, int x, int y) { return v[y * 16 + x]; };
    CHECK(at(a, 0, 0) == RGB(255, 0, 255));
    CHECK(at(a, 13, 1) == RGB(255, 0, 255)); // the cut corner
    CHECK(at(a, 2, 1) == RGB(18, 65, 130));
    CHECK(at(b, 2, 1) == RGB(140, 20, 20));
    CHECK(at(a, 3, 7) == RGB(36, 128, 235));
    CHECK(at(b, 3, 7) == RGB(225, 45, 45));
    CHECK(at(a, 7, 4) == RGB(40, 40, 40));
    CHECK(at(a, 6, 10) == RGB(160, 190, 225));
    CHECK(at(b, 6, 10) == RGB(230, 150, 150));
    CHECK(at(a, 6, 9) == RGB(255, 255, 255));
    const COLORREF stateColours[] = {RGB(18, 65, 130), RGB(36, 128, 235), RGB(160, 190, 225),
                                     RGB(140, 20, 20), RGB(225, 45, 45), RGB(230, 150, 150)};
    for (int i = 0; i < 256; ++i) {
        if (a[i] == b[i])
            continue;
        bool stateColoured = false;
        for (COLORREF c : stateColours)
            stateColoured |= a[i] == c;
        CHECK(stateColoured);
    }
}

TEST_CASE("a file whose text holds a NUL byte opens read-only")
{
    Fixture f;
    REQUIRE(f.hwnd);
    std::string path = Temp("with_nul.txt");
    WriteFileBytes(path, std::string("ab\0cd", 5));
    OpenFileByPath(f.hwnd, path.c_str());
    TabDocument* doc = GetActiveDocument();
    REQUIRE(doc);
    CHECK(doc->readOnly);
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);
    CHECK(StatusText().find("[Read-Only]") != std::string::npos);
    DeleteFileA(path.c_str());
}

TEST_CASE("fonts: what is installed, the replacement chain, the Font dialog")
{
    Fixture f;
    REQUIRE(f.hwnd);
    // Wine's prefix has none of the preferred coding fonts; the host's DejaVu fonts show.
    CHECK_FALSE(IsFontInstalled("D2Coding"));
    CHECK_FALSE(IsFontInstalled(""));
    CHECK(IsFontInstalled("DejaVu Sans Mono"));
    CHECK(std::string(PickDefaultCodingFont()) == "GulimChe");

    // Cancel changes and saves nothing.
    DeleteFileA((ExeFolder() + "Zorvik.ini").c_str());
    strcpy(gFontName, "DejaVu Sans Mono");
    gFontSize = 11;
    {
        MessageBoxAnswers answers({IDCANCEL});
        SendMessageA(f.hwnd, WM_COMMAND, IDM_TOOLS_FONT, 0);
        CHECK(answers.seen.size() == 1);
    }
    CHECK(std::string(gFontName) == "DejaVu Sans Mono");
    CHECK(gFontSize == 11);
    CHECK(Ini("Settings", "FontName") == "<none>");
    // OK takes the face and size shown and writes them at once.
    {
        MessageBoxAnswers answers({IDOK});
        SendMessageA(f.hwnd, WM_COMMAND, IDM_TOOLS_FONT, 0);
        CHECK(answers.seen.size() == 1);
    }
    CHECK(std::string(gFontName) == "DejaVu Sans Mono");
    CHECK(gFontSize == 11);
    CHECK(Ini("Settings", "FontName") == "DejaVu Sans Mono");
    CHECK(Ini("Settings", "FontSize") == "11");
    HFONT font = (HFONT)SendMessageA(gEditorWnd, WM_GETFONT, 0, 0);
    CHECK(font == (HFONT)SendMessageA(gGutterWnd, WM_GETFONT, 0, 0));
}

TEST_CASE("the face replacement chain picks the first installed preferred font and writes it back")
{
    const char* saved[2] = {gPreferredCodingFonts[0], gPreferredCodingFonts[1]};
    gPreferredCodingFonts[0] = "No Such Coding Font";
    gPreferredCodingFonts[1] = "DejaVu Sans Mono";
    {
        Fixture f("[Settings]\r\nFontName=consolas\r\n");
        REQUIRE(f.hwnd);
        CHECK(std::string(gFontName) == "DejaVu Sans Mono");
        CHECK(Ini("Settings", "FontName") == "DejaVu Sans Mono");
        // The editor's font is the replacement too, when "Consolas" is asked for.
        HFONT font = CreateEditorFont("Consolas", 12);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        char face[64] = "";
        GetTextFaceA(dc, sizeof(face), face);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(font);
        CHECK(std::string(face) == "DejaVu Sans Mono");
    }
    gPreferredCodingFonts[0] = saved[0];
    gPreferredCodingFonts[1] = saved[1];
}

TEST_CASE("each tab keeps its text, modified image and encoding across switches")
{
    Fixture f;
    std::string path = f.File("keeps.txt", "file text");
    TypeText("untitled text");
    OpenFileByPath(f.hwnd, path.c_str());
    REQUIRE(TabCount() == 2);
    SwitchToTab(0);
    CHECK(EditorText() == "untitled text");
    CHECK(TabImage(0) == 1);
    CHECK(TabImage(1) == 0);
    SwitchToTab(1);
    CHECK(EditorText() == "file text");
    CHECK(StatusText().find("Encoding: UTF-8 | Windows (CR LF) | 9 bytes | 1 lines") == 0);
    SwitchToTab(0);
    CHECK(StatusText().find("13 bytes") != std::string::npos);
    CHECK(TabImage(0) == 1);
}

TEST_CASE("the status bar's size and line count follow typing and pasting")
{
    Fixture f;
    REQUIRE(StatusText().find(" | 0 bytes | 1 lines") != std::string::npos);
    std::string typed;
    for (int i = 0; i < 2048; ++i)
        typed += (char)('a' + i % 26);
    TypeText(typed.c_str());
    CHECK(StatusText().find(" | 2.0 KB | 1 lines") != std::string::npos);

    // A paste of 294 KB in 3,000 lines.
    std::string pasted;
    while (pasted.size() < 294 * 1024)
        pasted += std::string(98, 'p') + "\r\n";
    pasted.resize(294 * 1024);
    SendMessageA(gEditorWnd, EM_REPLACESEL, TRUE, (LPARAM)pasted.c_str());
    int lines = (int)SendMessageA(gEditorWnd, EM_GETLINECOUNT, 0, 0);
    char expected[64];
    snprintf(expected, sizeof(expected), " | 296.0 KB | %d lines", lines);
    CHECK(StatusText().find(expected) != std::string::npos);
}
