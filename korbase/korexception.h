#pragma once

#include <wx/string.h>

#include <exception>
#include <string>

// What kind of failure a KorException reports.
enum class ExceptionType
{
    General,
    InvalidArgument,
    Io,
    Parse,
};

// The base library's exception: thrown by value, carrying where it was thrown,
// a numeric code the catcher can act on and a message fit for the user.
class KorException : public std::exception
{
public:
    KorException(const char* sourceFile, int line, ExceptionType type, int code,
                 const wxString& message);

    const wxString& GetSourceFile() const { return m_sourceFile; }
    int GetLine() const { return m_line; }
    ExceptionType GetType() const { return m_type; }
    int GetCode() const { return m_code; }
    const wxString& GetMessage() const { return m_message; }

    const char* what() const noexcept override { return m_what.c_str(); }

private:
    wxString m_sourceFile;
    int m_line = 0;
    ExceptionType m_type = ExceptionType::General;
    int m_code = 0;
    wxString m_message;
    std::string m_what;
};

#define KOR_THROW(type, code, message) throw KorException(__FILE__, __LINE__, (type), (code), (message))
