#pragma once
// TVELIniCtrl: the component library's settings control. It keeps values
// by section and name either in the settings store (registry target) or in
// an INI file (file target). An INI file is always written whole, through a
// temporary name and a rename, so a failed write never leaves half a file.

#include "components/foundation/VELCustomComponent.h"
#include "components/foundation/velprocs.h"

#include <cstdint>

namespace velvane {

enum class TVELRegRootKey { rpClassesRoot, rpCurrentUser, rpLocalMachine, rpUsers, rpCurrentConfig };
enum class TVELIniTarget { itAuto, itRegistry, itIniFile };

class TVELIniCtrl : public TVELCustomComponent {
public:
    explicit TVELIniCtrl(TComponent* owner);
    const char* ClassName() const override { return "TVELIniCtrl"; }

    bool AlphaCounter() const { return alphaCounter_; }
    // Switching on lowers MaxEntries to 26 when above.
    void SetAlphaCounter(bool value);
    bool Common = true;
    const String& IniFile() const { return iniFile_; }
    // A name without extension gets ".INI"; one with an extension stays.
    void SetIniFile(const String& value);
    TVELPathPrefix IniPrefix = TVELPathPrefix::ppWindows;
    std::uint8_t MaxEntries() const { return maxEntries_; }
    // Refused above 26 while AlphaCounter is on.
    void SetMaxEntries(std::uint8_t value);
    bool NetUser() const { return netUser_; }
    // Switching on sets User to the login name.
    void SetNetUser(bool value);
    String User;
    String RegPath;
    TVELRegRootKey RegRoot = TVELRegRootKey::rpCurrentUser;
    TVELIniTarget Target() const { return target_; }
    void SetTarget(TVELIniTarget value);
    std::uint16_t EncKey = 40917;
    bool Encoded = false;

    // The values. With Common off and a User, every section lies under the
    // user's name (key "RegPath\User\Section", INI section "User\Section").
    // Reading gives the default for a value that is missing or unreadable
    // as the type asked for; writing raises when the store or file fails.
    String ReadString(const String& section, const String& name, const String& defaultValue);
    void WriteString(const String& section, const String& name, const String& value);
    int ReadInteger(const String& section, const String& name, int defaultValue);
    void WriteInteger(const String& section, const String& name, int value);
    bool ReadBool(const String& section, const String& name, bool defaultValue);
    void WriteBool(const String& section, const String& name, bool value);
    void DeleteKey(const String& section, const String& name);
    void EraseSection(const String& section);

    // The INI file of the file target: the folder of IniPrefix and IniFile
    // (the program's name with ".INI" while IniFile is empty).
    String FileName() const;
    // The registry key of a section ("RegPath" defaults to
    // "Software\<program name>").
    String KeyPath(const String& section) const;

    void DeclareProperties(TPropertyList& list) override;

protected:
    // The user name NetUser puts into User.
    virtual String QueryUserName();

private:
    String SectionPath(const String& section) const;
    bool alphaCounter_ = false;
    String iniFile_;
    std::uint8_t maxEntries_ = 16;
    bool netUser_ = false;
    TVELIniTarget target_ = TVELIniTarget::itAuto;
    TVELIniTarget effective_ = TVELIniTarget::itRegistry;
};

} // namespace velvane
