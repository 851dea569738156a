#include "platform/classes/Collections.h"
#include "platform/classes/Filer.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

using namespace velvane;
using velvane::test::MessageOf;
using velvane::test::ReadStoredForm;
using velvane::test::StoredFormOf;
using namespace std::chrono_literals;

namespace {

enum class TShade { shLight, shDark, shDeep };

class TLineItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    String Caption;
    void DeclareProperties(TPropertyList& list) override
    {
        list.Text("Caption", [this] { return Caption; }, [this](const String& v) { Caption = v; });
    }
};

// Raw bytes kept through DefineBinaryProperty.
void DefineBlob(TFiler& filer, const char* name, String& blob)
{
    filer.DefineBinaryProperty(
        name,
        [&blob](TStream& s) {
            blob.assign(static_cast<std::size_t>(s.Size()), '\0');
            s.ReadBuffer(blob.data(), s.Size());
        },
        [&blob](TStream& s) { s.WriteBuffer(blob.data(), static_cast<std::int64_t>(blob.size())); }, !blob.empty());
}

// A sub-object, stored under its owner's property name.
class TDetail : public TPersistent {
public:
    int Size = 0;
    String Blob;
    void DeclareProperties(TPropertyList& list) override
    {
        list.Integer("Size", [this] { return Size; }, [this](std::int64_t v) { Size = static_cast<int>(v); }).Default(0);
    }
    void DefineProperties(TFiler& filer) override { DefineBlob(filer, "Blob", Blob); }
};

int liveWidgets = 0;

// One property of every kind.
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
    TDetail Detail;
    TCollection Lines;
    TComponent* Buddy = nullptr;
    String Payload;
    std::vector<int> Numbers;
    int loadedCalls = 0;
    TComponent* buddyAtLoaded = nullptr;

    void DeclareProperties(TPropertyList& list) override
    {
        TComponent::DeclareProperties(list);
        list.Integer("Count", [this] { return Count; }, [this](std::int64_t v) { Count = static_cast<int>(v); })
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
        list.Object("Detail", [this] { return &Detail; });
        list.Collection("Lines", [this] { return &Lines; });
        list.Reference("Buddy", [this] { return Buddy; }, [this](TComponent* c) { Buddy = c; });
    }
    void DefineProperties(TFiler& filer) override
    {
        DefineBlob(filer, "Payload", Payload);
        filer.DefineProperty(
            "Numbers",
            [this](TReader& r) {
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

const bool registered = [] {
    RegisterClass<TWidget>("TWidget");
    RegisterClass<TBox>("TBox");
    return true;
}();

// A box holding two widgets and a box that holds a third.
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
    first->Detail.Size = 70000;
    first->Detail.Blob = String("\0\x01\xFF" "detail", 9);
    static_cast<TLineItem*>(first->Lines.Add())->Caption = "one";
    first->Lines.Add();
    first->Payload = String(5000, 'p') + String(1, '\0');
    first->Numbers = {1, -200, 40000, 123456789};
    first->Tag = 42;
    auto* second = new TWidget(form.get());
    second->SetName("Second");
    auto* inner = new TBox(form.get());
    inner->SetName("Inner");
    auto* deep = new TWidget(inner);
    deep->SetName("Deep");
    deep->Caption = String(300, 'L');
    first->Buddy = second;
    deep->Buddy = form.get();
    return form;
}

} // namespace

TEST(Filer, StoredFormReadsBackIdentically)
{
    auto form = SampleForm();
    const String bytes = StoredFormOf(form.get());
    TBox copy(nullptr);
    ReadStoredForm(bytes, &copy);
    // Written again it gives the same bytes, so every value was read.
    EXPECT_EQ(StoredFormOf(&copy), bytes);
    auto* first = dynamic_cast<TWidget*>(copy.FindComponent("First"));
    auto* inner = dynamic_cast<TBox*>(copy.FindComponent("Inner"));
    ASSERT_TRUE(first && inner && inner->ComponentCount() == 1);
    EXPECT_EQ(first->Payload, String(5000, 'p') + String(1, '\0'));
    EXPECT_EQ(first->Numbers, (std::vector<int>{1, -200, 40000, 123456789}));
    // References are in place before any component hears it is loaded.
    EXPECT_EQ(first->buddyAtLoaded, copy.FindComponent("Second"));
    EXPECT_EQ(first->loadedCalls, 1);
    EXPECT_FALSE(first->Loading());
    EXPECT_EQ(dynamic_cast<TWidget*>(inner->Components(0))->Buddy, &copy);
}

TEST(Filer, WritesTheClassLibraryFormatAndLeavesDefaultsOut)
{
    TWidget widget(nullptr);
    widget.SetName("W");
    widget.Count = 5;
    widget.Visible = false;
    widget.Shade = TShade::shDark;
    EXPECT_EQ(StoredFormOf(&widget), String("TPF0\x07TWidget\x01W\x05") + "Count\x02\x05\x07Visible\x08\x05Shade\x07\x06shDark" +
                                         String(2, '\0'));
    TWidget plain(nullptr);
    EXPECT_EQ(StoredFormOf(&plain), String("TPF0\x07TWidget\x00\x00\x00", 15));
}

TEST(Filer, EveryTruncationAndByteFlipFailsAsAReadErrorAndFreesWhatItMade)
{
    const String bytes = StoredFormOf(SampleForm().get());
    const int before = liveWidgets;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        TBox copy(nullptr);
        EXPECT_THROW(ReadStoredForm(bytes.substr(0, n), &copy), EReadError) << "cut at " << n;
        EXPECT_EQ(copy.ComponentCount(), 0) << "cut at " << n;
        EXPECT_FALSE(copy.Loading());
    }
    // Damage anywhere is either harmless or a read error, never a crash.
    for (std::size_t at = 4; at < bytes.size(); ++at) {
        for (char value : {'\x00', '\x7F', '\xFF'}) {
            String damaged = bytes;
            damaged[at] = value;
            TBox copy(nullptr);
            try {
                ReadStoredForm(damaged, &copy);
            } catch (const EReadError&) {
                EXPECT_EQ(copy.ComponentCount(), 0);
            }
        }
    }
    EXPECT_EQ(liveWidgets, before);
}

