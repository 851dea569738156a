#include "platform/rtl/LastError.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"

#include <gtest/gtest.h>

#include <thread>

using namespace velvane;

TEST(LastError, IsKeptPerThread)
{
    SetLastError(WSAETIMEDOUT);
    std::uint32_t seenByOther = 1;
    std::thread([&] {
        seenByOther = GetLastError();
        SetLastError(ERROR_ACCESS_DENIED);
    }).join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), WSAETIMEDOUT);
}

TEST(LastError, FileErrorsLeaveTheSystemNumber)
{
    SetLastError(0);
    EXPECT_THROW(ReadFileBytes("/nonexistent-folder/x.vnx"), EFOpenError);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    SetLastError(0);
    EXPECT_THROW(AtomicWriteFile("/nonexistent-folder/x.vnx", "1|a\r\n"), EFCreateError);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}
