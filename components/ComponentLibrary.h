#pragma once
// Start and end of the component library in a program: the process-wide
// objects the library's controls rely on, made before any window and freed
// at exit. Both programs hold one of these in main, right after their
// application object.

namespace velvane {

class TComponentLibrary {
public:
    // Registers the library's component classes for stored forms, binds the
    // visual-styles table, then makes GlobalApplication, GlobalThemeManager
    // and GlobalContainer.
    TComponentLibrary();
    // Frees the application's forms first (their components may still use
    // the library's objects), then the objects in reverse order.
    ~TComponentLibrary();
    TComponentLibrary(const TComponentLibrary&) = delete;
    TComponentLibrary& operator=(const TComponentLibrary&) = delete;
};

} // namespace velvane
