// A minimal host: links korgui through its installed CMake package and uses it.
#include <korgui/korgui.h>
#include <korbase/hash.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const wxString hash = KcvCalcHashFromFile(wxString::FromUTF8(argv[1]), HASH_MD5, true);
    std::printf("%s %s\n", static_cast<const char*>(KorguiVersion().utf8_str()),
                static_cast<const char*>(hash.utf8_str()));
    return KcvIsHashError(hash) ? 1 : 0;
}
