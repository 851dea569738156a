#pragma once
// TStrings and TStringList: an ordered list of text lines.
//
// Text is cut into lines at CR, LF or CR LF; a break at the very end starts no
// further line. Text is made with CR LF after every line, so an empty list is
// empty text.

#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

namespace velvane {

class TStrings {
public:
    virtual ~TStrings() = default;

    virtual int Count() const = 0;
    // Index out of range raises EListError "List index out of bounds (i)".
    virtual String Get(int index) const = 0;
    virtual void Put(int index, const String& s) = 0;
    virtual void Insert(int index, const String& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    int Add(const String& s);
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    // Exact, case-sensitive; -1 when absent.
    virtual int IndexOf(const String& s) const;
    void Assign(const TStrings& source);
    void AddStrings(const TStrings& source);

    String operator[](int index) const { return Get(index); }

    String Text() const;
    void SetText(const String& text);

    // "name=value" lines: the value of the first line whose name matches,
    // without regard to case; empty when none.
    String Values(const String& name) const;

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    // Raises EFOpenError naming the file.
    void LoadFromFile(const String& path);
    // Written through a temporary name and a rename; the old file stays whole
    // when the save fails.
    void SaveToFile(const String& path) const;

    // Cuts text into lines by the rule above.
    static std::vector<String> SplitLines(const String& text);
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    TStringList(std::initializer_list<String> lines) : lines_(lines) {}

    int Count() const override { return static_cast<int>(lines_.size()); }
    String Get(int index) const override;
    void Put(int index, const String& s) override;
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override;

    // Called after every change.
    std::function<void()> OnChange;

private:
    void CheckIndex(int index) const;
    void Changed();
    std::vector<String> lines_;
};

} // namespace velvane
