#include "platform/classes/Collections.h"
#include "platform/classes/Filer.h"
#include "tests/support/Raises.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace velvane;
using velvane::test::MessageOf;
using velvane::test::Watchdog;
using namespace std::chrono_literals;

namespace {

enum class TShade { shLight, shDark, shDeep };

class TLineItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    String Caption;
    int Weight = 1;
    void DeclareProperties(TPropertyList& list) override
    {
        list.Text("Caption", [this] { return Caption; }, [this](const String& v) { Caption = v; });
        list.Integer("Weight", [this] { return std::int64_t{Weight}; }, [this](std::int64_t v) { Weight = static_cast<int>(v); })
            .Default(1);
    }
};

// A sub-object stored under its owner's property name, with binary data.
class TPart : public TPersistent {
public:
    int Size = 0;
    String Blob;
    void DeclareProperties(TPropertyList& list) override
    {
        list.Integer("Size", [this] { return std::int64_t{Size}; }, [this](std::int64_t v) { Size = static_cast<int>(v); })
            .Default(0);
    }
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty(
            "Blob",
            [this](TStream& s) {
                Blob.assign(static_cast<std::size_t>(s.Size()), '\0');
                s.ReadBuffer(Blob.data(), s.Size());
            },
            [this](TStream& s) { s.WriteBuffer(Blob.data(), static_cast<std::int64_t>(Blob.size())); }, !Blob.empty());
    }
};

int liveWidgets = 0;

class TWidget : public TComponent {
public:
    explicit TWidget(TComponent* owner) : TComponent(owner), Lines([](TCollection* c) { return new TLineItem(c); })
    {
        ++liveWidgets;
    }
    ~TWidget() override { --liveWidgets; }
    const char* ClassName() const override { return "TWidget"; }

    int Count = 0;
    bool Visible = true;
    String Caption;
    TShade Shade = TShade::shLight;
    std::uint32_t Styles = 0;
    TPart Part;
    TCollection Lines;
    TComponent* Buddy = nullptr;
    String Payload;
    std::vector<int> Numbers;
    int loadedCalls = 0;
    TComponent* buddyAtLoaded = nullptr;

    void DeclareProperties(TPropertyList& list) override
    {
        TComponent::DeclareProperties(list);
        list.Integer("Count", [this] { return std::int64_t{Count}; }, [this](std::int64_t v) { Count = static_cast<int>(v); })
            .Default(0)
            .Range(-1000, 1000);
        list.Boolean("Visible", [this] { return Visible; }, [this](bool v) { Visible = v; }).Default(1);
        list.Text("Caption", [this] { return Caption; }, [this](const String& v) { Caption = v; });
        list.Enum("Shade", {"shLight", "shDark", "shDeep"}, [this] { return static_cast<int>(Shade); },
                  [this](int v) { Shade = static_cast<TShade>(v); })
            .Default(0);
        list.Set("Styles", {"stBold", "stItalic", "stUnderline"}, [this] { return Styles; },
                 [this](std::uint32_t v) { Styles = v; })
            .Default(0);
        list.Object("Part", [this] { return &Part; });
        list.Collection("Lines", [this] { return &Lines; });
        list.Reference("Buddy", [this] { return Buddy; }, [this](TComponent* c) { Buddy = c; });
    }
    void DefineProperties(TFiler& filer) override
    {
        TComponent::DefineProperties(filer);
        filer.DefineBinaryProperty(
            "Payload",
            [this](TStream& s) {
                Payload.assign(static_cast<std::size_t>(s.Size()), '\0');
                s.ReadBuffer(Payload.data(), s.Size());
            },
            [this](TStream& s) { s.WriteBuffer(Payload.data(), static_cast<std::int64_t>(Payload.size())); },
            !Payload.empty());
        filer.DefineProperty(
            "Numbers",
            [this](TReader& r) {
                Numbers.clear();
                r.ReadListBegin();
                while (!r.EndOfList()) Numbers.push_back(static_cast<int>(r.ReadInteger()));
                r.ReadListEnd();
            },
            [this](TWriter& w) {
                w.WriteListBegin();
                for (int n : Numbers) w.WriteInteger(n);
                w.WriteListEnd();
            },
            !Numbers.empty());
    }

protected:
    void Loaded() override
    {
        TComponent::Loaded();
        ++loadedCalls;
        buddyAtLoaded = Buddy;
    }
};

// Holds its children itself, as containers do.
class TBox : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TBox"; }
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) override
    {
        for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
    }
    TComponent* GetChildOwner() override { return this; }
};

struct Registered {
    Registered()
    {
        RegisterClass<TWidget>("TWidget");
        RegisterClass<TBox>("TBox");
    }
} registered;

