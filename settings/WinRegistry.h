#pragma once
// TWinRegistry keeps typed settings in the registry. Each setting is a line
// of three fields joined by "|": the value name, the value text (used only
// when writing) and the type name, one of "String", "Integer", "Boolean",
// "Currency", "Date", "DateTime", "Float", "Time".

#include "platform/classes/Component.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variant.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace velvane {

class TRegistry;

enum class THootKey : std::uint8_t {
    HKEY_CLASSES_ROOT,
    HKEY_CURRENT_USER,
    HKEY_LOCAL_MACHINE,
    HKEY_USERS,
    HKEY_CURRENT_CONFIG,
};

class TWinRegistry : public TComponent {
public:
    explicit TWinRegistry(TComponent* owner);
    ~TWinRegistry() override;

    const char* ClassName() const override { return "TWinRegistry"; }

    // Root key of Path; a component made in code starts at the first one.
    THootKey HootKey = THootKey::HKEY_CLASSES_ROOT;
    // Key below the root, with a trailing backslash ("Software\Velvane\").
    // Changing it takes effect at the next call.
    String Path;

    // The owned settings lines; callers change them in place by index.
    TStrings& RegistryLines() { return *lines_; }
    // Copies the given lines.
    void SetRegistryLines(const TStrings& lines);

    // The value named in the line, by the line's type; empty for an unknown
    // type. A missing value raises (a missing text reads empty). A line that
    // is not three fields shows a message and reads empty.
    Variant ReadValue(const String& line);
    // Writes the line's value text under its name, converted by its type. A
    // text that does not convert raises; a malformed line shows a message
    // and writes nothing.
    void WriteValue(const String& line);
    // Writes every line in order; stops at the first line that raises and
    // returns false. A malformed line does not stop it.
    bool WriteAll();
    // As WriteAll, over the lines whose index take accepts.
    bool WriteAll(const std::function<bool(int index)>& take);
    // Runs work with this thread's reads and writes of the settings kept
    // together: each key's values read at one moment, and the writes stored
    // in one transaction once work returns, or none of them when it (or the
    // store) raises. A reader never sees half of what work wrote.
    void Together(const std::function<void()>& work);
    // Whether the value the line names is in the store; a store that
    // cannot tell raises.
    bool ValueExists(const String& line);
    // What stopped the last WriteAll (empty when it wrote every line), for
    // callers that report it.
    std::exception_ptr WriteAllFailure() const { return writeAllFailure_; }

    // The fields of a line: "|" turned into line breaks, then cut into lines.
    // A line of more fields whose last is a type name is read as name (up to
    // the first "|"), value (which may hold "|") and type (after the last).
    static std::vector<String> SplitLine(const String& line);

private:
    void OpenKey();

    std::unique_ptr<TStringList> lines_;
    std::exception_ptr writeAllFailure_;
    std::unique_ptr<TRegistry> registry_;
};

} // namespace velvane
