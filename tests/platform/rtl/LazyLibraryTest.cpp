#include "platform/rtl/LazyLibrary.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/Raises.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace velvane;
using testing::HasSubstr;

TEST(LazyLibrary, FindsTheLibrarysOwnFunctionAndNamesWhatIsMissing)
{
    // The same function the loader finds, and once found, found again.
    void* own = LazySymbol("libz.so.1", "crc32");
    void* loaded = dlopen("libz.so.1", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(own, dlsym(loaded, "crc32"));
    EXPECT_EQ(LazySymbol("libz.so.1", "crc32"), own);
    dlclose(loaded);

    EXPECT_THAT(test::MessageOf<EOSError>([] { LazySymbol("libvelvane-none.so.0", "f"); }),
                HasSubstr("Cannot load libvelvane-none.so.0: "));
    EXPECT_EQ(test::MessageOf<EOSError>([] { LazySymbol("libz.so.1", "no_such_function"); }),
              "Cannot find no_such_function in libz.so.1");
}
