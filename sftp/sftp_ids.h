#pragma once
// Control ids of the "Open Remote File via SFTP" window and of the password prompt of
// Refresh from SFTP. Pure: no windows.h (the prompt's buttons are IDOK and IDCANCEL).

enum SftpControlId {
    IDC_SFTP_HOST = 9101,
    IDC_SFTP_PORT = 9102,
    IDC_SFTP_USER = 9103,
    IDC_SFTP_PASSWORD = 9104,
    IDC_SFTP_KEY_PATH = 9105,
    IDC_SFTP_BROWSE_KEY = 9106,
    IDC_SFTP_REMOTE_PATH = 9107,
    IDC_SFTP_READ_ONLY = 9108,
    IDC_SFTP_STATUS = 9109,
    IDC_SFTP_OPEN = 9110,
    IDC_SFTP_CANCEL = 9111,
    IDC_SFTP_PROFILES = 9112,
    IDC_SFTP_SAVE_PROFILE = 9113,
    IDC_SFTP_DELETE_PROFILE = 9114,
    IDC_SFTP_PROFILE_NAME = 9115,
};

enum SftpPromptControlId {
    IDC_PROMPT_PASSWORD = 1001,
};
