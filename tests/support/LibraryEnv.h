#pragma once
// The component library started as a program starts it, with the
// application object first and fresh settings, data and runtime folders.

#include "components/ComponentLibrary.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempEnv.h"
#include "tests/support/TestApp.h"

namespace velvane::test {

struct ApplicationFirst {
    ApplicationFirst() { EnsureApplication(); }
};

struct LibraryEnv : ApplicationFirst {
    TempEnv env;
    RuntimeFolder runtime;
    TComponentLibrary library;
};

} // namespace velvane::test
