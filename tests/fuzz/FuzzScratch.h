#pragma once
// A folder of the fuzz target's own for the files it writes, made on first
// use (under TMPDIR) and removed when the program ends.

#include "tests/fuzz/FuzzCheck.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace velvane::test {

inline const std::string& ScratchFolder()
{
    struct Scratch {
        std::string folder = (std::filesystem::temp_directory_path() / "velvane-fuzz-XXXXXX").string();
        Scratch() { FUZZ_CHECK(::mkdtemp(folder.data()) != nullptr); }
        ~Scratch()
        {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    };
    static const Scratch scratch;
    return scratch.folder;
}

} // namespace velvane::test