String Write(TComponent* root)
{
    TMemoryStream s;
    WriteComponentToStream(s, root);
    return String(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

TMemoryStream StreamOf(const String& bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    return s;
}

// A form with every kind of property: a box holding two widgets and a box
// that holds a third.
std::unique_ptr<TBox> SampleForm()
{
    auto form = std::make_unique<TBox>(nullptr);
    form->SetName("Form1");
    auto* first = new TWidget(form.get());
    first->SetName("First");
    first->Count = -300;
    first->Visible = false;
    first->Caption = "Papel de parede — ação";
    first->Shade = TShade::shDeep;
    first->Styles = 0b101;
    first->Part.Size = 70000;
    first->Part.Blob = String("\0\x01\xFFpart", 7);
    static_cast<TLineItem*>(first->Lines.Add())->Caption = "one";
    auto* two = static_cast<TLineItem*>(first->Lines.Add());
    two->Weight = 2;
    first->Payload = String(5000, 'p') + String(1, '\0');
    first->Numbers = {1, -200, 40000, -3000000000LL > 0 ? 0 : 123456789};
    first->Tag = 42;
    auto* second = new TWidget(form.get());
    second->SetName("Second");
    auto* inner = new TBox(form.get());
    inner->SetName("Inner");
    auto* deep = new TWidget(inner);
    deep->SetName("Deep");
    deep->Caption = String(300, 'L');  // a long string
    first->Buddy = second;
    deep->Buddy = form.get();
    return form;
}

} // namespace

TEST(Filer, StoredFormReadsBackIdentically)
{
    auto form = SampleForm();
    const String bytes = Write(form.get());
    ASSERT_EQ(bytes.substr(0, 4), "TPF0");

    TBox copy(nullptr);
    TMemoryStream s = StreamOf(bytes);
    ReadComponentFromStream(s, &copy);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(copy.Name(), "Form1");
    ASSERT_EQ(copy.ComponentCount(), 3);

    auto* first = dynamic_cast<TWidget*>(copy.FindComponent("First"));
    auto* second = dynamic_cast<TWidget*>(copy.FindComponent("Second"));
    auto* inner = dynamic_cast<TBox*>(copy.FindComponent("Inner"));
    ASSERT_TRUE(first && second && inner);
    EXPECT_EQ(first->Count, -300);
    EXPECT_FALSE(first->Visible);
    EXPECT_EQ(first->Caption, "Papel de parede — ação");
    EXPECT_EQ(first->Shade, TShade::shDeep);
    EXPECT_EQ(first->Styles, 0b101u);
    EXPECT_EQ(first->Part.Size, 70000);
    EXPECT_EQ(first->Part.Blob, String("\0\x01\xFFpart", 7));
    ASSERT_EQ(first->Lines.Count(), 2);
    EXPECT_EQ(static_cast<TLineItem*>(first->Lines.Items(0))->Caption, "one");
    EXPECT_EQ(static_cast<TLineItem*>(first->Lines.Items(1))->Weight, 2);
    EXPECT_EQ(first->Payload, String(5000, 'p') + String(1, '\0'));
    EXPECT_EQ(first->Numbers, (std::vector<int>{1, -200, 40000, 123456789}));
    EXPECT_EQ(first->Tag, 42);
    EXPECT_EQ(first->Buddy, second);
    // References are in place before any component hears it is loaded.
    EXPECT_EQ(first->buddyAtLoaded, second);
    EXPECT_EQ(first->loadedCalls, 1);
    EXPECT_FALSE(first->Loading());
    EXPECT_TRUE(second->Visible);
    EXPECT_EQ(second->Buddy, nullptr);

    ASSERT_EQ(inner->ComponentCount(), 1);
    auto* deep = dynamic_cast<TWidget*>(inner->Components(0));
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->Caption, String(300, 'L'));
    EXPECT_EQ(deep->Buddy, &copy);

    EXPECT_EQ(Write(&copy), bytes);
}

TEST(Filer, WritesTheClassLibraryFormatAndLeavesDefaultsOut)
{
    TWidget widget(nullptr);
    widget.SetName("W");
    widget.Count = 5;
    widget.Visible = false;
    widget.Shade = TShade::shDark;
    const String expected = String("TPF0") + "\x07TWidget" + "\x01W" + "\x05" "Count" + "\x02\x05" + "\x07Visible\x08" +
                            "\x05Shade\x07\x06shDark" + String(2, '\0');
    EXPECT_EQ(Write(&widget), expected);

    TWidget plain(nullptr);
    EXPECT_EQ(Write(&plain), String("TPF0\x07TWidget\x00", 13) + String(2, '\0'));
}

TEST(Filer, EveryTruncationAndByteFlipFailsAsAReadErrorAndFreesWhatItMade)
{
    auto form = SampleForm();
    const String bytes = Write(form.get());
    const int before = liveWidgets;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        TBox copy(nullptr);
        TMemoryStream s = StreamOf(bytes.substr(0, n));
        EXPECT_THROW(ReadComponentFromStream(s, &copy), EReadError) << "cut at " << n;
        EXPECT_EQ(copy.ComponentCount(), 0) << "cut at " << n;
        EXPECT_FALSE(copy.Loading());
    }
    EXPECT_EQ(liveWidgets, before);

    // Damage anywhere is either harmless or a read error, never a crash.
    for (std::size_t at = 4; at < bytes.size(); ++at) {
        for (unsigned char value : {0x00, 0x7F, 0xFF}) {
            String damaged = bytes;
            damaged[at] = static_cast<char>(value);
            TBox copy(nullptr);
            TMemoryStream s = StreamOf(damaged);
            try {
                ReadComponentFromStream(s, &copy);
            } catch (const EReadError&) {
                EXPECT_EQ(copy.ComponentCount(), 0);
            }
        }
    }
    EXPECT_EQ(liveWidgets, before);
}

