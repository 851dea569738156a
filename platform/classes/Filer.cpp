#include "platform/classes/Filer.h"

#include "platform/classes/Collections.h"
#include "platform/rtl/AsciiText.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace velvane {

namespace {

constexpr char Signature[4] = {'T', 'P', 'F', '0'};

// Flags that may come before a component's class name.
constexpr std::uint8_t FlagsMark = 0xF0;
constexpr std::uint8_t ffChildPos = 0x02;

bool IsAscii(const String& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void PutLittle(TStream& stream, std::uint64_t value, int bytes)
{
    std::uint8_t buffer[8];
    for (int i = 0; i < bytes; ++i) buffer[i] = static_cast<std::uint8_t>(value >> (8 * i));
    stream.WriteBuffer(buffer, bytes);
}

std::uint64_t GetLittle(const std::uint8_t* buffer, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes; i-- > 0;) value = value << 8 | buffer[i];
    return value;
}

} // namespace

// -------------------------------------------------------------- TPropertyList

TPropInfo& TPropertyList::Add(TPropInfo info)
{
    items_.push_back(std::move(info));
    return items_.back();
}

TPropInfo& TPropertyList::Integer(String name, std::function<std::int64_t()> get, std::function<void(std::int64_t)> set)
{
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Integer;
    info.GetOrdinal = std::move(get);
    info.SetOrdinal = std::move(set);
    return Add(std::move(info));
}

TPropInfo& TPropertyList::Boolean(String name, std::function<bool()> get, std::function<void(bool)> set)
{
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Boolean;
    info.GetOrdinal = [get = std::move(get)] { return std::int64_t{get() ? 1 : 0}; };
    info.SetOrdinal = [set = std::move(set)](std::int64_t v) { set(v != 0); };
    return Add(std::move(info));
}

TPropInfo& TPropertyList::Text(String name, std::function<String()> get, std::function<void(const String&)> set)
{
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::String;
    info.GetString = std::move(get);
    info.SetString = std::move(set);
    return Add(std::move(info));
}

TPropInfo& TPropertyList::Enum(String name, std::vector<String> idents, std::function<int()> get,
                               std::function<void(int)> set)
{
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Enum;
    info.Idents = std::move(idents);
    info.GetOrdinal = [get = std::move(get)] { return std::int64_t{get()}; };
    info.SetOrdinal = [set = std::move(set)](std::int64_t v) { set(static_cast<int>(v)); };
    return Add(std::move(info));
}

TPropInfo& TPropertyList::Set(String name, std::vector<String> idents, std::function<std::uint32_t()> get,
                              std::function<void(std::uint32_t)> set)
{
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Set;
    info.Idents = std::move(idents);
    info.GetOrdinal = [get = std::move(get)] { return std::int64_t{get()}; };
    info.SetOrdinal = [set = std::move(set)](std::int64_t v) { set(static_cast<std::uint32_t>(v)); };
    return Add(std::move(info));
}

TPropInfo& TPropertyList::Object(String name, std::function<TPersistent*()> get)
{
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Object;
    info.GetObject = std::move(get);
    return Add(std::move(info));
}

TPropInfo& TPropertyList::Collection(String name, std::function<TCollection*()> get)
{
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Collection;
    info.GetCollection = std::move(get);
    return Add(std::move(info));
}

TPropInfo& TPropertyList::Reference(String name, std::function<TComponent*()> get, std::function<void(TComponent*)> set)
{
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Reference;
    info.GetReference = std::move(get);
    info.SetReference = std::move(set);
    return Add(std::move(info));
}

const TPropInfo* TPropertyList::Find(const String& name) const
{
    for (const TPropInfo& info : items_)
        if (SameTextAscii(info.Name, name)) return &info;
    return nullptr;
}

// -------------------------------------------------------------------- TWriter

