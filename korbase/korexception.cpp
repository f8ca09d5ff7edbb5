#include "korbase/korexception.h"

KorException::KorException(const char* sourceFile, int line, ExceptionType type, int code,
                           const wxString& message)
    : m_sourceFile(wxString::FromUTF8(sourceFile ? sourceFile : "")),
      m_line(line),
      m_type(type),
      m_code(code),
      m_message(message),
      m_what(message.utf8_string())
{
}
