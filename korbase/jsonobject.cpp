#include "korbase/jsonobject.h"

#include "korbase/files.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

wxJSONValue ToJson(const wxString& text)
{
    return wxJSONValue(std::string(text.utf8_str()));
}

wxJSONValue ToJson(const std::vector<wxString>& texts)
{
    wxJSONValue array = wxJSONValue::array();
    for (const wxString& t : texts)
        array.push_back(ToJson(t));
    return array;
}

template <>
wxString FromJson<wxString>(const wxJSONValue& value)
{
    if (!value.is_string())
        return wxString();
    return wxString::FromUTF8(value.get_ref<const std::string&>());
}

template <>
std::vector<wxString> FromJson<std::vector<wxString>>(const wxJSONValue& value)
{
    std::vector<wxString> texts;
    if (!value.is_array())
        return texts;
    for (const wxJSONValue& item : value)
        texts.push_back(FromJson<wxString>(item));
    return texts;
}

wxString JsonToText(const wxJSONValue& value, int style)
{
    // Invalid UTF-8 inside a string is replaced rather than thrown about.
    const std::string text = value.dump(style == JSON_COMPACT ? -1 : 2, ' ', false,
                                        wxJSONValue::error_handler_t::replace);
    return wxString::FromUTF8(text);
}

bool TextToJson(const wxString& text, wxJSONValue& value)
{
    value = wxJSONValue::parse(std::string(text.utf8_str()), nullptr, false);
    if (value.is_discarded())
    {
        value = nullptr;
        return false;
    }
    return true;
}

JsonObject::JsonObject(const wxString& name) : m_name(name)
{
}

wxJSONValue JsonObject::WriteToJsonReport(bool /*full*/) const
{
    return WriteToJson();
}

wxString JsonObject::DefaultFolder()
{
    wxString config;
    if (!wxGetEnv("XDG_CONFIG_HOME", &config) || config.empty())
        config = wxFileName(wxGetHomeDir(), ".config").GetFullPath();
    return wxFileName(config, "korgui").GetFullPath();
}

wxString JsonObject::GetFilePath(const wxString& folder) const
{
    return wxFileName(folder.empty() ? DefaultFolder() : folder, m_name, "json").GetFullPath();
}

bool JsonObject::WriteValue(const wxString& path, const wxJSONValue& value) const
{
    const wxFileName target(path);
    if (!CreateDirIfNotExists(target.GetPath()))
        return false;

    const std::string finalPath(path.fn_str());
    const std::string tempPath = finalPath + ".tmp" + std::to_string(getpid());
    const std::string text = JsonToText(value, JSON_INDENTED).utf8_string() + "\n";

    const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    size_t written = 0;
    while (written < text.size())
    {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n <= 0)
            break;
        written += static_cast<size_t>(n);
    }
    const bool ok = written == text.size() && fsync(fd) == 0;
    if (close(fd) != 0 || !ok || rename(tempPath.c_str(), finalPath.c_str()) != 0)
    {
        unlink(tempPath.c_str());
        return false;
    }
    return true;
}

bool JsonObject::Write(const wxString& folder) const
{
    return WriteValue(GetFilePath(folder), WriteToJson());
}

bool JsonObject::WriteToReport(const wxString& folder, bool full) const
{
    wxFileName path(GetFilePath(folder));
    path.SetName(m_name + "-report");
    return WriteValue(path.GetFullPath(), WriteToJsonReport(full));
}

bool JsonObject::Read(const wxString& folder)
{
    std::ifstream in(std::string(GetFilePath(folder).fn_str()), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    wxJSONValue value = wxJSONValue::parse(text.str(), nullptr, false);
    if (value.is_discarded())
        return false;
    return ReadFromJson(value);
}
