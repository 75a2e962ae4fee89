// The results of asking the desktop to open an address, and the texts that explain a failure.
// The codes are those of the classic shell launcher, so that every failure reads as users of the
// program have always seen it, whatever the platform.
#pragma once

#include <QString>

enum ELaunchResult {
    LAUNCH_OUT_OF_RESOURCES = 0,
    LAUNCH_FILE_NOT_FOUND = 2,
    LAUNCH_PATH_NOT_FOUND = 3,
    LAUNCH_ACCESS_DENIED = 5,
    LAUNCH_OUT_OF_MEMORY = 8,
    LAUNCH_BAD_FORMAT = 11,
    LAUNCH_SHARING_VIOLATION = 26,
    LAUNCH_ASSOC_INCOMPLETE = 27,
    LAUNCH_DDE_TIMEOUT = 28,
    LAUNCH_DDE_FAIL = 29,
    LAUNCH_DDE_BUSY = 30,
    LAUNCH_NO_ASSOC = 31,
    LAUNCH_DLL_NOT_FOUND = 32,
    LAUNCH_SUCCEEDED = 42,      // any value above 32 means the launch succeeded
};

inline bool LaunchSucceeded(int nResult)
{
    return nResult > 32;
}

// The explanation of a failed launch; "Unknown Error (n) occurred." for a code not in the table.
QString LaunchErrorText(int nCode);

// The whole text of the launch-error box: "Unable to open hyperlink:", a blank line, the explanation.
QString LaunchErrorMessage(int nCode);
