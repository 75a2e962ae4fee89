#include "support/core/LaunchErrors.h"

#include <gtest/gtest.h>

namespace {

TEST(LaunchErrors, EveryCodeOfTheTableAndOthers)
{
    const struct {
        int nCode;
        const char* pszText;
    } cases[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {4, "Unknown Error (4) occurred."},
        {33, "Unknown Error (33) occurred."},
        {-7, "Unknown Error (-7) occurred."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LaunchErrorMessage(c.nCode), QStringLiteral("Unable to open hyperlink:\n\n") + QString::fromUtf8(c.pszText));
    EXPECT_FALSE(LaunchSucceeded(32));
    EXPECT_TRUE(LaunchSucceeded(33));
}

}  // namespace
