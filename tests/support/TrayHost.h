#pragma once
// A real notification area for tests: a private Xvfb display with trayer
// running on it. The test program's Qt is pointed at that display, so the
// QApplication must not exist before the host is made (each test case runs
// in a program of its own). Both servers end with the object.

#include "tests/support/ScopedEnv.h"
#include "tests/support/XvfbServer.h"

#include <memory>
#include <string>
#include <utility>

#include <sys/types.h>

namespace velvane::test {

class TrayHost {
public:
    TrayHost();
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // Empty when the area is up; otherwise why the tests must skip.
    const std::string& Problem() const { return problem_; }

    // Ends trayer and waits until the area is gone; starts it again and
    // waits until the area is there.
    void StopTray();
    bool StartTray();

    // Whether the native window sits inside the area's panel.
    bool InTray(unsigned long window) const;
    // Presses and releases an X button (1 left, 2 middle, 3 right) in the
    // middle of the window, count times in quick succession.
    // Answers the point clicked, on the screen.
    std::pair<int, int> Click(unsigned long window, int button, int count = 1) const;

private:
    bool AreaUp() const;

    XvfbServer x_{"640x480x24"};
    std::unique_ptr<ScopedEnv> display_, platform_;
    void* xdisplay_ = nullptr;  // our own connection, apart from Qt's
    pid_t trayer_ = -1;
    std::string problem_;
};

} // namespace velvane::test
