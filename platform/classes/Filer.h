#pragma once
// The filer: components written to and read from the class library's binary
// stored form ("TPF0"): each component as its class name, its name, its
// properties and its child components.
//
// A class says what it stores in two ways. DeclareProperties lists its
// published properties (typed getters and setters, defaults); the writer
// leaves out a property at its default. DefineProperties adds properties the
// class reads and writes itself, binary data above all. Sub-objects are
// stored with dotted names ("Sound.Data").
//
// Reading trusts nothing: every length is checked against what the stream
// still holds before anything is allocated, nesting is bounded, and a damaged
// form raises EReadError (never a crash). Components made while a read fails
// are freed again.

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Component.h"
#include "platform/rtl/Streams.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace velvane {

class TCollection;
class TReader;
class TWriter;

// The value kinds of a stored form, numbered as the format numbers them.
enum class TValueType : std::uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};

enum class TPropKind { Integer, Boolean, String, Enum, Set, Object, Reference, Collection };

// The names some values of an integer property go by in stored forms
// (colours as clRed, character sets as DEFAULT_CHARSET): such a value is
// written as its identifier, and an identifier or a number is read.
struct TIdentMap {
    // False for a value without a name.
    bool (*ToIdent)(std::int64_t value, String& ident) = nullptr;
    // False for a name that is none of them (any letter case is taken).
    bool (*FromIdent)(const String& ident, std::int64_t& value) = nullptr;
};

// One published property.
struct TPropInfo {
    String Name;
    TPropKind Kind = TPropKind::Integer;
    // Integer, Boolean (0/1), Enum (ordinal), Set (bit i = ident i).
    std::function<std::int64_t()> GetOrdinal;
    std::function<void(std::int64_t)> SetOrdinal;
    std::function<String()> GetString;
    std::function<void(const String&)> SetString;
    // Object: the sub-object whose properties follow under "Name.".
    std::function<TPersistent*()> GetObject;
    std::function<TCollection*()> GetCollection;
    std::function<TComponent*()> GetReference;
    std::function<void(TComponent*)> SetReference;
    std::vector<String> Idents;             // Enum and Set
    std::optional<std::int64_t> DefaultValue;  // ordinal kinds; none: always stored
    std::function<bool()> IsStored;         // empty: stored
    std::int64_t Min = INT32_MIN;           // Integer: a value read outside is refused
    std::int64_t Max = INT32_MAX;
    const TIdentMap* IdentMap = nullptr;    // Integer: named values

    TPropInfo& Default(std::int64_t value) { DefaultValue = value; return *this; }
    TPropInfo& Range(std::int64_t min, std::int64_t max) { Min = min; Max = max; return *this; }
    TPropInfo& Stored(std::function<bool()> stored) { IsStored = std::move(stored); return *this; }
    TPropInfo& Named(const TIdentMap& map) { IdentMap = &map; return *this; }
};

// The published properties of an object, in declaration order.
class TPropertyList {
public:
    TPropInfo& Integer(String name, std::function<std::int64_t()> get, std::function<void(std::int64_t)> set);
    TPropInfo& Boolean(String name, std::function<bool()> get, std::function<void(bool)> set);
    // Stored when not empty.
    TPropInfo& Text(String name, std::function<String()> get, std::function<void(const String&)> set);
    TPropInfo& Enum(String name, std::vector<String> idents, std::function<int()> get, std::function<void(int)> set);
    TPropInfo& Set(String name, std::vector<String> idents, std::function<std::uint32_t()> get,
                   std::function<void(std::uint32_t)> set);
    TPropInfo& Object(String name, std::function<TPersistent*()> get);
    TPropInfo& Collection(String name, std::function<TCollection*()> get);
    // A link to another component of the form, stored by its name.
    TPropInfo& Reference(String name, std::function<TComponent*()> get, std::function<void(TComponent*)> set);

    const std::vector<TPropInfo>& Items() const { return items_; }
    const TPropInfo* Find(const String& name) const;

private:
    TPropInfo& Add(TPropInfo info);
    std::vector<TPropInfo> items_;
};