TEST(Filer, LengthsAreCheckedBeforeAnythingIsAllocated)
{
    Watchdog watchdog(30s, "hostile lengths");
    const String head = String("TPF0") + "\x07TWidget" + "\x01W";
    const String cases[] = {
        head + "\x07Payload\x0A\xFF\xFF\xFF\x7F" + "xy",  // 2 GB of binary data claimed
        head + "\x07Payload\x0A\xFF\xFF\xFF\xFF" + "xy",  // a negative size
        head + "\x07" "Caption\x0C\xF0\xFF\xFF\x7F" + "abc",  // a long string of 2 GB
        head + "\x07" "Caption\x06\xFF" + "abc",             // a short string past the end
        head + "\x07" "Caption\x12\xFF\xFF\xFF\x7F" + "ab",   // wide text
    };
    for (const String& bytes : cases) {
        TWidget widget(nullptr);
        TMemoryStream s = StreamOf(bytes);
        EXPECT_THROW(ReadComponentFromStream(s, &widget), EReadError);
    }
}

TEST(Filer, DeepNestingIsRefusedRatherThanExhaustingTheStack)
{
    String bytes = "TPF0";
    const int depth = 100000;
    for (int i = 0; i < depth; ++i) bytes += String("\x04TBox\x00\x00", 7);
    TBox root(nullptr);
    TMemoryStream s = StreamOf(bytes);
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadComponentFromStream(s, &root); }), "Stored form nests too deeply");
    EXPECT_EQ(root.ComponentCount(), 0);
}

TEST(Filer, UnknownClassesPropertiesAndValuesAreNamed)
{
    const String unknownClass = String("TPF0\x04TBox\x00\x00", 11) + String("\x08TMissing\x01X\x00\x00\x00\x00", 14);
    TBox box(nullptr);
    TMemoryStream s1 = StreamOf(unknownClass);
    EXPECT_EQ(MessageOf<EClassNotFound>([&] { ReadComponentFromStream(s1, &box); }), "Class TMissing not found");

    const String unknownProperty = String("TPF0\x07TWidget\x00", 13) + "\x05" "Color\x02\x01" + String(2, '\0');
    TWidget widget(nullptr);
    TMemoryStream s2 = StreamOf(unknownProperty);
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadComponentFromStream(s2, &widget); }),
              "Error reading TWidget.Color: Property Color does not exist");

    const String outOfRange = String("TPF0\x07TWidget\x00", 13) + "\x05" "Count\x03\x88\x13" + String(2, '\0');
    TMemoryStream s3 = StreamOf(outOfRange);
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadComponentFromStream(s3, &widget); }),
              "Error reading TWidget.Count: Invalid property value");
    EXPECT_EQ(widget.Count, 0);

    const String badIdent = String("TPF0\x07TWidget\x00", 13) + "\x05Shade\x07\x06shPale" + String(2, '\0');
    TMemoryStream s4 = StreamOf(badIdent);
    EXPECT_THROW(ReadComponentFromStream(s4, &widget), EReadError);

    const String duplicateNames =
        String("TPF0\x04TBox\x00\x00", 11) + String("\x07TWidget\x01" "A\x00\x00", 12) + String("\x07TWidget\x01" "A\x00\x00\x00", 13);
    TBox holder(nullptr);
    TMemoryStream s5 = StreamOf(duplicateNames);
    EXPECT_THROW(ReadComponentFromStream(s5, &holder), EReadError);
    EXPECT_EQ(holder.ComponentCount(), 0);
}

TEST(Filer, ClassRegistryMakesComponentsByName)
{
    RegisterClass<TWidget>("TWidget");  // the same class again: fine
    EXPECT_EQ(MessageOf<EFilerError>([] { RegisterClass<TBox>("twidget"); }), "A class named twidget already exists");
    ASSERT_NE(GetClass("twIDGET"), nullptr);
    EXPECT_EQ(GetClass("TNothing"), nullptr);
    TBox owner(nullptr);
    TComponent* made = FindClass("TWidget")(&owner);
    EXPECT_STREQ(made->ClassName(), "TWidget");
    EXPECT_EQ(made->Owner(), &owner);

    // A whole form read without a root made from its stored class name.
    TWidget source(nullptr);
    source.SetName("Lone");
    source.Caption = "sozinho";
    TMemoryStream s = StreamOf(Write(&source));
    std::unique_ptr<TComponent> read(ReadComponentFromStream(s, nullptr));
    auto* widget = dynamic_cast<TWidget*>(read.get());
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->Caption, "sozinho");
    EXPECT_EQ(widget->loadedCalls, 1);
}
