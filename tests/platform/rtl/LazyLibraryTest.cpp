#include "platform/rtl/LazyLibrary.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

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
    EXPECT_EQ(test::MessageOf<EOSError>([] { LazySymbol("libvelvane-none.so.0", "f"); }),
              "Não foi possível carregar a biblioteca \"libvelvane-none.so.0\": ela não está instalada ou não pode "
              "ser usada.");
    EXPECT_EQ(test::MessageOf<EOSError>([] { LazySymbol("libz.so.1", "no_such_function"); }),
              "A função \"no_such_function\" não existe na biblioteca \"libz.so.1\"");
}