void TWriter::WriteRootComponent(TComponent* root)
{
    root_ = root;
    stream_.WriteBuffer(Signature, sizeof Signature);
    WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component)
{
    if (!root_) root_ = component;
    WriteStr(component->ClassName());
    WriteStr(component->Name());
    WriteProperties(component, String());
    WriteListEnd();
    component->GetChildren([this](TComponent* child) { WriteComponent(child); }, root_);
    WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* instance, const String& prefix)
{
    TPropertyList list;
    instance->DeclareProperties(list);
    for (const TPropInfo& info : list.Items()) WriteProperty(instance, info, prefix);
    const String saved = prefix_;
    prefix_ = prefix;
    try {
        instance->DefineProperties(*this);
    } catch (...) {
        prefix_ = saved;
        throw;
    }
    prefix_ = saved;
}

void TWriter::WriteProperty(TPersistent*, const TPropInfo& info, const String& prefix)
{
    if (info.IsStored && !info.IsStored()) return;
    const String name = prefix + info.Name;
    switch (info.Kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Enum:
    case TPropKind::Set: {
        const std::int64_t value = info.GetOrdinal();
        if (info.DefaultValue && *info.DefaultValue == value) return;
        WritePropName(name);
        String ident;
        if (info.Kind == TPropKind::Integer && info.IdentMap && info.IdentMap->ToIdent(value, ident)) {
            WriteIdent(ident);
        } else if (info.Kind == TPropKind::Integer) {
            WriteInteger(value);
        } else if (info.Kind == TPropKind::Boolean) {
            WriteBoolean(value != 0);
        } else if (info.Kind == TPropKind::Enum) {
            if (value < 0 || value >= static_cast<std::int64_t>(info.Idents.size()))
                throw EWriteError("Property " + name + " has no name for value " + std::to_string(value));
            WriteIdent(info.Idents[static_cast<std::size_t>(value)]);
        } else {
            WriteValue(TValueType::vaSet);
            for (std::size_t i = 0; i < info.Idents.size() && i < 32; ++i)
                if ((static_cast<std::uint64_t>(value) >> i) & 1) WriteStr(info.Idents[i]);
            WriteStr(String());
        }
        return;
    }
    case TPropKind::String: {
        const String value = info.GetString();
        if (value.empty()) return;
        WritePropName(name);
        WriteString(value);
        return;
    }
    case TPropKind::Object:
        if (TPersistent* object = info.GetObject()) WriteProperties(object, name + ".");
        return;
    case TPropKind::Collection: {
        TCollection* collection = info.GetCollection();
        if (!collection || collection->Count() == 0) return;
        WritePropName(name);
        WriteCollection(collection);
        return;
    }
    case TPropKind::Reference: {
        const String target = ReferenceName(info.GetReference());
        if (target.empty()) return;
        WritePropName(name);
        WriteIdent(target);
        return;
    }
    }
}

String TWriter::ReferenceName(TComponent* component) const
{
    if (!component || component->Name().empty()) return String();
    if (component == root_ || component->Owner() == root_) return component->Name();
    if (component->Owner() && !component->Owner()->Name().empty())
        return component->Owner()->Name() + "." + component->Name();
    return String();
}

void TWriter::DefineProperty(const String& name, const std::function<void(TReader&)>&,
                             const std::function<void(TWriter&)>& writeData, bool hasData)
{
    if (!hasData || !writeData) return;
    WritePropName(prefix_ + name);
    writeData(*this);
}

void TWriter::DefineBinaryProperty(const String& name, const std::function<void(TStream&)>&,
                                   const std::function<void(TStream&)>& writeData, bool hasData)
{
    if (!hasData || !writeData) return;
    TMemoryStream data;
    writeData(data);
    if (data.Size() > INT32_MAX) throw EWriteError("Property " + name + " is too large to store");
    WritePropName(prefix_ + name);
    WriteValue(TValueType::vaBinary);
    PutLittle(stream_, static_cast<std::uint64_t>(data.Size()), 4);
    stream_.WriteBuffer(data.Memory(), data.Size());
}

