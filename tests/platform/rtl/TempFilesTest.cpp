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
using testing::UnorderedElementsAreArray;
namespace fs = std::filesystem;
using SystemClock = std::chrono::system_clock;

namespace {

std::vector<std::string> Left(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    return names;
}

} // namespace

TEST(TempFiles, OnlyOurOwnTemporaryFilesFromBeforeTheStartGo)
{
    test::TempEnv env;
    const std::string folder = env.Path("pictures/");
    fs::create_directories(folder);
    // Ours, and stale.
    for (const char* name : {".list.vnx.Ab12Cd", ".wallpaper.bmp.x9Y8z7", "temp-AbCdEf.jpg", ".temp-AbCdEf.jpg.000000",
                             ".other.vnx.Ab12Cd"})
        test::WriteOldFile(folder + name);
    // Ours, but being written by a program started since.
    std::ofstream(folder + ".list.vnx.Zz99Zz") << "being written now";
    // Not ours, however old.
    std::vector<std::string> kept = {".list.vnx.Ab12C",  ".list.vnx.Ab12C!", "list.vnx.Ab12Cd",
                                     "..Ab12Cd",         ".bashrc",          ".wallpaper-1700000000000.bmp",
                                     "temp-AbCdEf.png",  "temp-AbCdE.jpg",   "list.vnx",
                                     "target"};
    for (const auto& name : kept) test::WriteOldFile(folder + name);
    fs::create_directory(folder + ".folder.Ab12Cd");
    fs::create_symlink(folder + "target", folder + ".link.Ab12Cd");
    kept.insert(kept.end(), {".folder.Ab12Cd", ".link.Ab12Cd", ".list.vnx.Zz99Zz"});

    // A document's own go first, and no other file's.
    EXPECT_EQ(RemoveStaleTempFilesOf(folder + "list.vnx", ProcessStartTime()), 1);
    EXPECT_TRUE(fs::exists(folder + ".other.vnx.Ab12Cd"));
    EXPECT_EQ(RemoveStaleTempFiles(folder, ProcessStartTime()), 4);
    EXPECT_THAT(Left(folder), UnorderedElementsAreArray(kept));
    EXPECT_EQ(RemoveStaleTempFiles(env.Path("nowhere"), SystemClock::now()), 0);
}

TEST(TempFiles, WhatASaveOrADownloadLeavesIsRecognised)
{
    test::TempEnv env;
    const std::string folder = env.Path("docs/");
    fs::create_directories(folder);
    // A save killed between writing and renaming.
    std::string pattern = SaveTempPattern(folder + "list.vnx");
    ::close(::mkstemp(pattern.data()));
    EXPECT_EQ(fs::path(pattern).parent_path(), fs::path(folder).parent_path());
    EXPECT_TRUE(FileExists(CreateDownloadTempFile(folder)));

    EXPECT_EQ(RemoveStaleTempFiles(folder, ProcessStartTime()), 0);  // made by this process
    EXPECT_EQ(RemoveStaleTempFiles(folder, SystemClock::now() + std::chrono::seconds(5)), 2);
    EXPECT_TRUE(Left(folder).empty());
    EXPECT_THROW(CreateDownloadTempFile(env.Path("nowhere")), EFCreateError);
}
