#include "platform/rtl/Strings.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

using namespace velvane;

namespace {

using Lines = std::vector<String>;

Lines All(const TStrings& list)
{
    Lines lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
    return lines;
}

} // namespace

TEST(Strings, SplitLines)
{
    EXPECT_EQ(TStrings::SplitLines(""), Lines{});
    EXPECT_EQ(TStrings::SplitLines("\n"), Lines{""});
    EXPECT_EQ(TStrings::SplitLines("\r\n"), Lines{""});
    EXPECT_EQ(TStrings::SplitLines("\r"), Lines{""});
    EXPECT_EQ(TStrings::SplitLines("\n\r"), (Lines{"", ""}));
    EXPECT_EQ(TStrings::SplitLines("a"), Lines{"a"});
    EXPECT_EQ(TStrings::SplitLines("a\n"), Lines{"a"});
    EXPECT_EQ(TStrings::SplitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(TStrings::SplitLines("a\rb\nc\r\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(TStrings::SplitLines("a\n\nb\n\n"), (Lines{"a", "", "b", ""}));
    EXPECT_EQ(TStrings::SplitLines(String("x\0y\r", 4)), Lines{String("x\0y", 3)});
}

TEST(Strings, TextRoundTrips)
{
    for (const Lines& lines : {Lines{}, Lines{""}, Lines{"", ""}, Lines{"a", ""}, Lines{"", "b", ""},
                               Lines{"one", "two \t", "\xC3\xA9t\xC3\xA9"}}) {
        TStringList list;
        for (const auto& l : lines) list.Add(l);
        String text = list.Text();
        TStringList back;
        back.SetText(text);
        EXPECT_EQ(All(back), lines) << text;
        EXPECT_EQ(back.Text(), text);
    }
    TStringList list{"a", "b"};
    EXPECT_EQ(list.Text(), "a\r\nb\r\n");
    list.SetText("x\ny");
    EXPECT_EQ(All(list), (Lines{"x", "y"}));
}

TEST(Strings, SaveAndLoadFileBytes)
{
    test::TempEnv env;
    String path = env.Path("list.txt");
    TStringList list{"a", "", "b"};
    list.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path), "a\r\n\r\nb\r\n");

    TStringList empty;
    empty.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path), "");

    // Bytes come back as they are; only a leading UTF-8 BOM goes.
    AtomicWriteFile(path, "\xEF\xBB\xBFx\r\ny\xFF\n\xEF\xBB\xBFz");
    TStringList loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(All(loaded), (Lines{"x", "y\xFF", "\xEF\xBB\xBFz"}));

    AtomicWriteFile(path, "\xEF\xBB\xBF");
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Count(), 0);

    String missing = env.Path("gone.txt");
    try {
        loaded.LoadFromFile(missing);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("\"" + missing + "\""), String::npos);
    }

    // Saving over a folder or into a missing one fails.
    TStringList other{"new"};
    EXPECT_THROW(other.SaveToFile(env.Root()), EFCreateError);
    EXPECT_THROW(other.SaveToFile(env.Path("no/dir.txt")), EFCreateError);
}

TEST(Strings, StreamRoundTrip)
{
    TStringList list{"first", "", "third"};
    TMemoryStream stream;
    stream.WriteBuffer("HEAD", 4);
    list.SaveToStream(stream);
    stream.SetPosition(4);  // loading takes the rest of the stream
    TStringList back;
    back.LoadFromStream(stream);
    EXPECT_EQ(All(back), All(list));

    TMemoryStream bom;
    bom.WriteBuffer("\xEF\xBB\xBFq\r\n", 6);
    bom.SetPosition(0);
    back.LoadFromStream(bom);
    EXPECT_EQ(All(back), Lines{"q"});
}

TEST(Strings, IndexesAreChecked)
{
    TStringList list{"a", "b", "c"};
    auto message = [&](auto action) {
        try {
            action();
        } catch (const EListError& e) {
            return e.Message();
        }
        return String("no error");
    };
    EXPECT_EQ(message([&] { list.Get(3); }), "Índice de lista fora dos limites (3)");
    EXPECT_EQ(message([&] { list.Get(-1); }), "Índice de lista fora dos limites (-1)");
    EXPECT_EQ(message([&] { list.Put(5, "x"); }), "Índice de lista fora dos limites (5)");
    EXPECT_EQ(message([&] { list.Delete(3); }), "Índice de lista fora dos limites (3)");
    EXPECT_EQ(message([&] { list.Insert(4, "x"); }), "Índice de lista fora dos limites (4)");
    EXPECT_EQ(message([&] { list.Insert(-1, "x"); }), "Índice de lista fora dos limites (-1)");
    EXPECT_EQ(message([&] { list.Exchange(0, 7); }), "Índice de lista fora dos limites (7)");
    EXPECT_EQ(message([&] { list.Move(1, 3); }), "Índice de lista fora dos limites (3)");
    EXPECT_EQ(All(list), (Lines{"a", "b", "c"}));

    list.Insert(3, "d");
    list.Insert(0, "start");
    EXPECT_EQ(All(list), (Lines{"start", "a", "b", "c", "d"}));
    list.Delete(0);
    EXPECT_EQ(list.IndexOf("c"), 2);
    EXPECT_EQ(list.IndexOf("C"), -1);
}

TEST(Strings, MoveExchangeAssign)
{
    TStringList list{"a", "b", "c", "d"};
    list.Move(0, 3);
    EXPECT_EQ(All(list), (Lines{"b", "c", "d", "a"}));
    list.Move(3, 0);
    EXPECT_EQ(All(list), (Lines{"a", "b", "c", "d"}));
    list.Move(2, 2);
    list.Exchange(0, 3);
    EXPECT_EQ(All(list), (Lines{"d", "b", "c", "a"}));
    list.Exchange(1, 1);
    EXPECT_EQ(All(list), (Lines{"d", "b", "c", "a"}));

    list.AddStrings(list);
    EXPECT_EQ(list.Count(), 8);
    TStringList copy{"old"};
    copy.Assign(list);
    EXPECT_EQ(All(copy), All(list));
    copy.Assign(copy);
    EXPECT_EQ(copy.Count(), 8);
}

TEST(Strings, Values)
{
    TStringList list{"plain line", "Name=first", "name=second", "Path=a=b", "Empty=", "=nameless"};
    EXPECT_EQ(list.Values("NAME"), "first");
    EXPECT_EQ(list.Values("path"), "a=b");
    EXPECT_EQ(list.Values("Empty"), "");
    EXPECT_EQ(list.Values("plain line"), "");
    EXPECT_EQ(list.Values(""), "nameless");
    EXPECT_EQ(list.Values("Nam"), "");
}

TEST(StringList, OnChangeAfterEveryChange)
{
    TStringList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    list.Add("a");
    list.Add("b");
    list.Put(0, "z");
    list.Insert(1, "m");
    list.Delete(2);
    EXPECT_EQ(changes, 5);
    EXPECT_THROW(list.Delete(9), EListError);
    EXPECT_EQ(changes, 5);
    list.Clear();
    EXPECT_EQ(changes, 6);
    list.Clear();  // nothing to clear, nothing changed
    EXPECT_EQ(changes, 6);
    list.SetText("1\n2\n3");
    EXPECT_EQ(changes, 9);
    EXPECT_EQ(All(list), (Lines{"1", "2", "3"}));
}
