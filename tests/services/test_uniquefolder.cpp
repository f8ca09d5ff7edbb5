// Default destinations: each window of this process gets a folder of its own.

#include "harness/helpers.h"

#include "korgui/common/uniquefolder.h"

#include <gtest/gtest.h>

using namespace kortest;

TEST(UniqueFolderPath, EveryCallerGetsANameOfItsOwn)
{
    TempDir dir;
    dir.MakeDir("import-listed"); // a folder already there is the one to list
    const struct { const char* name; const char* given; } cases[] = {
        {"import-a", "import-a"}, {"import-a", "import-a-2"}, {"import-a", "import-a-3"},
        {"import-listed", "import-listed"}, {"import-a-2", "import-a-2-2"}, {"import-b", "import-b"}};
    for (const auto& c : cases)
        EXPECT_EQ(UniqueFolderPath(dir.Path(), c.name), dir / c.given) << c.name;
}
