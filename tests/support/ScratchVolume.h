#pragma once
// A small file system of its own (tmpfs) on a fresh folder, for the roads a
// real disk takes when it is full or read-only. The calling thread first
// moves to a mount namespace of its own, so the volume is seen by it alone
// and nothing outlives the process. Mounting needs the right to (root, as
// the test machine runs); Problem() says why the tests must skip otherwise.

#include <cstddef>
#include <string>

namespace velvane::test {

class ScratchVolume {
public:
    explicit ScratchVolume(std::size_t bytes = 256 * 1024);
    ~ScratchVolume();
    ScratchVolume(const ScratchVolume&) = delete;
    ScratchVolume& operator=(const ScratchVolume&) = delete;

    const std::string& Problem() const { return problem_; }
    // The volume's root folder; no trailing '/'.
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& name) const { return root_ + "/" + name; }

    // Takes every free byte with a file of its own.
    void FillUp() const;
    // Remounts the volume read-only, as it stands.
    bool MakeReadOnly();

private:
    std::string root_, problem_;
    std::size_t bytes_;
    bool mounted_ = false;
};

} // namespace velvane::test