void TWriter::WriteInteger(std::int64_t value)
{
    if (value >= INT8_MIN && value <= INT8_MAX) {
        WriteValue(TValueType::vaInt8);
        PutLittle(stream_, static_cast<std::uint64_t>(value), 1);
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        WriteValue(TValueType::vaInt16);
        PutLittle(stream_, static_cast<std::uint64_t>(value), 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(TValueType::vaInt32);
        PutLittle(stream_, static_cast<std::uint64_t>(value), 4);
    } else {
        WriteValue(TValueType::vaInt64);
        PutLittle(stream_, static_cast<std::uint64_t>(value), 8);
    }
}

void TWriter::WriteBoolean(bool value)
{
    WriteValue(value ? TValueType::vaTrue : TValueType::vaFalse);
}

void TWriter::WriteString(const String& value)
{
    if (value.size() > INT32_MAX) throw EWriteError("Text too long to store");
    if (!IsAscii(value)) {
        WriteValue(TValueType::vaUTF8String);
        PutLittle(stream_, value.size(), 4);
    } else if (value.size() <= 255) {
        WriteValue(TValueType::vaString);
        PutLittle(stream_, value.size(), 1);
    } else {
        WriteValue(TValueType::vaLString);
        PutLittle(stream_, value.size(), 4);
    }
    stream_.WriteBuffer(value.data(), static_cast<std::int64_t>(value.size()));
}

void TWriter::WriteIdent(const String& ident)
{
    WriteValue(TValueType::vaIdent);
    WriteStr(ident);
}

void TWriter::WriteListBegin()
{
    WriteValue(TValueType::vaList);
}

void TWriter::WriteListEnd()
{
    WriteValue(TValueType::vaNull);
}

void TWriter::WriteCollection(TCollection* collection)
{
    WriteValue(TValueType::vaCollection);
    if (collection) {
        for (int i = 0; i < collection->Count(); ++i) {
            WriteListBegin();
            WriteProperties(collection->Items(i), String());
            WriteListEnd();
        }
    }
    WriteListEnd();
}

void TWriter::WriteValue(TValueType type)
{
    const auto byte = static_cast<std::uint8_t>(type);
    stream_.WriteBuffer(&byte, 1);
}

void TWriter::WriteStr(const String& text)
{
    if (text.size() > 255) throw EWriteError("Name too long to store: " + text.substr(0, 40) + "...");
    PutLittle(stream_, text.size(), 1);
    stream_.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

void TWriter::WritePropName(const String& name)
{
    WriteStr(name);
}

// -------------------------------------------------------------------- TReader

// Counts how deep the reader is, so a hostile form cannot exhaust the stack.
class TReader::Nesting {
public:
    explicit Nesting(TReader& reader) : reader_(reader)
    {
        if (++reader_.depth_ > MaxDepth) {
            --reader_.depth_;
            Invalid("Stored form nests too deeply");
        }
    }
    ~Nesting() { --reader_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

private:
    TReader& reader_;
};

void TReader::Invalid(const String& what)
{
    throw EReadError(what);
}

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    char signature[sizeof Signature];
    if (Remaining() < static_cast<std::int64_t>(sizeof Signature)) Invalid("Invalid stream format");
    stream_.ReadBuffer(signature, sizeof signature);
    if (std::memcmp(signature, Signature, sizeof Signature) != 0) Invalid("Invalid stream format");

    root_ = root;
    parent_ = nullptr;
    owner_ = nullptr;
    loaded_.clear();
    fixups_.clear();
    TComponent* result = nullptr;
    try {
        result = ReadComponent(root);
    } catch (...) {
        // Undo: what this read made goes again, children (made later) first.
        for (std::size_t i = loaded_.size(); i-- > 0;) {
            TComponent* component = loaded_[i];
            if (component == root) {
                component->state_ &= ~static_cast<unsigned>(csLoading);
                continue;
            }
            delete component;
        }
        loaded_.clear();
        fixups_.clear();
        root_ = root;
        try {
            throw;
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& e) {
            throw EReadError(e.Message());
        }
    }

    ResolveFixups();
    std::exception_ptr first;
    for (TComponent* component : loaded_) {
        try {
            component->Loaded();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
        component->state_ &= ~static_cast<unsigned>(csLoading);
    }
    loaded_.clear();
    if (first) std::rethrow_exception(first);
    return result;
}

TComponent* TReader::ReadComponent(TComponent* existing)
{
    Nesting nesting(*this);
    if (Remaining() < 1) Invalid("Stream read error");
    std::uint8_t flags = ReadByte();
    if ((flags & 0xF0) == FlagsMark) {
        if (flags & ffChildPos) ReadInteger();
    } else {
        stream_.Seek(-1, TSeekOrigin::soCurrent);
    }
    const String className = ReadStr();
    const String name = ReadStr();

    TComponent* component = existing;
    if (!component) {
        TComponentClass create = FindClass(className);
        component = create(owner_);
        if (!component) Invalid("Class " + className + " made no component");
        if (!root_) root_ = component;
    }
    // Listed at once, so a failure further down frees it again.
    loaded_.push_back(component);
    component->BeginLoading();
    try {
        if (!name.empty() && (component != existing || component->Name().empty())) component->SetName(name);
    } catch (const EComponentError& e) {
        Invalid(e.Message());
    }
    component->ReadState(*this);
    return component;
}

void TReader::ReadData(TComponent* component)
{
    ReadProperties(component);
    TComponent* const savedParent = parent_;
    TComponent* const savedOwner = owner_;
    parent_ = component->GetChildParent();
    owner_ = component->GetChildOwner();
    if (!owner_) owner_ = root_;
    try {
        while (!EndOfList()) ReadComponent(nullptr);
        ReadListEnd();
    } catch (...) {
        parent_ = savedParent;
        owner_ = savedOwner;
        throw;
    }
    parent_ = savedParent;
    owner_ = savedOwner;
}

void TReader::ReadProperties(TPersistent* instance)
{
    while (!EndOfList()) ReadProperty(instance);
    ReadListEnd();
}

void TReader::ReadProperty(TPersistent* instance)
{
    const String fullName = ReadStr();
    if (fullName.empty()) Invalid("Invalid property name");
    try {
        TPersistent* target = instance;
        std::size_t start = 0;
        for (std::size_t dot; (dot = fullName.find('.', start)) != String::npos; start = dot + 1) {
            TPropertyList list;
            target->DeclareProperties(list);
            const TPropInfo* info = list.Find(fullName.substr(start, dot - start));
            target = info && info->Kind == TPropKind::Object ? info->GetObject() : nullptr;
            if (!target) Invalid("Property " + fullName + " does not exist");
        }
        const String last = fullName.substr(start);
        TPropertyList list;
        target->DeclareProperties(list);
        if (const TPropInfo* info = list.Find(last)) {
            ReadPropValue(target, *info);
            return;
        }
        propName_ = last;
        propFound_ = false;
        target->DefineProperties(*this);
        propName_.clear();
        if (!propFound_) Invalid("Property " + fullName + " does not exist");
    } catch (const EReadError& e) {
        propName_.clear();
        throw EReadError(String("Error reading ") + instance->ClassName() + "." + fullName + ": " + e.Message());
    } catch (const Exception& e) {
        propName_.clear();
        throw EReadError(String("Error reading ") + instance->ClassName() + "." + fullName + ": " + e.Message());
    }
}

void TReader::ReadPropValue(TPersistent*, const TPropInfo& info)
{
    switch (info.Kind) {
    case TPropKind::Integer: {
        std::int64_t value = 0;
        if (NextValue() == TValueType::vaIdent) {
            if (!info.IdentMap || !info.IdentMap->FromIdent(ReadIdent(), value)) Invalid("Invalid property value");
        } else {
            value = ReadInteger();
        }
        if (value < info.Min || value > info.Max) Invalid("Invalid property value");
        info.SetOrdinal(value);
        return;
    }
    case TPropKind::Boolean: info.SetOrdinal(ReadBoolean() ? 1 : 0); return;
    case TPropKind::String: info.SetString(ReadString()); return;
    case TPropKind::Enum: {
        const String ident = ReadIdent();
        for (std::size_t i = 0; i < info.Idents.size(); ++i) {
            if (SameTextAscii(info.Idents[i], ident)) {
                info.SetOrdinal(static_cast<std::int64_t>(i));
                return;
            }
        }
        Invalid("Invalid property value");
    }
    case TPropKind::Set: {
        if (ReadValue() != TValueType::vaSet) Invalid("Invalid property value");
        std::uint32_t mask = 0;
        for (String ident; !(ident = ReadStr()).empty();) {
            auto it = std::find_if(info.Idents.begin(), info.Idents.end(),
                                   [&](const String& s) { return SameTextAscii(s, ident); });
            if (it == info.Idents.end() || it - info.Idents.begin() >= 32) Invalid("Invalid property value");
            mask |= 1u << (it - info.Idents.begin());
        }
        info.SetOrdinal(mask);
        return;
    }
    case TPropKind::Object: Invalid("Invalid property value");
    case TPropKind::Collection: {
        TCollection* collection = info.GetCollection();
        if (!collection) Invalid("Invalid property value");
        ReadCollection(collection);
        return;
    }
    case TPropKind::Reference: {
        const TValueType type = ReadValue();
        if (type == TValueType::vaNil) {
            info.SetReference(nullptr);
        } else if (type == TValueType::vaIdent) {
            // Resolved once every component of the form exists.
            fixups_.push_back({info.SetReference, ReadStr()});
        } else {
            Invalid("Invalid property value");
        }
        return;
    }
    }
}

void TReader::DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                             const std::function<void(TWriter&)>&, bool)
{
    if (propFound_ || propName_.empty() || !readData || !SameTextAscii(name, propName_)) return;
    propFound_ = true;
    propName_.clear();
    readData(*this);
}

void TReader::DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                                   const std::function<void(TStream&)>&, bool)
{
    if (propFound_ || propName_.empty() || !readData || !SameTextAscii(name, propName_)) return;
    propFound_ = true;
    propName_.clear();
    if (ReadValue() != TValueType::vaBinary) Invalid("Invalid property value");
    const std::int32_t size = ReadInt32();
    CheckLength(size);
    TMemoryStream data;
    data.SetSize(size);
    stream_.ReadBuffer(data.Memory(), size);
    data.SetPosition(0);
    readData(data);
}

std::int64_t TReader::ReadInteger()
{
    std::uint8_t buffer[8];
    int bytes = 0;
    switch (ReadValue()) {
    case TValueType::vaInt8: bytes = 1; break;
    case TValueType::vaInt16: bytes = 2; break;
    case TValueType::vaInt32: bytes = 4; break;
    case TValueType::vaInt64: bytes = 8; break;
    default: Invalid("Invalid property value");
    }
    CheckLength(bytes);
    stream_.ReadBuffer(buffer, bytes);
    const std::uint64_t raw = GetLittle(buffer, bytes);
    // Sign-extend from the stored width.
    const int shift = 64 - 8 * bytes;
    return static_cast<std::int64_t>(raw << shift) >> shift;
}

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case TValueType::vaTrue: return true;
    case TValueType::vaFalse: return false;
    default: Invalid("Invalid property value");
    }
}

