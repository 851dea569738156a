#pragma once
// A private Xvfb display for the life of the object, on a display number no
// one else holds, with a real window manager (openbox) on it when asked;
// ended when the object goes.

#include <string>

#include <sys/types.h>

namespace velvane::test {

// The program's path as PATH finds it, "" when it is not installed.
std::string FindProgram(const std::string& name);

class XvfbServer {
public:
    // Size as Xvfb takes it, such as "320x200x24". A managed display runs
    // openbox, which frames and focuses windows as a desktop does.
    explicit XvfbServer(const std::string& screen, bool managed = false);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Xvfb, and openbox for a managed display: tests skip without them.
    bool Installed() const { return installed_; }
    // Up, and managed when asked.
    bool Running() const { return pid_ > 0 && problem_.empty(); }
    const std::string& Display() const { return display_; }  // ":N"
    const std::string& Problem() const { return problem_; }
    // For a failure's message: which of Xvfb and openbox has ended since,
    // and how; "" while both run.
    std::string Ended();

private:
    bool installed_ = false;
    pid_t pid_ = -1, manager_ = -1;
    std::string ended_;
    std::string display_, problem_;
};

} // namespace velvane::test
