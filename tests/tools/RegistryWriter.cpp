// Writes COUNT settings named PREFIX_0 .. PREFIX_<COUNT-1> (value i) through
// TWinRegistry once GO_FILE exists; with ROUNDS, all of them ROUNDS times,
// round r saving value r in each at once. Exit code 0 when every write
// succeeded. Used to run two writers in two processes against one store.

#include "settings/WinRegistry.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv)
{
    using namespace velvane;
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: registry_writer PREFIX COUNT GO_FILE [ROUNDS]\n");
        return 2;
    }
    std::string prefix = argv[1];
    int count = std::stoi(argv[2]);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (access(argv[3], F_OK) != 0) {
        if (std::chrono::steady_clock::now() > deadline) return 3;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    try {
        TWinRegistry reg(nullptr);
        reg.HootKey = THootKey::HKEY_CURRENT_USER;
        reg.Path = "Software\\Velvane\\";
        for (int round = 1; round <= (argc == 5 ? std::stoi(argv[4]) : 1); ++round)
            reg.Together([&] {
                for (int i = 0; i < count; ++i)
                    reg.WriteValue(prefix + "_" + std::to_string(i) + "|" + std::to_string(argc == 5 ? round : i) +
                                   "|Integer");
            });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