String TReader::ReadString()
{
    std::int64_t length = 0;
    const TValueType type = ReadValue();
    switch (type) {
    case TValueType::vaString: length = ReadByte(); break;
    case TValueType::vaLString:
    case TValueType::vaUTF8String: length = ReadInt32(); break;
    case TValueType::vaWString: {
        const std::int64_t units = ReadInt32();
        if (units < 0) Invalid("Stream read error");
        CheckLength(units * 2);
        std::vector<char16_t> text(static_cast<std::size_t>(units));
        stream_.ReadBuffer(text.data(), units * 2);
        for (char16_t& unit : text) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(&unit);
            unit = static_cast<char16_t>(bytes[0] | bytes[1] << 8);
        }
        return QString::fromUtf16(text.data(), static_cast<qsizetype>(units)).toStdString();
    }
    default: Invalid("Invalid property value");
    }
    CheckLength(length);
    String text(static_cast<std::size_t>(length), '\0');
    stream_.ReadBuffer(text.data(), length);
    return text;
}

String TReader::ReadIdent()
{
    switch (ReadValue()) {
    case TValueType::vaIdent: return ReadStr();
    case TValueType::vaFalse: return "False";
    case TValueType::vaTrue: return "True";
    case TValueType::vaNil: return "nil";
    case TValueType::vaNull: return "Null";
    default: Invalid("Invalid property value");
    }
}

