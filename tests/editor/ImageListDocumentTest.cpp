#include "editor/ImageListDocument.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velvane;

using Entries = std::vector<TImageEntry>;

TEST(ImageListDocument, WritesCrLfAfterEveryLineAndNothingForAnEmptyList)
{
    EXPECT_EQ(FormatImageList({}), "");
    EXPECT_EQ(FormatImageList({{"/home/u/a.jpg", true}, {"http://www.example.com/b.bmp", false}, {"", true}}),
              "1|/home/u/a.jpg\r\n0|http://www.example.com/b.bmp\r\n1|\r\n");

    test::TempEnv env;
    String path = env.Path("list.vnx");
    WriteImageList(path, {});
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_TRUE(ReadImageList(path).empty());
}

TEST(ImageListDocument, EntriesSurviveARoundTrip)
{
    Entries entries = {{"/home/u/Imagens/praia.jpg", true},
                       {"http://www.example.com/a|b.jpg", false},  // a "|" inside the entry
                       {"", true},
                       {"  blanks  ", false},
                       {"çãõ € 日本.bmp", true}};
    EXPECT_EQ(ParseImageList(FormatImageList(entries)), entries);
}

TEST(ImageListDocument, HostileDocumentsLoadWhatCanBeRead)
{
    // Lines without "|" are skipped, not the end of the read; any line break
    // ends a line; only exactly "1" checks.
    EXPECT_EQ(ParseImageList("1|a\r\n\r\nno bar here\r\n0|b\r\n"), (Entries{{"a", true}, {"b", false}}));
    EXPECT_EQ(ParseImageList("1|a\r0|b\r1|c"), (Entries{{"a", true}, {"b", false}, {"c", true}}));
    EXPECT_EQ(ParseImageList("1|a\n\n0|b\n"), (Entries{{"a", true}, {"b", false}}));
    EXPECT_EQ(ParseImageList("1|a\r\r\n0|b"), (Entries{{"a", true}, {"b", false}}));
    EXPECT_EQ(ParseImageList("11|a\r\nx|b\r\n|c\r\n 1|d\r\n"),
              (Entries{{"a", false}, {"b", false}, {"c", false}, {"d", false}}));
    EXPECT_EQ(ParseImageList(String("1|a\0b\r\n", 7)), (Entries{{String("a\0b", 3), true}}));
    EXPECT_TRUE(ParseImageList("\r\n\n\r").empty());

    String longEntry(1 << 20, 'x');
    EXPECT_EQ(ParseImageList("0|" + longEntry), (Entries{{longEntry, false}}));
}

TEST(ImageListDocument, AHundredThousandEntriesRoundTripThroughAFile)
{
    test::TempEnv env;
    Entries entries;
    for (int i = 0; i < 100000; ++i)
        entries.push_back({"/home/u/Imagens/foto" + std::to_string(i) + ".jpg", i % 3 != 0});
    String path = env.Path("big.vnx");
    WriteImageList(path, entries);
    EXPECT_EQ(ReadImageList(path), entries);
}

TEST(ImageListDocument, AFailedSaveLeavesTheOldFileWhole)
{
    test::TempEnv env;
    String path = env.Path("list.vnx");
    WriteImageList(path, {{"a.jpg", true}});
    // A folder where the temporary file should go cannot take it.
    std::filesystem::create_directory(path + ".d");
    EXPECT_THROW(WriteImageList(path + ".d/sub/x.vnx", {{"b.jpg", true}}), EFCreateError);
    // Replacing a folder fails after the temporary file was written.
    EXPECT_THROW(WriteImageList(path + ".d", {{"b.jpg", true}}), Exception);
    EXPECT_EQ(ReadFileBytes(path), "1|a.jpg\r\n");
    // An entry across lines would come back as another entry: never written.
    for (const char* broken : {"nova\nlinha.jpg", "nova\rlinha.jpg"})
        EXPECT_THROW(WriteImageList(path, {{"b.jpg", true}, {broken, false}}), EWriteError) << broken;
    EXPECT_EQ(ReadFileBytes(path), "1|a.jpg\r\n");
    EXPECT_THROW(ReadImageList(env.Path("missing.vnx")), EFOpenError);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(env.Root())) files += e.is_regular_file();
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
}
