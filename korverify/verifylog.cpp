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

namespace
{

// Appends `cell` as the log holds it. The escaped characters are ASCII, which never
// occurs inside a longer UTF-8 sequence, so the bytes are escaped as they stand.
void AppendEscaped(std::string& line, std::string_view cell)
{
    for (const char c : cell)
    {
        switch (c)
        {
        case '\t': line += "\\t"; break;
        case '\r': line += "\\r"; break;
        case '\n': line += "\\n"; break;
        case '\\': line += "\\\\"; break;
        default: line += c;
        }
    }
}

void AppendLine(Utf8Text& text, const wxString& line)
{
    text += line.utf8_string();
    text += "\r\n";
}

} // namespace

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

void AppendLogTable(Utf8Text& text, std::size_t rowCount, const LogCell& cell, const LogHeadings& headings,
                    bool firstRowOnly)
{
    const auto append = [&text](const auto& cellAt)
    {
        for (int c = 0; c < kLogColumns; ++c)
        {
            if (c > 0)
                text += '\t';
            AppendEscaped(text, cellAt(c));
        }
        text += "\r\n";
    };
    append([&](int c) { return headings[c].utf8_string(); });
    const std::size_t count = firstRowOnly ? std::min<std::size_t>(rowCount, 1) : rowCount;
    for (std::size_t row = 0; row < count; ++row)
        append([&](int c) { return cell(row, c); });
}

Utf8Text MasterHashListText(std::size_t rowCount, const LogCell& cell)
{
    // The escaped hashes one after the other, sorted as views into them.
    std::string all;
    std::vector<std::pair<std::size_t, std::size_t>> spans; // offset and length in `all`
    spans.reserve(2 * rowCount);
    for (std::size_t row = 0; row < rowCount; ++row)
    {
        for (int column : {4, 2})
        {
            const std::string_view hash = cell(row, column);
            if (hash.empty())
                continue;
            const std::size_t start = all.size();
            AppendEscaped(all, hash);
            spans.emplace_back(start, all.size() - start);
        }
    }
    const auto view = [&all](const std::pair<std::size_t, std::size_t>& span)
    { return std::string_view(all).substr(span.first, span.second); };
    std::sort(spans.begin(), spans.end(), [&](const auto& a, const auto& b) { return view(a) < view(b); });
    Utf8Text text;
    text.reserve(all.size() + 2 * spans.size());
    for (const auto& span : spans)
    {
        text += view(span);
        text += "\r\n";
    }
    return text;
}

namespace
{

void AppendUtf16LE(std::string& out, unsigned unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

// The code point that starts at `at` in valid UTF-8 (as wxWidgets writes it), and
// `at` moved past it. A byte that starts no valid sequence reads as U+FFFD.
unsigned NextCodePoint(const std::string& utf8, std::size_t& at)
{
    const auto byte = [&utf8](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    const unsigned lead = byte(at);
    if (lead < 0x80)
    {
        ++at;
        return lead;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    unsigned code = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
    bool valid = length > 0 && lead < 0xF5 && at + length <= utf8.size();
    for (std::size_t i = 1; valid && i < length; ++i)
    {
        valid = (byte(at + i) & 0xC0) == 0x80;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const unsigned shortest = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
    if (!valid || code < shortest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    {
        ++at;
        return 0xFFFD;
    }
    at += length;
    return code;
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

std::string EncodeText(const Utf8Text& text, LogEncoding encoding)
{
    if (encoding == LogEncoding::Utf8)
        return text;
    std::string out;
    out.reserve(2 * text.size()); // a UTF-8 sequence never has fewer bytes than its UTF-16 units
    for (std::size_t at = 0; at < text.size();)
    {
        const unsigned code = NextCodePoint(text, at);
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

bool WriteText(const wxString& path, const Utf8Text& text, LogEncoding encoding, wxString* reason)
{
    const std::string bytes = EncodeText(text, encoding);
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
    Utf8Text text;
    for (const wxString& line : ReadLines(outcome.logPath)) // a log of the same second stays in front
        AppendLine(text, line);
    AppendLogTable(text, request.rowCount, request.cell, request.headings, request.firstRowOnly);
    AppendLine(text, " ");

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const wxString listPath =
        folder + "MasterHash" + DateTimeNowAsString() + wxString::Format("%d", std::rand() % 50000) + ".txt";
    wxString listFailure;
    if (WriteText(listPath, MasterHashListText(request.rowCount, request.cell), LogEncoding::Utf8, &listFailure))
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
        AppendLine(text, wxString::Format(request.masterHashFormat, HashAlgorithmName(request.algorithm),
                                          request.operationName, outcome.masterHash));
        AppendLine(text, request.masterHashNote);
    }
    for (const wxString& line : request.closingLines)
        AppendLine(text, line);
    // Written aside and renamed, so that a failure leaves no part of a log, and an
    // earlier log of the same second as it was.
    const wxString part = outcome.logPath + ".part";
    bool written = WriteText(part, text, LogEncoding::Utf16LE, &reason);
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
