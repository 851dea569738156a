#include "platform/rtl/LazyLibrary.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/Raises.h"
#include "tests/support/TempEnv.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <functional>
#include <utility>

using namespace velvane;

TEST(LazyLibrary, FindsTheLibrarysOwnFunctionAndNamesWhatIsMissing)
{
    // The same function the loader finds, and once found, found again.
    void* own = LazySymbol("libz.so.1", "crc32");
    void* loaded = dlopen("libz.so.1", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(own, dlsym(loaded, "crc32"));
    EXPECT_EQ(LazySymbol("libz.so.1", "crc32"), own);
    dlclose(loaded);

    // What reaches an error box, in the programs' language.
    test::TempEnv env;
    AtomicWriteFile(env.Path("libfake.so"), "not a library");
    const String fake = env.Path("libfake.so");
    const std::pair<std::function<void()>, String> failures[] = {
        {[] { LazySymbol("libvelvane-none.so.0", "f"); },
         "Não foi possível carregar a biblioteca \"libvelvane-none.so.0\": ela não está instalada ou não pode ser "
         "usada."},
        {[&] { LazySymbol(fake.c_str(), "f"); },
         "Não foi possível carregar a biblioteca \"" + fake + "\": ela não está instalada ou não pode ser usada."},
        {[] { LazySymbol("libz.so.1", "no_such_function"); },
         "A função \"no_such_function\" não existe na biblioteca \"libz.so.1\""},
    };
    for (const auto& [call, message] : failures) EXPECT_EQ(test::MessageOf<EOSError>(call), message);
}
