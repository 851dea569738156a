#pragma once
// TList: an ordered list of non-owning pointers with the class library's
// rules: every index is checked and a bad one raises EListError; nil
// entries are allowed.

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace velvane {

[[noreturn]] inline void RaiseListIndexError(int index)
{
    throw EListError(ErrorText(TErrorText::ListIndex, {index}));
}

template <typename T>
class TList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }

    T* Items(int index) const
    {
        Check(index);
        return items_[static_cast<std::size_t>(index)];
    }
    T* operator[](int index) const { return Items(index); }
    void Put(int index, T* item)
    {
        Check(index);
        items_[static_cast<std::size_t>(index)] = item;
    }
    T* First() const { return Items(0); }
    T* Last() const { return Items(Count() - 1); }

    // Returns the new item's index.
    int Add(T* item)
    {
        items_.push_back(item);
        return Count() - 1;
    }
    // index may be Count (the end).
    void Insert(int index, T* item)
    {
        if (index < 0 || index > Count()) RaiseListIndexError(index);
        items_.insert(items_.begin() + index, item);
    }
    void Delete(int index)
    {
        Check(index);
        items_.erase(items_.begin() + index);
    }
    // Removes the first entry equal to item; its former index, or -1.
    int Remove(T* item)
    {
        const int index = IndexOf(item);
        if (index >= 0) Delete(index);
        return index;
    }
    int IndexOf(const T* item) const
    {
        auto it = std::find(items_.begin(), items_.end(), item);
        return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
    }
    void Clear() { items_.clear(); }

    void Exchange(int index1, int index2)
    {
        Check(index1);
        Check(index2);
        std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
    }
    // Takes the item out at curIndex and puts it in at newIndex.
    void Move(int curIndex, int newIndex)
    {
        if (curIndex == newIndex) return;
        Check(newIndex);
        T* item = Items(curIndex);
        items_.erase(items_.begin() + curIndex);
        items_.insert(items_.begin() + newIndex, item);
    }
    // Drops the nil entries.
    void Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    void Check(int index) const
    {
        if (index < 0 || index >= Count()) RaiseListIndexError(index);
    }

    std::vector<T*> items_;
};

} // namespace velvane
