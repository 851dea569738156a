#pragma once
// A real notification area: trayer on a private Xvfb display, which Qt is
// pointed at, so the QApplication must not exist yet. Both end with it.

#include "tests/support/ScopedEnv.h"
#include "tests/support/XvfbServer.h"

#include <optional>
#include <string>
#include <utility>

#include <sys/types.h>

struct _XDisplay;

namespace velvane::test {

class TrayHost {
public:
    TrayHost();
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // Why the tests must skip: Xvfb or trayer is not installed; "" when
    // both are.
    const std::string& Absent() const { return absent_; }
    // Why the area is not up although both are installed; "" when it is.
    const std::string& Problem() const { return problem_; }

    // Return once the area is gone, or there again.
    void StopTray();
    bool StartTray();

    // Whether the native window sits inside the area's panel.
    bool InTray(unsigned long window) const;
    // Presses and releases an X button (1 left, 2 middle, 3 right) in the
    // middle of the window, count times in quick succession.
    // Answers the point clicked, on the screen.
    std::pair<int, int> Click(unsigned long window, int button, int count = 1) const;

private:
    XvfbServer x_{"640x480x24"};
    std::optional<ScopedEnv> display_, platform_;
    _XDisplay* xdisplay_ = nullptr;  // our own connection, apart from Qt's
    pid_t trayer_ = -1;
    std::string absent_, problem_;
};

} // namespace velvane::test
