#include "platform/rtl/Streams.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

using namespace velvane;

namespace {

String Contents(TMemoryStream& s)
{
    return String(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

} // namespace

TEST(MemoryStream, SeekAndSizeEdges)
{
    TMemoryStream s;
    EXPECT_EQ(s.Size(), 0);
    char c = 0;
    EXPECT_EQ(s.Read(&c, 1), 0);
    s.WriteBuffer("abc", 3);
    EXPECT_EQ(s.Position(), 3);

    // Past the end is allowed; a write there fills the gap with zeros.
    EXPECT_EQ(s.Seek(6, TSeekOrigin::soBeginning), 6);
    EXPECT_EQ(s.Size(), 3);
    s.WriteBuffer("x", 1);
    EXPECT_EQ(Contents(s), String("abc\0\0\0x", 7));

    EXPECT_EQ(s.Seek(-2, TSeekOrigin::soEnd), 5);
    EXPECT_EQ(s.Seek(-10, TSeekOrigin::soCurrent), -1);
    EXPECT_EQ(s.Position(), 5);
    char buf[16];
    EXPECT_EQ(s.Read(buf, sizeof buf), 2);
    EXPECT_EQ(s.Read(buf, 1), 0);

    s.SetPosition(1);
    try {
        s.ReadBuffer(buf, 10);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Erro de leitura do fluxo");
    }

    s.SetPosition(7);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(Contents(s), "ab");
    s.SetSize(4);
    EXPECT_EQ(Contents(s), String("ab\0\0", 4));
    EXPECT_EQ(s.Position(), 2);
    EXPECT_THROW(s.SetSize(-1), EStreamError);

    s.Seek(std::numeric_limits<std::int64_t>::max(), TSeekOrigin::soBeginning);
    EXPECT_EQ(s.Seek(1, TSeekOrigin::soCurrent), -1);
    EXPECT_THROW(s.WriteBuffer("z", 1), EWriteError);

    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, FileAndStreamRoundTrips)
{
    test::TempEnv env;
    TMemoryStream s;
    for (int i = 0; i < 256; ++i) {
        auto b = static_cast<std::uint8_t>(i);
        s.WriteBuffer(&b, 1);
    }
    String path = env.Path("bytes.bin");
    s.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path).size(), 256u);

    TMemoryStream back;
    back.WriteBuffer("junk", 4);
    back.LoadFromFile(path);
    EXPECT_EQ(back.Position(), 0);
    EXPECT_EQ(Contents(back), Contents(s));

    TMemoryStream copy;
    s.SetPosition(100);
    copy.LoadFromStream(s);
    EXPECT_EQ(Contents(copy), Contents(s));
    TMemoryStream saved;
    copy.SaveToStream(saved);
    EXPECT_EQ(Contents(saved), Contents(s));

    EXPECT_THROW(back.LoadFromFile(env.Path("missing")), EFOpenError);
    EXPECT_EQ(Contents(back), Contents(s));
}

TEST(Stream, CopyFrom)
{
    TMemoryStream source;
    String big;
    for (int i = 0; i < 200001; ++i) big += static_cast<char>('a' + i % 26);
    source.WriteBuffer(big.data(), static_cast<std::int64_t>(big.size()));

    // Zero means everything, from the start, wherever the source stands.
    source.SetPosition(1234);
    TMemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 200001);
    EXPECT_EQ(Contents(target), big);

    source.SetPosition(199990);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(source, 5), 5);
    EXPECT_EQ(Contents(part), big.substr(199990, 5));
    EXPECT_THROW(part.CopyFrom(source, 100), EReadError);

    TMemoryStream empty;
    EXPECT_EQ(part.CopyFrom(empty, 0), 0);
}

TEST(FileStream, CreateWriteSeekAndTruncate)
{
    test::TempEnv env;
    String path = env.Path("f.dat");
    AtomicWriteFile(path, "previous contents that will go");
    {
        TFileStream f(path, fmCreate);
        EXPECT_EQ(f.FileName(), path);
        EXPECT_EQ(f.Size(), 0);  // created means truncated
        f.WriteBuffer("hello world", 11);
        EXPECT_EQ(f.Size(), 11);
        EXPECT_EQ(f.Position(), 11);
        EXPECT_EQ(f.Seek(-5, TSeekOrigin::soEnd), 6);
        char buf[5];
        f.ReadBuffer(buf, 5);
        EXPECT_EQ(String(buf, 5), "world");
        EXPECT_EQ(f.Read(buf, 5), 0);
        f.SetSize(5);
        EXPECT_EQ(f.Position(), 5);
        EXPECT_EQ(f.Size(), 5);
        EXPECT_THROW(f.SetSize(-1), EWriteError);
    }
    EXPECT_EQ(ReadFileBytes(path), "hello");

    {
        TFileStream f(path, fmOpenReadWrite);
        f.Seek(0, TSeekOrigin::soEnd);
        f.WriteBuffer("!", 1);
    }
    EXPECT_EQ(ReadFileBytes(path), "hello!");

    TFileStream reader(path, fmOpenRead);
    EXPECT_EQ(reader.Size(), 6);
    EXPECT_THROW(reader.WriteBuffer("x", 1), EWriteError);
    char buf[6];
    reader.ReadBuffer(buf, 6);
    EXPECT_EQ(String(buf, 6), "hello!");
    EXPECT_THROW(reader.ReadBuffer(buf, 1), EReadError);
}

TEST(FileStream, ErrorsNameTheFile)
{
    test::TempEnv env;
    String missing = env.Path("missing.txt");
    for (unsigned mode : {fmOpenRead, fmOpenWrite, fmOpenReadWrite}) {
        try {
            TFileStream f(missing, mode);
            FAIL() << "no error";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), "Não foi possível abrir o arquivo \"" + missing + "\". Arquivo ou diretório inexistente");
        }
    }
    EXPECT_FALSE(FileExists(missing));

    String nowhere = env.Path("no/such/folder.txt");
    try {
        TFileStream f(nowhere, fmCreate);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Não foi possível criar o arquivo \"" + nowhere + "\". Arquivo ou diretório inexistente");
    }
    EXPECT_THROW(TFileStream(env.Root(), fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(env.Root(), fmCreate), EFCreateError);
}