TEST(Filer, LengthsAndNestingAreCheckedBeforeAnythingIsMadeForThem)
{
    velvane::test::Watchdog watchdog(30s, "hostile lengths");
    const String head = String("TPF0\x07TWidget\x01W");
    for (const String& bytes : {head + "\x07Payload\x0A\xFF\xFF\xFF\x7Fxy",  // 2 GB of binary data
                                head + "\x07Payload\x0A\xFF\xFF\xFF\xFFxy",  // a negative size
                                head + "\x07" "Caption\x0C\xF0\xFF\xFF\x7F" "abc", head + "\x07" "Caption\x06\xFF" "abc",
                                head + "\x07" "Caption\x12\xFF\xFF\xFF\x7F" "ab"}) {
        TWidget widget(nullptr);
        EXPECT_THROW(ReadStoredForm(bytes, &widget), EReadError);
    }
    String deep = "TPF0";
    for (int i = 0; i < 100000; ++i) deep += String("\x04TBox\x00\x00", 7);
    TBox root(nullptr);
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadStoredForm(deep, &root); }), "Stored form nests too deeply");
    EXPECT_EQ(root.ComponentCount(), 0);
}

TEST(Filer, ClassesAndPropertiesAreFoundByNameOrNamedInTheError)
{
    EXPECT_EQ(MessageOf<EFilerError>([] { RegisterClass<TBox>("twidget"); }), "A class named twidget already exists");
    TBox owner(nullptr);
    EXPECT_STREQ(FindClass("twIDGET")(&owner)->ClassName(), "TWidget");
    // Read without a root, the root is made from its stored class.
    TWidget source(nullptr);
    source.Caption = "sozinho";
    std::unique_ptr<TComponent> read(ReadStoredForm(StoredFormOf(&source), nullptr));
    ASSERT_NE(dynamic_cast<TWidget*>(read.get()), nullptr);
    EXPECT_EQ(static_cast<TWidget*>(read.get())->Caption, "sozinho");

    const String widget = String("TPF0\x07TWidget\x00", 13);
    TWidget target(nullptr);
    EXPECT_EQ(MessageOf<EClassNotFound>([&] { ReadStoredForm(String("TPF0\x08TMissing\x01X\x00\x00", 16), nullptr); }),
              "Class TMissing not found");
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadStoredForm(widget + "\x05" "Color\x02\x01" + String(2, '\0'), &target); }),
              "Error reading TWidget.Color: Property Color does not exist");
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadStoredForm(widget + "\x05" "Count\x03\x88\x13" + String(2, '\0'), &target); }),
              "Error reading TWidget.Count: Invalid property value");
    EXPECT_THROW(ReadStoredForm(widget + "\x05Shade\x07\x06shPale" + String(2, '\0'), &target), EReadError);
    // Two children of one name: refused, and nothing of the read is left.
    const String child = String("\x07TWidget\x01" "A\x00\x00", 12);
    TBox holder(nullptr);
    EXPECT_THROW(ReadStoredForm(String("TPF0\x04TBox\x00\x00", 11) + child + child + String(1, '\0'), &holder), EReadError);
    EXPECT_EQ(holder.ComponentCount(), 0);
}
