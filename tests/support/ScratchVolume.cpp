#include "tests/support/ScratchVolume.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace velvane::test {

ScratchVolume::ScratchVolume(std::size_t bytes) : bytes_(bytes)
{
    std::string folder = (std::filesystem::temp_directory_path() / "velvane-volume-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        problem_ = std::string("no folder for the volume: ") + std::strerror(errno);
        return;
    }
    root_ = folder;
    // Private to this thread, and nothing mounted here travels back out.
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        problem_ = std::string("no mount namespace of our own: ") + std::strerror(errno);
        return;
    }
    const std::string options = "size=" + std::to_string(bytes_) + ",mode=0755";
    if (mount("tmpfs", root_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        problem_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

ScratchVolume::~ScratchVolume()
{
    if (mounted_) umount2(root_.c_str(), MNT_DETACH);
    if (!root_.empty()) rmdir(root_.c_str());
}

void ScratchVolume::FillUp() const
{
    const int fd = open(Path(".filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const std::string block(4096, 'x');
    while (write(fd, block.data(), block.size()) > 0) {
    }
    // The last partial page too.
    while (write(fd, block.data(), 1) > 0) {
    }
    close(fd);
}

bool ScratchVolume::MakeReadOnly()
{
    const std::string options = "size=" + std::to_string(bytes_) + ",mode=0755";
    return mounted_ && mount("tmpfs", root_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options.c_str()) == 0;
}

} // namespace velvane::test
