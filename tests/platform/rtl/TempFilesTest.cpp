#include "platform/rtl/TempFiles.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/OldFile.h"
#include "tests/support/TempEnv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace velvane;
using testing::UnorderedElementsAre;
using testing::UnorderedElementsAreArray;
namespace fs = std::filesystem;
using SystemClock = std::chrono::system_clock;

namespace {

class TempFilesTest : public testing::Test {
protected:
    void SetUp() override { folder = env.Path("pictures/"); fs::create_directories(folder); }

    // A file last changed long before this test began.
    void Old(const std::string& name) { test::WriteOldFile(folder + name); }
    void New(const std::string& name) { std::ofstream(folder + name) << "being written now"; }

    std::vector<std::string> Left() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        return names;
    }

    test::TempEnv env;
    std::string folder;
};

} // namespace

TEST_F(TempFilesTest, OnlyOurOwnTemporaryFilesFromBeforeTheStartGo)
{
    // Ours, and stale.
    Old(".list.vnx.Ab12Cd");
    Old(".wallpaper.bmp.x9Y8z7");
    Old("temp-AbCdEf.jpg");
    Old(".temp-AbCdEf.jpg.000000");
    // Ours, but being written by a program started since.
    New(".list.vnx.Zz99Zz");
    New("temp-QwErTy.jpg");
    // Not ours, however old.
    std::vector<std::string> kept = {".list.vnx.Ab12C",  ".list.vnx.Ab12C!", "list.vnx.Ab12Cd",
                                     "..Ab12Cd",         ".bashrc",          ".wallpaper-1700000000000.bmp",
                                     "temp-AbCdEf.png",  "temp-AbCdE.jpg",   "list.vnx",
                                     "target"};
    for (const auto& name : kept) Old(name);
    fs::create_directory(folder + ".folder.Ab12Cd");
    fs::create_symlink(folder + "target", folder + ".link.Ab12Cd");
    kept.insert(kept.end(), {".folder.Ab12Cd", ".link.Ab12Cd", ".list.vnx.Zz99Zz", "temp-QwErTy.jpg"});

    EXPECT_EQ(RemoveStaleTempFiles(folder, ProcessStartTime()), 4);
    EXPECT_THAT(Left(), UnorderedElementsAreArray(kept));

    // A later time takes the newer ones too.
    EXPECT_EQ(RemoveStaleTempFiles(folder, SystemClock::now() + std::chrono::hours(1)), 2);
    EXPECT_EQ(RemoveStaleTempFiles(env.Path("nowhere"), SystemClock::now()), 0);
}

TEST_F(TempFilesTest, ADocumentsOwnTemporariesGoAndNoOtherFilesOnes)
{
    Old(".list.vnx.Ab12Cd");
    Old(".list.vnx.Ef34Gh");
    Old(".other.vnx.Ab12Cd");
    Old("temp-AbCdEf.jpg");
    EXPECT_EQ(RemoveStaleTempFilesOf(folder + "list.vnx", ProcessStartTime()), 2);
    EXPECT_THAT(Left(), UnorderedElementsAre(".other.vnx.Ab12Cd", "temp-AbCdEf.jpg"));
    EXPECT_EQ(RemoveStaleTempFilesOf(folder, ProcessStartTime()), 0);
}

TEST_F(TempFilesTest, WhatASaveOrADownloadLeavesIsRecognised)
{
    // A save killed between writing and renaming.
    std::string pattern = SaveTempPattern(folder + "list.vnx");
    const int fd = ::mkstemp(pattern.data());
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(fs::path(pattern).parent_path(), fs::path(folder).parent_path());
    const std::string download = CreateDownloadTempFile(folder);
    EXPECT_TRUE(FileExists(download));

    EXPECT_EQ(RemoveStaleTempFiles(folder, ProcessStartTime()), 0);  // made by this process
    EXPECT_EQ(RemoveStaleTempFiles(folder, SystemClock::now() + std::chrono::seconds(5)), 2);
    EXPECT_TRUE(Left().empty());
    EXPECT_LE(ProcessStartTime(), SystemClock::now());

    EXPECT_THROW(CreateDownloadTempFile(env.Path("nowhere")), EFCreateError);
}
