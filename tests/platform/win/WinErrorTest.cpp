#include "platform/win/WinError.h"

#include <gtest/gtest.h>

#include <thread>

using namespace velvane;

TEST(LastError, IsKeptPerThread)
{
    SetLastError(WSAETIMEDOUT);
    DWORD seenByOther = 1;
    std::thread([&] {
        seenByOther = GetLastError();
        SetLastError(ERROR_ACCESS_DENIED);
    }).join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), WSAETIMEDOUT);
}
