#include "platform/rtl/FileUtils.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Raises.h"
#include "tests/support/TempEnv.h"
#include "tests/support/Watchdog.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace velvane;
using velvane::test::MessageOf;
namespace fs = std::filesystem;

namespace {

std::vector<String> Entries(const String& folder)
{
    std::vector<String> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const String& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

} // namespace

TEST(FileUtils, PathPieces)
{
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ExtractFilePath("c.txt"), "");
    EXPECT_EQ(ExtractFilePath("/"), "/");
    EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(ExtractFileName("/a/b/"), "");
    EXPECT_EQ(ExtractFileName("c"), "c");
    EXPECT_EQ(ExtractFileExt("a/b.c/x.jpg"), ".jpg");
    EXPECT_EQ(ExtractFileExt("a.b/x"), "");
    EXPECT_EQ(ExtractFileExt("x.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("x."), ".");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
}

TEST(FileUtils, ExistsDeleteAndForceDirectories)
{
    test::TempEnv env;
    String deep = env.Path("one/two/three");
    EXPECT_TRUE(ForceDirectories(deep + "/"));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_FALSE(FileExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));  // already there

    String file = env.Path("one/f");
    AtomicWriteFile(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(ForceDirectories(file + "/sub"));  // a file is in the way
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(DeleteFile(file));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(ForceDirectories(""));
}

TEST(FileUtils, AtomicWriteKeepsExactBytesAndPermissions)
{
    test::TempEnv env;
    String path = env.Path("data.bin");
    String bytes;
    for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7);
    AtomicWriteFile(path, bytes);
    EXPECT_EQ(ReadFileBytes(path), bytes);

    mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(ModeOf(path), 0644 & ~mask);

    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    AtomicWriteFile(path, "short");
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_EQ(ModeOf(path), 0600u);

    AtomicWriteFile(path, "");
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_EQ(Entries(env.Root()), std::vector<String>{"data.bin"});
}

TEST(FileUtils, AtomicWriteFailureLeavesOldFileAndNoTemp)
{
    test::TempEnv env;
    String missing = env.Path("nowhere/file.txt");
    EXPECT_EQ(MessageOf<EFCreateError>([&] { AtomicWriteFile(missing, "x"); }),
              "Não foi possível criar o arquivo \"" + missing + "\". Arquivo ou diretório inexistente");

    // A folder where the file should be: the temporary is made, the rename fails.
    String folder = env.Path("taken");
    ASSERT_TRUE(ForceDirectories(folder));
    AtomicWriteFile(folder + "/inside", "keep");
    EXPECT_THROW(AtomicWriteFile(folder, "new"), EFCreateError);
    EXPECT_EQ(ReadFileBytes(folder + "/inside"), "keep");
    EXPECT_EQ(Entries(env.Root()), std::vector<String>{"taken"});
    EXPECT_THROW(AtomicWriteFile(env.Root() + "/", "x"), EFCreateError);

    // A file size limit makes the write itself fail part way.
    String path = env.Path("old.txt");
    AtomicWriteFile(path, "old contents");
    {
        test::FileSizeLimit limit(4096);
        EXPECT_NE(MessageOf<EWriteError>([&] { AtomicWriteFile(path, String(10000, 'n')); }).find(path), String::npos);
    }
    EXPECT_EQ(ReadFileBytes(path), "old contents");
    EXPECT_EQ((Entries(env.Root())), (std::vector<String>{"old.txt", "taken"}));
}

TEST(FileUtils, AtomicWriteTakesItsBytesPieceByPiece)
{
    test::TempEnv env;
    const String path = env.Path("pieces.bin"), whole = "one," + String(100000, 'x') + ",two";
    AtomicWriteFile(path, [](const TByteSink& write) {
        write("one,");
        write(String(100000, 'x'));
        write(",two");
    });
    EXPECT_EQ(ReadFileBytes(path), whole);

    // Stopped part way by its own error (a failed write is above): the old
    // file stays and no temporary one is left.
    const auto halfThenFail = [](const TByteSink& write) {
        write("half");
        throw EInvalidGraphic("cannot go on");
    };
    EXPECT_THROW(AtomicWriteFile(path, halfThenFail), EInvalidGraphic);
    EXPECT_EQ(ReadFileBytes(path), whole);
    EXPECT_EQ(Entries(env.Root()), std::vector<String>{"pieces.bin"});
}

TEST(FileUtils, ReplacingALargeFileLeavesNoOtherNameBehind)
{
    test::Watchdog dog(std::chrono::seconds(60), "removing the replaced files");
    test::TempEnv env;
    const String path = env.Path("large.bmp");
    for (char fill : {'a', 'b', 'c', 'd'}) {
        AtomicWriteFile(path, String(3 << 20, fill));
        EXPECT_EQ(ReadFileBytes(path), String(3 << 20, fill));  // the new contents at once
    }
    // The versions pushed out go on a thread of their own.
    while (Entries(env.Root()).size() > 1) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(Entries(env.Root()), std::vector<String>{"large.bmp"});
}

TEST(FileUtils, ReadFileBytesNamesTheFile)
{
    test::TempEnv env;
    String missing = env.Path("absent");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { ReadFileBytes(missing); }),
              "Não foi possível abrir o arquivo \"" + missing + "\". Arquivo ou diretório inexistente");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { ReadFileBytes(env.Root()); }),
              "Não foi possível abrir o arquivo \"" + env.Root() + "\". É um diretório");
}
