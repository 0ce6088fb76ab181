#include "sftp/sftp_window.h"

HWND gSftpDialogWnd = nullptr;

// The remote-file window arrives with its own work; until then these do nothing.
void ShowSftpDialog(HWND) {}
void RefreshFromSftp(HWND) {}
