#pragma once
// The editor font: the preferred fixed-pitch coding fonts, zoom and the Font dialog.

#include <windows.h>

// The editor font's face and size in points (settings).
extern char gFontName[32];
extern int gFontSize;

// The coding fonts preferred in this order, with "GulimChe" as the last resort. Tests
// put a font of the machine here, as none of these needs to be installed.
extern const char* gPreferredCodingFonts[2];

bool IsFontInstalled(const char* face);
const char* PickDefaultCodingFont();
HFONT CreateEditorFont(const char* face, int points);
void ApplyEditorFont(HWND mainWnd);
void ApplyEditorFontIfReady(HWND mainWnd);
void ChooseEditorFont(HWND owner);
// One Ctrl+wheel step: 2 points larger (delta > 0) or smaller, clamped to 6..72.
void ZoomEditorFont(HWND editor, int wheelDelta);
