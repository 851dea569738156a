#include "settings/WinRegistry.h"

#include "platform/forms/Dialogs.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/win/Registry.h"
#include "platform/win/RegistryStore.h"
#include "platform/win/WinError.h"

#include <algorithm>

namespace velvane {

namespace {

const char kBadLine[] = "Lista de parametros incorreta";

HKEY RootFor(THootKey key)
{
    switch (key) {
    case THootKey::HKEY_CLASSES_ROOT: return HKEY_CLASSES_ROOT;
    case THootKey::HKEY_CURRENT_USER: return HKEY_CURRENT_USER;
    case THootKey::HKEY_LOCAL_MACHINE: return HKEY_LOCAL_MACHINE;
    case THootKey::HKEY_USERS: return HKEY_USERS;
    case THootKey::HKEY_CURRENT_CONFIG: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CLASSES_ROOT;
}

} // namespace

TWinRegistry::TWinRegistry(TComponent* owner)
    : TComponent(owner), lines_(std::make_unique<TStringList>()), registry_(std::make_unique<TRegistry>(KEY_ALL_ACCESS))
{
}

TWinRegistry::~TWinRegistry() { registry_->CloseKey(); }

void TWinRegistry::SetRegistryLines(const TStrings& lines) { lines_->Assign(lines); }

namespace {

bool IsTypeName(const String& text)
{
    for (const char* name : {"String", "Integer", "Boolean", "Currency", "Date", "DateTime", "Float", "Time"})
        if (text == name) return true;
    return false;
}

} // namespace

std::vector<String> TWinRegistry::SplitLine(const String& line)
{
    String text = line;
    std::replace(text.begin(), text.end(), '|', '\n');
    std::vector<String> fields = TStrings::SplitLines(text);
    if (fields.size() <= 3 || line.find_first_of("\r\n") != String::npos) return fields;
    // A value may itself hold "|" (file names can): the name ends at the
    // first "|" and the type follows the last one. A final "|" still adds
    // no field.
    const String body = line.back() == '|' ? line.substr(0, line.size() - 1) : line;
    const size_t first = body.find('|');
    const size_t last = body.rfind('|');
    String type = body.substr(last + 1);
    if (!IsTypeName(type)) return fields;
    return {body.substr(0, first), body.substr(first + 1, last - first - 1), std::move(type)};
}

// Each call starts from the root and Path as they are now. Whether the key
// opened is not checked here: a read or write on an unopened key raises with
// the reason.
void TWinRegistry::OpenKey()
{
    registry_->CloseKey();
    registry_->SetRootKey(RootFor(HootKey));
    registry_->OpenKey(Path, true);
}

Variant TWinRegistry::ReadValue(const String& line)
{
    OpenKey();
    std::vector<String> fields = SplitLine(line);
    if (fields.size() != 3) {
        String message = String(kBadLine) + "[";
        for (const String& f : fields) message += f + "\r\n";
        ShowMessage(message + "]");
        return Variant();
    }
    const String& name = fields[0];
    const String& type = fields[2];
    if (type == "String") return Variant(registry_->ReadString(name));
    if (type == "Integer") return Variant(registry_->ReadInteger(name));
    if (type == "Boolean") return Variant(registry_->ReadBool(name));
    if (type == "Currency") return Variant(registry_->ReadCurrency(name));
    if (type == "Date") return Variant::FromDateTime(registry_->ReadDate(name));
    if (type == "DateTime") return Variant::FromDateTime(registry_->ReadDateTime(name));
    if (type == "Float") return Variant(registry_->ReadFloat(name));
    if (type == "Time") return Variant::FromDateTime(registry_->ReadTime(name));
    return Variant();
}

void TWinRegistry::WriteValue(const String& line)
{
    OpenKey();
    std::vector<String> fields = SplitLine(line);
    if (fields.size() != 3) {
        ShowMessage(kBadLine);
        return;
    }
    const String& name = fields[0];
    const String& text = fields[1];
    const String& type = fields[2];
    if (type == "String") registry_->WriteString(name, text);
    else if (type == "Integer") registry_->WriteInteger(name, StrToInt(text));
    else if (type == "Boolean") registry_->WriteBool(name, text == "True");
    else if (type == "Currency") registry_->WriteCurrency(name, StrToCurr(text));
    else if (type == "Date") registry_->WriteDate(name, StrToDate(text));
    else if (type == "DateTime") registry_->WriteDateTime(name, StrToDateTime(text));
    else if (type == "Float") registry_->WriteFloat(name, StrToFloat(text));
    else if (type == "Time") registry_->WriteTime(name, StrToTime(text));
}

bool TWinRegistry::WriteAll()
{
    return WriteAll([](int) { return true; });
}

bool TWinRegistry::WriteAll(const std::function<bool(int index)>& take)
{
    writeAllFailure_ = nullptr;
    for (int i = 0; i < lines_->Count(); ++i) {
        if (!take(i)) continue;
        try {
            WriteValue(lines_->Get(i));
        } catch (const std::exception&) {
            writeAllFailure_ = std::current_exception();
            return false;
        }
    }
    return true;
}

void TWinRegistry::Together(const std::function<void()>& work)
{
    const std::shared_ptr<RegistryStore> store = RegistryStore::ForCurrentUser();
    RegistryStore::Batch batch(*store);
    work();
    try {
        batch.Commit();
    } catch (const ERegistryStoreError& e) {
        // A store failure is a system error the error handlers report.
        SetLastError(e.Code);
        throw;
    }
}

bool TWinRegistry::ValueExists(const String& line)
{
    OpenKey();
    const std::vector<String> fields = SplitLine(line);
    return !fields.empty() && registry_->ValueExists(fields.front());
}

} // namespace velvane
