#pragma once
// The "Open Remote File via SFTP" window and the PSFTP child process.

#include <windows.h>

#include "sftp/psftp_download.h"

extern HWND gSftpDialogWnd;

void ShowSftpDialog(HWND mainWnd);
void RefreshFromSftp(HWND mainWnd);
