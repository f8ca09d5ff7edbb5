#pragma once

#include <wx/string.h>

// Version texts of the running build, as shown in logs and about boxes.
class AppVersion
{
public:
    virtual ~AppVersion() = default;

    // The source revision the build was made from (for example a git description).
    virtual wxString GetLoomRevision() const;

    // Operating system and processor, for example "Linux x86_64".
    virtual wxString GetPlatform() const;
};
