// Writes COUNT settings named PREFIX_0 .. PREFIX_<COUNT-1> (value i) through
// TWinRegistry once GO_FILE exists. With ROUNDS, writes all COUNT of them
// ROUNDS times instead, round r giving each the value r, each round as one
// save. Exit code 0 when every write succeeded. Used to run two writers in
// two processes against one store.

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
        const auto write = [&](int i, int value) {
            reg.WriteValue(prefix + "_" + std::to_string(i) + "|" + std::to_string(value) + "|Integer");
        };
        if (argc == 4) {
            for (int i = 0; i < count; ++i) write(i, i);
        } else {
            for (int round = 1, rounds = std::stoi(argv[4]); round <= rounds; ++round)
                reg.Together([&] {
                    for (int i = 0; i < count; ++i) write(i, round);
                });
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
