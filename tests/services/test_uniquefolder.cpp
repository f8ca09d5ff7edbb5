// Default destinations: each caller gets a folder of its own, on disk and in this process.

#include "harness/helpers.h"

#include "korgui/common/uniquefolder.h"

#include <gtest/gtest.h>

using namespace kortest;

TEST(UniqueFolderPath, EveryCallerGetsAFreeNameOfItsOwn)
{
    TempDir dir;
    dir.MakeDir("import-taken"), dir.WriteFile("import-file", "x"), dir.MakeDir("import-file-2");
    const struct { const char* name; const char* given; } cases[] = {
        {"import-a", "import-a"}, {"import-a", "import-a-2"}, {"import-a", "import-a-3"},
        {"import-taken", "import-taken-2"}, {"import-file", "import-file-3"}, {"import-b", "import-b"}};
    for (const auto& c : cases)
        EXPECT_EQ(UniqueFolderPath(dir.Path(), c.name), dir / c.given) << c.name;
}