void TReader::ReadListBegin()
{
    if (ReadValue() != TValueType::vaList) Invalid("Invalid property value");
}

void TReader::ReadListEnd()
{
    if (ReadValue() != TValueType::vaNull) Invalid("Invalid property value");
}

bool TReader::EndOfList()
{
    // What follows may be a property's name, whose length byte can be any
    // number: only the end marker is looked for.
    const std::uint8_t byte = ReadByte();
    stream_.Seek(-1, TSeekOrigin::soCurrent);
    return byte == 0;
}

TValueType TReader::NextValue()
{
    const TValueType type = ReadValue();
    stream_.Seek(-1, TSeekOrigin::soCurrent);
    return type;
}

void TReader::ReadCollection(TCollection* collection)
{
    Nesting nesting(*this);
    if (ReadValue() != TValueType::vaCollection || !collection) Invalid("Invalid property value");
    collection->BeginUpdate();
    try {
        collection->Clear();
        while (!EndOfList()) {
            const TValueType next = NextValue();
            if (next == TValueType::vaInt8 || next == TValueType::vaInt16 || next == TValueType::vaInt32)
                ReadInteger();  // the item's position, which the order already gives
            ReadListBegin();
            TCollectionItem* item = collection->Add();
            if (!item) Invalid("Invalid property value");
            ReadProperties(item);
        }
        ReadListEnd();
    } catch (...) {
        collection->EndUpdate();
        throw;
    }
    collection->EndUpdate();
}

