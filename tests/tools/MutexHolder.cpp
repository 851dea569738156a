// Opens the named mutex given as its argument, prints "existed=1" when
// another handle to it was open already (else "existed=0"), and keeps it
// until its standard input closes. Used to hold a mutex in a second process.

#include "platform/win/Synch.h"
#include "platform/win/WinError.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    using namespace velvane;
    if (argc != 2) {
        std::fprintf(stderr, "usage: mutex_holder NAME\n");
        return 2;
    }
    HANDLE mutex = CreateMutexA(nullptr, FALSE, argv[1]);
    if (!mutex) return 3;
    std::printf("existed=%d\n", GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0);
    std::fflush(stdout);
    char byte;
    while (::read(0, &byte, 1) > 0) {
    }
    CloseHandle(mutex);
    return 0;
}
