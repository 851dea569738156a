#pragma once
// A private Xvfb display with a real window manager (openbox) on it, which
// Qt is pointed at, so the QApplication must not exist yet. The manager
// focuses new windows and frames them, as on a desktop; both end with the
// object.

#include "tests/support/ScopedEnv.h"
#include "tests/support/XvfbServer.h"

#include <optional>
#include <string>

#include <sys/types.h>

namespace velvane::test {

class ManagedDisplay {
public:
    ManagedDisplay();
    ~ManagedDisplay();
    ManagedDisplay(const ManagedDisplay&) = delete;
    ManagedDisplay& operator=(const ManagedDisplay&) = delete;

    // Empty when the manager runs; otherwise why the tests must skip.
    const std::string& Problem() const { return problem_; }
    const std::string& Display() const { return x_.Display(); }

private:
    XvfbServer x_{"1024x768x24"};
    std::optional<ScopedEnv> display_, platform_;
    pid_t manager_ = -1;
    std::string problem_;
};

} // namespace velvane::test
