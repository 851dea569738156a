#include "components/foundation/VELIniCtrl.h"

#include "components/foundation/VELStrings.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/AsciiText.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Registry.h"

#include <optional>
#include <vector>

namespace velvane {

namespace {

// An INI file as lines: sections "[name]" and "name=value" entries below
// them. Lines it does not understand (comments, blanks) are kept as they are.
class IniText {
public:
    explicit IniText(const String& path) : path_(path)
    {
        if (FileExists(path)) lines_ = TStrings::SplitLines(ReadFileBytes(path));
    }

    std::optional<String> Read(const String& section, const String& name) const
    {
        const auto [begin, end] = Section(section);
        for (std::size_t i = begin; i < end; ++i)
            if (auto value = ValueIf(lines_[i], name)) return value;
        return std::nullopt;
    }

    void Write(const String& section, const String& name, const String& value)
    {
        auto [begin, end] = Section(section);
        const String line = String(TrimBlanks(name)) + "=" + value;
        for (std::size_t i = begin; i < end; ++i) {
            if (ValueIf(lines_[i], name)) {
                lines_[i] = line;
                return;
            }
        }
        if (begin == end && (begin == 0 || !IsHeader(lines_[begin - 1], section))) {
            if (!lines_.empty() && !TrimBlanks(lines_.back()).empty()) lines_.emplace_back();
            lines_.push_back("[" + section + "]");
            lines_.push_back(line);
            return;
        }
        // After the section's last entry, before the blank lines that part it from the next.
        std::size_t at = end;
        while (at > begin && TrimBlanks(lines_[at - 1]).empty()) --at;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
    }

    bool Delete(const String& section, const String& name)
    {
        const auto [begin, end] = Section(section);
        for (std::size_t i = begin; i < end; ++i) {
            if (ValueIf(lines_[i], name)) {
                lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
                return true;
            }
        }
        return false;
    }

    bool Erase(const String& section)
    {
        const auto [begin, end] = Section(section);
        if (begin == 0 || !IsHeader(lines_[begin - 1], section)) return false;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(begin - 1),
                     lines_.begin() + static_cast<std::ptrdiff_t>(end));
        return true;
    }

    // Whole, through a temporary name and a rename.
    void Save() const
    {
        String text;
        for (const String& line : lines_) text += line + "\n";
        AtomicWriteFile(path_, text);
    }

private:
    static bool IsHeader(std::string_view line, std::string_view section)
    {
        line = TrimBlanks(line);
        return line.size() >= 2 && line.front() == '[' && line.back() == ']' &&
               SameTextAscii(TrimBlanks(line.substr(1, line.size() - 2)), TrimBlanks(section));
    }

    static bool IsAnyHeader(std::string_view line)
    {
        line = TrimBlanks(line);
        return !line.empty() && line.front() == '[' && line.back() == ']';
    }

    static std::optional<String> ValueIf(std::string_view line, std::string_view name)
    {
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || IsAnyHeader(line)) return std::nullopt;
        // Names are taken without the blanks around them, as the file has them.
        if (!SameTextAscii(TrimBlanks(line.substr(0, eq)), TrimBlanks(name))) return std::nullopt;
        return String(TrimBlanks(line.substr(eq + 1)));
    }

    // The lines of a section's entries: [begin, end); empty at the end of
    // the file when the section is missing.
    std::pair<std::size_t, std::size_t> Section(const String& section) const
    {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (!IsHeader(lines_[i], section)) continue;
            std::size_t end = i + 1;
            while (end < lines_.size() && !IsAnyHeader(lines_[end])) ++end;
            return {i + 1, end};
        }
        return {lines_.size(), lines_.size()};
    }

    String path_;
    std::vector<String> lines_;
};

bool HasLineBreak(const String& text)
{
    return text.find_first_of("\r\n") != String::npos;
}

void CheckIniNames(const String& section, const String& name)
{
    // A name beginning with "[" would make its line a section's.
    if (HasLineBreak(section) || section.find(']') != String::npos || TrimBlanks(name).empty() ||
        HasLineBreak(name) || name.find('=') != String::npos || TrimBlanks(name).front() == '[')
        throw EInvalidOperation("Section \"" + section + "\" or name \"" + name + "\" cannot be kept in an INI file");
}

