#pragma once
// Fetching one remote file with the PSFTP client: finding the client (or writing out the
// copy the program carries), running it as a hidden child with a batch script, and
// waiting for it on the UI thread while every window's messages are dispatched.

#include <windows.h>

#include <string>

#include "sftp/sftp_connection.h"

// The running child (null when none) and the cancel request the wait polls.
extern HANDLE gSftpProcess;
extern HANDLE gSftpThread;
extern bool gSftpCancel;

// The wait's MsgWaitForMultipleObjects; tests put a stand-in here that behaves as an
// older Windows does.
extern DWORD(WINAPI* gSftpMsgWait)(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms, DWORD wakeMask);

// The client to run: psftp.exe beside the executable, under APPDATA\Zorvik, in the
// temporary folder, else the stored client written out, else psftp.exe on the search
// path. False for no client, a null buffer or a size below 1.
bool LocatePsftp(char* buffer, int size);

// Downloads the connection's remote file into a new copy in the temporary folder. The
// window (may be null) gets IsDialogMessage during the wait. True with the copy's path
// in localPath; false with one of the download's error texts in error. Shows nothing.
bool DownloadSftpFile(HWND window, const SftpConnection& connection, std::string* localPath,
                      std::string* error);

// Ends the running child (exit code 1, waited for up to 3 s) and drops its handles; a
// download waiting for it ends as cancelled.
void StopSftpProcess();
// StopSftpProcess, then every other psftp.exe that this process started and that still
// runs; never one that the user or another program started.
void KillLeftoverSftpProcesses();
