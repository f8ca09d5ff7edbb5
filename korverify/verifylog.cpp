#include "korverify/verifylog.h"

#include "korbase/datetime.h"
#include "korbase/files.h"

#include <wx/datetime.h>
#include <wx/ffile.h>
#include <wx/intl.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

wxString EscapeLogCell(const wxString& cell)
{
    wxString out;
    out.reserve(cell.length());
    for (const wxUniChar c : cell)
    {
        switch (c.GetValue())
        {
        case '\t': out << "\\t"; break;
        case '\r': out << "\\r"; break;
        case '\n': out << "\\n"; break;
        case '\\': out << "\\\\"; break;
        default: out << c;
        }
    }
    return out;
}

wxString UnescapeLogCell(const wxString& text)
{
    wxString out;
    out.reserve(text.length());
    for (wxString::const_iterator c = text.begin(); c != text.end(); ++c)
    {
        const wxString::const_iterator next = c + 1;
        if (*c != '\\' || next == text.end())
        {
            out << *c;
            continue;
        }
        switch ((*next).GetValue())
        {
        case 't': out << '\t'; break;
        case 'r': out << '\r'; break;
        case 'n': out << '\n'; break;
        case '\\': out << '\\'; break;
        default: out << *c; continue; // not an escape: the backslash stands for itself
        }
        ++c;
    }
    return out;
}

std::vector<wxString> LogTableLines(std::size_t rowCount, const LogCell& cell, const LogHeadings& headings,
                                    bool firstRowOnly)
{
    const auto join = [](const auto& cellAt)
    {
        wxString line = EscapeLogCell(cellAt(0));
        for (int c = 1; c < kLogColumns; ++c)
            line << '\t' << EscapeLogCell(cellAt(c));
        return line;
    };
    std::vector<wxString> lines;
    lines.reserve(rowCount + 1);
    lines.push_back(join([&](int c) -> const wxString& { return headings[c]; }));
    const std::size_t count = firstRowOnly ? std::min<std::size_t>(rowCount, 1) : rowCount;
    for (std::size_t row = 0; row < count; ++row)
        lines.push_back(join([&](int c) { return cell(row, c); }));
    return lines;
}

std::vector<wxString> MasterHashListLines(std::size_t rowCount, const LogCell& cell)
{
    std::vector<wxString> hashes;
    for (std::size_t row = 0; row < rowCount; ++row)
    {
        for (int column : {4, 2})
        {
            const wxString hash = cell(row, column);
            if (!hash.empty())
                hashes.push_back(EscapeLogCell(hash));
        }
    }
    std::sort(hashes.begin(), hashes.end());
    return hashes;
}

namespace
{

void AppendUtf16LE(std::string& out, unsigned unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

// Decodes UTF-16LE; false when the bytes are not valid UTF-16LE.
bool DecodeUtf16LE(const std::string& bytes, wxString& text)
{
    if (bytes.size() % 2 != 0)
        return false;
    size_t i = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE
                   ? 2
                   : 0;
    const auto unitAt = [&bytes](size_t at)
    { return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) | (static_cast<unsigned char>(bytes[at + 1]) << 8); };
    for (; i < bytes.size(); i += 2)
    {
        const unsigned unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF)
        {
            if (i + 3 >= bytes.size())
                return false;
            const unsigned low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            text << wxUniChar(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        }
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
        {
            return false;
        }
        else
        {
            text << wxUniChar(unit);
        }
    }
    return true;
}

bool LooksLikeUtf16LE(const std::string& bytes)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return false;
    if (static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return true;
    return bytes[1] == '\0'; // the log starts with a heading in the Basic Latin range
}

} // namespace

