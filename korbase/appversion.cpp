#include "korbase/appversion.h"

#include <sys/utsname.h>

wxString AppVersion::GetLoomRevision() const
{
    return wxString::FromUTF8(KOR_REVISION);
}

wxString AppVersion::GetPlatform() const
{
    utsname name;
    if (uname(&name) != 0)
        return wxString();
    return wxString::FromUTF8(name.sysname) + " " + wxString::FromUTF8(name.machine);
}
