#pragma once
// TIntEdit: the edit box for whole numbers. Typed keys other than digits,
// signs, Backspace and Enter are refused with a beep; pasted text is taken
// as it comes, so Value reads 0 for text that is not a 32-bit whole number.

#include "platform/forms/StdCtrls.h"

#include <cstdint>

namespace velvane {

class TIntEdit : public TEdit {
public:
    explicit TIntEdit(QWidget* parent = nullptr);

    std::int64_t Value() const;
    void SetValue(std::int64_t value);

protected:
    // The character a key gives, as the edit sees it; 0 swallows it.
    virtual void KeyPress(char& key);
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace velvane
