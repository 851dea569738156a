#include "platform/graphics/Graphics.h"
#include "platform/win/Bitmaps.h"
#include "platform/win/SysInfo.h"
#include "platform/win/WinError.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

using namespace velvane;

TEST(SystemInformation, AnswersFitTheCallersBufferOrSayHowMuchIsNeeded)
{
    const String login = getpwuid(getuid())->pw_name;
    std::vector<char> buffer(login.size() + 1);
    DWORD size = static_cast<DWORD>(buffer.size());
    ASSERT_TRUE(GetUserNameA(buffer.data(), &size));
    EXPECT_EQ(String(buffer.data()), login);
    size = static_cast<DWORD>(login.size());  // no room for the terminator
    EXPECT_FALSE(GetUserNameA(buffer.data(), &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, login.size() + 1);

    velvane::test::TempEnv env;
    char folder[512];
    EXPECT_EQ(GetWindowsDirectoryA(folder, sizeof folder), env.ConfigHome().size() + 8);
    EXPECT_EQ(String(folder), env.ConfigHome() + "/velvane");
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetSystemDirectoryA(small, sizeof small), env.DataHome().size() + 9);
    EXPECT_EQ(small[0], 'x');
}

TEST(SystemBitmaps, CheckBoxStripIsFourByThreeCellsOfOurOwnDrawing)
{
    HBITMAP strip = LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECKBOXES));
    ASSERT_NE(strip, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(strip, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 4 * 13);
    EXPECT_EQ(info.bmHeight, 3 * 13);
    const TCanvas& canvas = const_cast<TBitmap*>(BitmapOfHandle(strip))->Canvas();
    EXPECT_EQ(canvas.Pixels(5, 5), clWhite);        // clear box
    EXPECT_EQ(canvas.Pixels(13 + 9, 3), clBlack);   // the check mark's top
    EXPECT_EQ(canvas.Pixels(26 + 5, 5), clSilver);  // pressed box

    EXPECT_TRUE(DeleteObject(strip));
    EXPECT_FALSE(DeleteObject(strip));
    EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(32760)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}
