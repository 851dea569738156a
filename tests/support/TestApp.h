#pragma once
// One application object for the whole test program, never freed (Qt does
// not like being torn down after main returns). Made before any plain
// QApplication it stops exceptions at every event; made after one, it uses
// that one, and tests that throw through the loop must skip.

#include "platform/forms/Application.h"

namespace velvane::test {

inline TApplication* EnsureApplication()
{
    static TApplication* const app = [] {
        static int argc = 1;
        static char name[] = "velvane-tests";
        static char* argv[] = {name, nullptr};
        return Application ? Application : new TApplication(argc, argv);
    }();
    return app;
}

} // namespace velvane::test
