#include "LaunchErrors.h"

QString LaunchErrorText(int nCode)
{
    switch (nCode) {
    case LAUNCH_OUT_OF_RESOURCES:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case LAUNCH_FILE_NOT_FOUND:
        return QStringLiteral("The specified file was not found.");
    case LAUNCH_PATH_NOT_FOUND:
        return QStringLiteral("The specified path was not found.");
    case LAUNCH_ACCESS_DENIED:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case LAUNCH_OUT_OF_MEMORY:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case LAUNCH_BAD_FORMAT:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case LAUNCH_SHARING_VIOLATION:
        return QStringLiteral("A sharing violation occurred. ");
    case LAUNCH_ASSOC_INCOMPLETE:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case LAUNCH_DDE_TIMEOUT:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case LAUNCH_DDE_FAIL:
        return QStringLiteral("The DDE transaction failed.");
    case LAUNCH_DDE_BUSY:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\n"
                              "were being processed.");
    case LAUNCH_NO_ASSOC:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case LAUNCH_DLL_NOT_FOUND:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QString::asprintf("Unknown Error (%d) occurred.", nCode);
    }
}

QString LaunchErrorMessage(int nCode)
{
    return QStringLiteral("Unable to open hyperlink:\n\n") + LaunchErrorText(nCode);
}