std::string EncodeLines(const std::vector<wxString>& lines, LogEncoding encoding)
{
    std::string out;
    if (encoding == LogEncoding::Utf8)
    {
        for (const wxString& line : lines)
        {
            out += line.utf8_string();
            out += "\r\n";
        }
        return out;
    }
    std::size_t units = 0;
    for (const wxString& line : lines)
        units += line.length() + 2;
    out.reserve(2 * units); // more only for characters outside the Basic Multilingual Plane
    for (const wxString& line : lines)
    {
        for (wxString::const_iterator c = line.begin(); c != line.end(); ++c)
        {
            const unsigned code = (*c).GetValue();
            if (code >= 0x10000)
            {
                AppendUtf16LE(out, 0xD800 + ((code - 0x10000) >> 10));
                AppendUtf16LE(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
            }
            else
            {
                AppendUtf16LE(out, code);
            }
        }
        AppendUtf16LE(out, '\r');
        AppendUtf16LE(out, '\n');
    }
    return out;
}

std::vector<wxString> DecodeLines(const std::string& bytes)
{
    wxString text;
    if (!LooksLikeUtf16LE(bytes) || !DecodeUtf16LE(bytes, text))
    {
        text = wxString::FromUTF8(bytes.data(), bytes.size());
        if (text.empty() && !bytes.empty())
            text = wxString(bytes.data(), wxConvISO8859_1, bytes.size());
    }
    std::vector<wxString> lines;
    wxString line;
    for (size_t i = 0; i < text.length(); ++i)
    {
        const wxUniChar c = text[i];
        if (c == '\n')
        {
            if (!line.empty() && line.Last() == '\r')
                line.RemoveLast();
            lines.push_back(line);
            line.clear();
        }
        else
        {
            line << c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool WriteLines(const wxString& path, const std::vector<wxString>& lines, LogEncoding encoding, wxString* reason)
{
    const std::string bytes = EncodeLines(lines, encoding);
    const auto fail = [reason](int err)
    {
        if (reason)
            *reason = wxSysErrorMsgStr(err);
        return false;
    };
    const std::string name(path.fn_str());
    if (name.empty())
        return fail(EINVAL);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(errno);
    for (std::size_t done = 0; done < bytes.size();)
    {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
        {
            const int err = put < 0 ? errno : EIO;
            ::close(fd);
            return fail(err);
        }
        done += static_cast<std::size_t>(put);
    }
    // close() is where some file systems report that the data did not fit.
    if (::close(fd) != 0)
        return fail(errno);
    return true;
}

std::vector<wxString> ReadLines(const wxString& path)
{
    if (!wxFileExists(path))
        return {};
    wxFFile file(path, "rb");
    if (!file.IsOpened())
        return {};
    std::string bytes(static_cast<size_t>(std::max<wxFileOffset>(file.Length(), 0)), '\0');
    if (!bytes.empty() && file.Read(bytes.data(), bytes.size()) != bytes.size())
        return {};
    return DecodeLines(bytes);
}

namespace
{

// XDG_DESKTOP_DIR="$HOME/..." from user-dirs.dirs; empty when not set there.
wxString ConfiguredDesktop(const wxString& home)
{
    wxString config;
    if (!wxGetEnv("XDG_CONFIG_HOME", &config) || config.empty())
        config = home + "/.config";
    for (const wxString& line : ReadLines(config + "/user-dirs.dirs"))
    {
        wxString value;
        if (!line.Strip(wxString::both).StartsWith("XDG_DESKTOP_DIR=", &value))
            continue;
        value.Trim().Trim(false);
        if (value.length() >= 2 && value.StartsWith("\"") && value.EndsWith("\""))
            value = value.Mid(1, value.length() - 2);
        if (value.StartsWith("$HOME"))
            value = home + value.Mid(5);
        if (value.StartsWith("/"))
            return value;
    }
    return wxString();
}

// Creates `folder` with its parents; false with the reason when it cannot.
bool MakeFolder(const wxString& folder, wxString& reason)
{
    std::error_code error;
    const std::filesystem::path path(std::string(folder.fn_str()));
    if (std::filesystem::is_directory(path, error))
        return true;
    std::filesystem::create_directories(path, error);
    if (!error && !std::filesystem::is_directory(path, error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (error)
        reason = wxString::FromUTF8(error.message());
    return !error;
}

LogOutcome Failed(const wxString& path, const wxString& reason, LogOutcome outcome = {})
{
    outcome.ok = false;
    outcome.failedPath = path;
    outcome.reason = reason;
    return outcome;
}

} // namespace

wxString LogDesktopFolder()
{
    const wxString home = wxGetHomeDir();
    const wxString configured = ConfiguredDesktop(home);
    // Without a setting, where the rest of the application takes the desktop to be.
    wxString folder = configured.empty() ? GetUserDesktopPath() : configured;
    while (folder.length() > 1 && folder.EndsWith("/"))
        folder.RemoveLast();
    return folder;
}

LogOutcome WriteVerifyLog(const LogRequest& request)
{
    wxString reason;
    if (!MakeFolder(request.folder, reason))
        return Failed(request.folder, reason);
    const wxString folder = request.folder.EndsWith("/") ? request.folder : request.folder + "/";

    LogOutcome outcome;
    outcome.logPath = folder + "log" + DateTimeNowAsString() + ".tsv";
    std::vector<wxString> lines = ReadLines(outcome.logPath); // a log of the same second stays in front
    const std::vector<wxString> table =
        LogTableLines(request.rowCount, request.cell, request.headings, request.firstRowOnly);
    lines.insert(lines.end(), table.begin(), table.end());
    lines.push_back(" ");

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const wxString listPath =
        folder + "MasterHash" + DateTimeNowAsString() + wxString::Format("%d", std::rand() % 50000) + ".txt";
    wxString listFailure;
    if (WriteLines(listPath, MasterHashListLines(request.rowCount, request.cell), LogEncoding::Utf8, &listFailure))
    {
        const wxString hash = KcvCalcHashFromFile(listPath, request.algorithm);
        if (KcvIsHashError(hash))
            listFailure = hash;
        else
            outcome.masterHash = hash;
    }
    if (wxFileExists(listPath))
        ::unlink(listPath.fn_str());

    if (listFailure.empty())
    {
        lines.push_back(wxString::Format(request.masterHashFormat, HashAlgorithmName(request.algorithm),
                                         request.operationName, outcome.masterHash));
        lines.push_back(request.masterHashNote);
    }
    lines.insert(lines.end(), request.closingLines.begin(), request.closingLines.end());
    // Written aside and renamed, so that a failure leaves no part of a log, and an
    // earlier log of the same second as it was.
    const wxString part = outcome.logPath + ".part";
    bool written = WriteLines(part, lines, LogEncoding::Utf16LE, &reason);
    if (written && ::rename(part.fn_str(), outcome.logPath.fn_str()) != 0)
    {
        reason = wxSysErrorMsgStr(errno);
        written = false;
    }
    if (!written)
    {
        ::unlink(part.fn_str());
        return Failed(outcome.logPath, reason, outcome);
    }
    outcome.logWritten = true;
    if (!listFailure.empty())
        return Failed(listPath, listFailure, outcome);
    outcome.ok = true;
    return outcome;
}

void SetStandardLogTexts(LogRequest& request, const wxString& platform, const wxString& revision)
{
    request.masterHashFormat = _("%s of this operation (%s): %s");
    request.masterHashNote = _("This is the hash of a .txt file whose content is a sorted list of all the hash "
                               "codes (one per line) calculated during the current operation");
    request.closingLines = {" ", _("Log generated on: ") + wxDateTime::Now().Format("%Y-%m-%d %H:%M:%S"),
                            wxGetTranslation("Using Korvo LOOM, " + platform + " Copy and Verify Tool, " + "Rev. " +
                                             revision)};
}