TValueType TReader::ReadValue()
{
    const std::uint8_t byte = ReadByte();
    if (byte > static_cast<std::uint8_t>(TValueType::vaUTF8String)) Invalid("Invalid property value");
    return static_cast<TValueType>(byte);
}

String TReader::ReadStr()
{
    const std::uint8_t length = ReadByte();
    CheckLength(length);
    String text(length, '\0');
    stream_.ReadBuffer(text.data(), length);
    return text;
}

std::uint8_t TReader::ReadByte()
{
    std::uint8_t byte = 0;
    if (stream_.Read(&byte, 1) != 1) Invalid("Stream read error");
    return byte;
}

std::int32_t TReader::ReadInt32()
{
    std::uint8_t buffer[4];
    CheckLength(4);
    stream_.ReadBuffer(buffer, 4);
    return static_cast<std::int32_t>(GetLittle(buffer, 4));
}

std::int64_t TReader::Remaining()
{
    return stream_.Size() - stream_.Position();
}

void TReader::CheckLength(std::int64_t length)
{
    if (length < 0 || length > Remaining()) Invalid("Stream read error");
}

void TReader::ResolveFixups()
{
    for (const Fixup& fixup : fixups_) {
        TComponent* target = nullptr;
        if (root_ && SameTextAscii(fixup.name, root_->Name()))
            target = root_;
        else if (root_ && fixup.name.find('.') == String::npos)
            target = root_->FindComponent(fixup.name);
        // A name in another form ("Form.Component") is not known here; the
        // link stays empty rather than pointing somewhere wrong.
        if (target) fixup.set(target);
    }
    fixups_.clear();
}

void WriteComponentToStream(TStream& stream, TComponent* component)
{
    TWriter writer(stream);
    writer.WriteRootComponent(component);
}

TComponent* ReadComponentFromStream(TStream& stream, TComponent* component)
{
    TReader reader(stream);
    return reader.ReadRootComponent(component);
}

} // namespace velvane
