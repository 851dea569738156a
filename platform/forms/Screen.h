#pragma once
// TScreen: the forms of the program, in the order they were made.

#include "platform/classes/Lists.h"

namespace velvane {

class TForm;

class TScreen {
public:
    int FormCount() const { return forms_.Count(); }
    // Index out of range raises EListError.
    TForm* Forms(int index) const { return forms_.Items(index); }

private:
    friend class TForm;
    void AddForm(TForm* form) { forms_.Add(form); }
    void RemoveForm(TForm* form) { forms_.Remove(form); }

    TList<TForm> forms_;
};

// The one screen object (main thread only).
TScreen& Screen();

} // namespace velvane
