#pragma once
// File open and save dialogs, shown through the modal service.

#include "platform/classes/Component.h"

namespace velvane {

class TOpenDialog : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TOpenDialog"; }

    // "Velvane (*.vnx)|*.vnx": pairs of a description and its patterns.
    String Filter;
    // Added to a chosen name that has no extension ("vnx", without the dot).
    String DefaultExt;
    String InitialDir;
    String Title;
    // The name to start with; after Execute, the chosen file.
    String FileName;

    // True when the user chose a file.
    bool Execute();

protected:
    virtual bool Saving() const { return false; }
};

class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    const char* ClassName() const override { return "TSaveDialog"; }

protected:
    bool Saving() const override { return true; }
};

} // namespace velvane
