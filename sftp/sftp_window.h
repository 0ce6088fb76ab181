#pragma once
// The "Open Remote File via SFTP" window with its saved connections, the remote
// documents it opens, and Refresh from SFTP with its password prompt.

#include <windows.h>

#include <string>
#include <vector>

#include "app/dialog_edit.h"
#include "sftp/psftp_download.h"
#include "sftp/sftp_connection.h"
#include "sftp/sftp_profiles.h"

struct TabDocument;

extern HWND gSftpDialogWnd;
extern HWND gSftpDialogOwner;
extern std::vector<SftpProfile> gSftpProfiles;
// Enter in a field of the SFTP window opens, with Shift as well; Esc cancels.
extern const PopupButtons kSftpWindowButtons;

// Command 1025: opens the window, or brings an open one to the front.
void ShowSftpDialog(HWND owner);
LRESULT CALLBACK SftpDialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void FillSavedConnectionsCombo(HWND window);
void FillSftpDialogFromProfile(HWND window, const SftpProfile& profile);
// Stores the connection as the most recent profile and writes the list.
void AddOrUpdateSftpProfile(const SftpConnection& connection, const char* name);
void SaveSftpProfiles();

// The first tab whose document has exactly this URL, or -1.
int FindTabBySftpUrl(const std::string& url);
void SetDocumentRemoteInfo(TabDocument* doc, const SftpConnection& connection);
// Makes tab index (a remote document already open) the active one and says so.
void SwitchToOpenRemoteTab(int index);
// Shows a downloaded copy in a new tab titled with the remote name and " [SFTP]", or
// switches to the tab that already has its URL (the new copy is then deleted).
bool OpenSftpDownloadInTab(HWND owner, const SftpConnection& connection, const std::string& localPath);
// Command 1026: downloads the active remote document again and replaces its text as one
// undo step.
bool RefreshFromSftp(HWND mainWnd);
LRESULT CALLBACK PasswordPromptWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
