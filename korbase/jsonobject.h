#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

#include <nlohmann/json.hpp>

#include <vector>

// The JSON value type of the base library. Strings inside are UTF-8.
using wxJSONValue = nlohmann::json;

// A JSON string value from a text.
wxJSONValue ToJson(const wxString& text);
// A JSON array of strings.
wxJSONValue ToJson(const std::vector<wxString>& texts);

// Reads a value back; a missing (null) or mismatched value gives T's empty value.
template <typename T>
T FromJson(const wxJSONValue& value);

template <>
wxString FromJson<wxString>(const wxJSONValue& value);

template <>
std::vector<wxString> FromJson<std::vector<wxString>>(const wxJSONValue& value);

// Layouts for JsonToText.
enum JsonTextStyle
{
    JSON_COMPACT = 0, // one line, no blanks
    JSON_INDENTED = 1,
};

wxString JsonToText(const wxJSONValue& value, int style);

// Parses JSON text; returns false (and leaves `value` null) when it is not valid JSON.
bool TextToJson(const wxString& text, wxJSONValue& value);

// A record that stores itself as a JSON file named after the object, "<name>.json",
// in a folder: by default the user's configuration folder for this library
// ($XDG_CONFIG_HOME/korgui). Writing goes to a temporary file that is then renamed
// over the record, so a crash never leaves half a record behind.
class JsonObject
{
public:
    explicit JsonObject(const wxString& name);
    virtual ~JsonObject() = default;

    JsonObject(const JsonObject&) = default;
    JsonObject(JsonObject&&) = default;
    JsonObject& operator=(const JsonObject&) = default;
    JsonObject& operator=(JsonObject&&) = default;

    virtual wxJSONValue WriteToJson() const = 0;
    // The value for a diagnostic report; `full` asks for everything, including what
    // is normally left out. By default the same as WriteToJson().
    virtual wxJSONValue WriteToJsonReport(bool full) const;
    virtual bool ReadFromJson(const wxJSONValue& value) = 0;
    // `folder` empty means the default folder. Return false on any failure.
    virtual bool Write(const wxString& folder = wxString()) const;
    // Writes WriteToJsonReport(full) beside the record as "<name>-report.json".
    virtual bool WriteToReport(const wxString& folder, bool full) const;
    virtual bool Read(const wxString& folder = wxString());

    const wxString& GetName() const { return m_name; }
    // Where the record lives for `folder` (empty: the default folder).
    wxString GetFilePath(const wxString& folder = wxString()) const;

    static wxString DefaultFolder();

private:
    bool WriteValue(const wxString& path, const wxJSONValue& value) const;

    wxString m_name;
};