// What DefineProperties talks to: the writer writes a property that has
// data, the reader calls the read procedure of the property it meets.
class TFiler {
public:
    explicit TFiler(TStream& stream) : stream_(stream) {}
    virtual ~TFiler() = default;
    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;

    TStream& Stream() { return stream_; }
    TComponent* Root() const { return root_; }

    virtual void DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                                const std::function<void(TWriter&)>& writeData, bool hasData) = 0;
    // The data travels as raw bytes; the read procedure gets exactly those.
    virtual void DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                                      const std::function<void(TStream&)>& writeData, bool hasData) = 0;

protected:
    TStream& stream_;
    TComponent* root_ = nullptr;
};

class TWriter : public TFiler {
public:
    using TFiler::TFiler;

    // "TPF0", then the root with everything it holds.
    void WriteRootComponent(TComponent* root);
    void WriteComponent(TComponent* component);

    void DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                        const std::function<void(TWriter&)>& writeData, bool hasData) override;
    void DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                              const std::function<void(TStream&)>& writeData, bool hasData) override;

    // Values, for DefineProperty's write procedures.
    void WriteInteger(std::int64_t value);
    void WriteBoolean(bool value);
    void WriteString(const String& value);
    void WriteIdent(const String& ident);
    void WriteListBegin();
    void WriteListEnd();
    void WriteCollection(TCollection* collection);

private:
    void WriteValue(TValueType type);
    void WriteStr(const String& text);  // short string: one length byte
    void WriteProperties(TPersistent* instance, const String& prefix);
    void WriteProperty(TPersistent* instance, const TPropInfo& info, const String& prefix);
    void WritePropName(const String& name);
    String ReferenceName(TComponent* component) const;

    String prefix_;  // of the object whose DefineProperties runs
};

class TReader : public TFiler {
public:
    using TFiler::TFiler;

    // Reads a whole stored form into root: its properties and its children,
    // which are made by class name. Given null, the root itself is made from
    // the stored class name, without owner. Returns the root. Loaded() runs
    // on every component read once all references are resolved.
    TComponent* ReadRootComponent(TComponent* root);
    // The properties and then the children of a component (ReadState's work).
    void ReadData(TComponent* component);

    // The component whose children are being read, and their owner.
    TComponent* Parent() const { return parent_; }
    TComponent* Owner() const { return owner_; }

    void DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                        const std::function<void(TWriter&)>& writeData, bool hasData) override;
    void DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                              const std::function<void(TStream&)>& writeData, bool hasData) override;

    // Values, for DefineProperty's read procedures; a value of another kind
    // raises EReadError "Invalid property value".
    std::int64_t ReadInteger();
    bool ReadBoolean();
    String ReadString();
    String ReadIdent();
    void ReadListBegin();
    void ReadListEnd();
    bool EndOfList();
    void ReadCollection(TCollection* collection);
    TValueType NextValue();

    // Deepest nesting of components, collections and lists a form may have.
    static constexpr int MaxDepth = 64;

private:
    struct Fixup {
        std::function<void(TComponent*)> set;
        String name;
    };
    class Nesting;

    TComponent* ReadComponent(TComponent* existing);
    void ReadProperties(TPersistent* instance);
    void ReadProperty(TPersistent* instance);
    void ReadPropValue(TPersistent* instance, const TPropInfo& info);
    TValueType ReadValue();
    String ReadStr();
    std::uint8_t ReadByte();
    std::int32_t ReadInt32();
    std::int64_t Remaining();
    // Checks a length read from the stream against the bytes left.
    void CheckLength(std::int64_t length);
    void ResolveFixups();
    [[noreturn]] static void Invalid(const String& what);

    TComponent* parent_ = nullptr;
    TComponent* owner_ = nullptr;
    String propName_;       // the defined property being looked for
    bool propFound_ = false;
    int depth_ = 0;
    std::vector<TComponent*> loaded_;
    std::vector<Fixup> fixups_;
};

// The stored form of a component as bytes, and back into an existing one
// (or into a new one made from the stored class name, when given null).
void WriteComponentToStream(TStream& stream, TComponent* component);
TComponent* ReadComponentFromStream(TStream& stream, TComponent* component);

} // namespace velvane