HKEY RootOf(TVELRegRootKey root)
{
    switch (root) {
    case TVELRegRootKey::rpClassesRoot: return HKEY_CLASSES_ROOT;
    case TVELRegRootKey::rpCurrentUser: return HKEY_CURRENT_USER;
    case TVELRegRootKey::rpLocalMachine: return HKEY_LOCAL_MACHINE;
    case TVELRegRootKey::rpUsers: return HKEY_USERS;
    case TVELRegRootKey::rpCurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

String ProgramName()
{
    String name = ExtractFileName(ProgramFileName());
    const String ext = ExtractFileExt(name);
    if (!ext.empty()) name.resize(name.size() - ext.size());
    return name.empty() ? String("velvane") : name;
}

} // namespace

TVELIniCtrl::TVELIniCtrl(TComponent* owner) : TVELCustomComponent(owner) {}

void TVELIniCtrl::SetAlphaCounter(bool value)
{
    if (value == alphaCounter_) return;
    alphaCounter_ = value;
    if (maxEntries_ > 26) maxEntries_ = 26;
}

void TVELIniCtrl::SetIniFile(const String& value)
{
    iniFile_ = ExtractFileExt(value).empty() ? value + ".INI" : value;
}

void TVELIniCtrl::SetMaxEntries(std::uint8_t value)
{
    if (value != maxEntries_ && (!alphaCounter_ || value <= 26)) maxEntries_ = value;
}

void TVELIniCtrl::SetNetUser(bool value)
{
    if (value == netUser_) return;
    netUser_ = value;
    if (value) User = QueryUserName();
}

void TVELIniCtrl::SetTarget(TVELIniTarget value)
{
    if (value == target_) return;
    target_ = value;
    effective_ = value == TVELIniTarget::itAuto ? TVELIniTarget::itRegistry : value;
}

String TVELIniCtrl::QueryUserName()
{
    return UserName();
}

String TVELIniCtrl::FileName() const
{
    const String name = iniFile_.empty() ? ProgramName() + ".INI" : iniFile_;
    // A name with its own folder is taken as it is.
    if (name.find(PathDelim) != String::npos) return name;
    return PrefixPath(IniPrefix, true) + name;
}

String TVELIniCtrl::SectionPath(const String& section) const
{
    return !Common && !User.empty() ? User + "\\" + section : section;
}

String TVELIniCtrl::KeyPath(const String& section) const
{
    String path = RegPath.empty() ? "Software\\" + ProgramName() : RegPath;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path + "\\" + SectionPath(section);
}

String TVELIniCtrl::ReadString(const String& section, const String& name, const String& defaultValue)
{
    if (effective_ == TVELIniTarget::itIniFile) {
        auto value = IniText(FileName()).Read(SectionPath(section), name);
        return value ? *value : defaultValue;
    }
    TRegistry registry(KEY_READ);
    registry.SetRootKey(RootOf(RegRoot));
    if (!registry.OpenKeyReadOnly("\\" + KeyPath(section)) || !registry.ValueExists(name)) return defaultValue;
    switch (registry.GetDataType(name)) {
    case TRegDataType::rdString:
    case TRegDataType::rdExpandString: return registry.ReadString(name);
    case TRegDataType::rdInteger: return IntToStr(registry.ReadInteger(name));
    default: return defaultValue;
    }
}

void TVELIniCtrl::WriteString(const String& section, const String& name, const String& value)
{
    if (effective_ == TVELIniTarget::itIniFile) {
        CheckIniNames(SectionPath(section), name);
        if (HasLineBreak(value))
            throw EInvalidOperation("The value of \"" + name + "\" holds a line break, which an INI file cannot keep");
        IniText file(FileName());
        file.Write(SectionPath(section), name, value);
        file.Save();
        return;
    }
    TRegistry registry;
    registry.SetRootKey(RootOf(RegRoot));
    if (!registry.OpenKey("\\" + KeyPath(section), true))
        throw ERegistryException("Failed to create key " + KeyPath(section));
    registry.WriteString(name, value);
}

int TVELIniCtrl::ReadInteger(const String& section, const String& name, int defaultValue)
{
    if (effective_ == TVELIniTarget::itRegistry) {
        TRegistry registry(KEY_READ);
        registry.SetRootKey(RootOf(RegRoot));
        if (registry.OpenKeyReadOnly("\\" + KeyPath(section)) && registry.ValueExists(name) &&
            registry.GetDataType(name) == TRegDataType::rdInteger)
            return registry.ReadInteger(name);
    }
    return StrToIntDef(ReadString(section, name, String()), defaultValue);
}

void TVELIniCtrl::WriteInteger(const String& section, const String& name, int value)
{
    if (effective_ == TVELIniTarget::itIniFile) {
        WriteString(section, name, IntToStr(value));
        return;
    }
    TRegistry registry;
    registry.SetRootKey(RootOf(RegRoot));
    if (!registry.OpenKey("\\" + KeyPath(section), true))
        throw ERegistryException("Failed to create key " + KeyPath(section));
    registry.WriteInteger(name, value);
}

bool TVELIniCtrl::ReadBool(const String& section, const String& name, bool defaultValue)
{
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void TVELIniCtrl::WriteBool(const String& section, const String& name, bool value)
{
    WriteInteger(section, name, value ? 1 : 0);
}

void TVELIniCtrl::DeleteKey(const String& section, const String& name)
{
    if (effective_ == TVELIniTarget::itIniFile) {
        IniText file(FileName());
        if (file.Delete(SectionPath(section), name)) file.Save();
        return;
    }
    TRegistry registry;
    registry.SetRootKey(RootOf(RegRoot));
    if (registry.OpenKey("\\" + KeyPath(section), false)) registry.DeleteValue(name);
}

void TVELIniCtrl::EraseSection(const String& section)
{
    if (effective_ == TVELIniTarget::itIniFile) {
        IniText file(FileName());
        if (file.Erase(SectionPath(section))) file.Save();
        return;
    }
    TRegistry registry;
    registry.SetRootKey(RootOf(RegRoot));
    registry.DeleteKey("\\" + KeyPath(section));
}

void TVELIniCtrl::DeclareProperties(TPropertyList& list)
{
    TVELCustomComponent::DeclareProperties(list);
    list.Boolean("AlphaCounter", [this] { return alphaCounter_; }, [this](bool v) { SetAlphaCounter(v); }).Default(0);
    list.Boolean("Common", [this] { return Common; }, [this](bool v) { Common = v; }).Default(1);
    list.Text("IniFile", [this] { return iniFile_; }, [this](const String& v) { SetIniFile(v); });
    list.Enum("IniPrefix", {"ppWindows", "ppSystem", "ppProgram", "ppFixed"},
              [this] { return static_cast<int>(IniPrefix); },
              [this](int v) { IniPrefix = static_cast<TVELPathPrefix>(v); })
        .Default(0);
    list.Integer("MaxEntries", [this] { return std::int64_t{maxEntries_}; },
                 [this](std::int64_t v) { SetMaxEntries(static_cast<std::uint8_t>(v)); })
        .Default(16)
        .Range(0, 255);
    list.Boolean("NetUser", [this] { return netUser_; }, [this](bool v) { SetNetUser(v); }).Default(0);
    list.Text("User", [this] { return User; }, [this](const String& v) { User = v; });
    list.Text("RegPath", [this] { return RegPath; }, [this](const String& v) { RegPath = v; });
    list.Enum("RegRoot", {"rpClassesRoot", "rpCurrentUser", "rpLocalMachine", "rpUsers", "rpCurrentConfig"},
              [this] { return static_cast<int>(RegRoot); },
              [this](int v) { RegRoot = static_cast<TVELRegRootKey>(v); })
        .Default(1);
    list.Enum("Target", {"itAuto", "itRegistry", "itIniFile"}, [this] { return static_cast<int>(target_); },
              [this](int v) { SetTarget(static_cast<TVELIniTarget>(v)); })
        .Default(0);
    list.Integer("EncKey", [this] { return std::int64_t{EncKey}; },
                 [this](std::int64_t v) { EncKey = static_cast<std::uint16_t>(v); })
        .Default(40917)
        .Range(0, 65535);
    list.Boolean("Encoded", [this] { return Encoded; }, [this](bool v) { Encoded = v; }).Default(0);
}

} // namespace velvane
