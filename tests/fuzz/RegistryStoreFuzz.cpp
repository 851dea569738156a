// A settings store file of any bytes: every call answers or raises the
// store's own error, never crashes; whatever reads is within the limits, and
// what is written reads back.

#include "platform/win/RegistryStore.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzScratch.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

using namespace velvane;
namespace fs = std::filesystem;

namespace {

// Every key below path, a few levels and entries deep, with its values.
void Walk(RegistryStore& store, const String& path, int depth)
{
    for (const String& name : store.ValueNames(path)) {
        try {
            // A name stored as bytes is listed but matches no text: it reads as missing.
            const auto sized = store.ReadValue(path, name, 0);
            const auto whole = store.ReadValue(path, name);
            FUZZ_CHECK(bool(sized) == bool(whole));
            // And with the whole key at once, as the programs read theirs.
            RegistryStore::Batch batch(store);
            const auto together = store.ReadValue(path, name);
            FUZZ_CHECK(bool(together) == bool(whole));
            if (!whole) continue;
            FUZZ_CHECK(sized->Size == whole->Size && whole->Size == whole->Data.size());
            FUZZ_CHECK(whole->Size <= RegistryStore::MaxValueBytes);
            FUZZ_CHECK(together->Kind == whole->Kind && together->Data == whole->Data);
        } catch (const ERegistryStoreError&) {
        }
    }
    if (depth == 3) return;
    int keys = 0;
    for (const String& child : store.SubKeyNames(path)) {
        if (++keys > 20) break;
        Walk(store, path + "\\" + child, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const String file = test::ScratchFolder() + "/registry.db";
    for (const char* extra : {"", "-wal", "-shm"}) fs::remove(file + extra);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    RegistryStore store(file);
    const String key = "HKEY_CURRENT_USER\\Software\\Velvane";
    try {
        Walk(store, "HKEY_CURRENT_USER", 0);
        store.CreateKey(key);
        const String path = "/home/u/wallpaper.bmp";
        const RegistryStore::Value written{REG_SZ, path, path.size()};
        store.WriteValue(key, "Wallpaper", written);
        const auto back = store.ReadValue(key, "wallpaper");
        FUZZ_CHECK(back && back->Kind == REG_SZ && back->Data == written.Data);
        store.DeleteValue(key, "Wallpaper");
        store.DeleteKey(key);
    } catch (const ERegistryStoreError&) {
    }
    return 0;
}
