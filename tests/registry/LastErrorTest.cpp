#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "LastError.h"

using namespace zanver;

TEST(LastError, TextDropsTrailingBlanksAndFullStops) {
    SetLastErrorCode(err::kAccessDenied);
    EXPECT_EQ(LastErrorCode(), err::kAccessDenied);
    const std::string text = LastErrorText();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '.');
    EXPECT_GT(static_cast<unsigned char>(text.back()), 32);
    EXPECT_EQ(SystemErrorText(err::kAccessDenied).rfind(text, 0), 0u);
}

#ifndef _WIN32
// Elsewhere than on Windows the texts come from our own table, which must read
// as the system's English texts do.
TEST(LastError, TableHoldsTheSystemTexts) {
    const std::pair<long, const char*> expected[] = {
        {err::kSuccess, "The operation completed successfully"},
        {err::kFileNotFound, "The system cannot find the file specified"},
        {err::kAccessDenied, "Access is denied"},
        {err::kInvalidParameter, "The parameter is incorrect"},
        {err::kMoreData, "More data is available"},
        {err::kNoMoreItems, "No more data is available"},
        {err::kKeyDeleted,
         "Illegal operation attempted on a registry key that has been marked for deletion"},
    };
    for (const auto& [code, text] : expected) {
        SetLastErrorCode(code);
        EXPECT_EQ(LastErrorText(), text) << code;
    }
    SetLastErrorCode(123456);
    EXPECT_EQ(LastErrorText(), "Unknown error 123456");
}
#endif
