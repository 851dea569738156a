#pragma once
// Points the settings, data and runtime folders (named mutexes live in the
// last) at a fresh temporary folder for the life of the object, and puts the
// old values back afterwards.

#include <string>

namespace velvane::test {

class TempEnv {
public:
    TempEnv();
    ~TempEnv();
    TempEnv(const TempEnv&) = delete;
    TempEnv& operator=(const TempEnv&) = delete;

    const std::string& Root() const { return root_; }   // no trailing '/'
    std::string ConfigHome() const { return root_ + "/config"; }
    std::string DataHome() const { return root_ + "/data"; }
    // A path inside the temporary folder.
    std::string Path(const std::string& name) const { return root_ + "/" + name; }

private:
    std::string root_;
    std::string oldConfig_, oldData_, oldRuntime_;
    bool hadConfig_ = false, hadData_ = false, hadRuntime_ = false;
};

} // namespace velvane::test
