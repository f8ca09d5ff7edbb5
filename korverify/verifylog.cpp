#include "korverify/verifylog.h"

#include <wx/ffile.h>
#include <wx/filefn.h>

#include <algorithm>

std::vector<wxString> LogTableLines(std::size_t rowCount, const LogCell& cell, const LogHeadings& headings,
                                    bool firstRowOnly)
{
    const auto join = [](const auto& cellAt)
    {
        wxString line = cellAt(0);
        for (int c = 1; c < kLogColumns; ++c)
            line << '\t' << cellAt(c);
        return line;
    };
    std::vector<wxString> lines;
    lines.reserve(rowCount + 1);
    lines.push_back(join([&](int c) -> const wxString& { return headings[c]; }));
    const std::size_t count = firstRowOnly ? std::min<std::size_t>(rowCount, 1) : rowCount;
    for (std::size_t row = 0; row < count; ++row)
        lines.push_back(join([&](int c) -> const wxString& { return cell(row, c); }));
    return lines;
}

std::vector<wxString> MasterHashListLines(std::size_t rowCount, const LogCell& cell)
{
    std::vector<wxString> hashes;
    for (std::size_t row = 0; row < rowCount; ++row)
    {
        for (int column : {4, 2})
        {
            const wxString& hash = cell(row, column);
            if (!hash.empty())
                hashes.push_back(hash);
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

bool WriteLines(const wxString& path, const std::vector<wxString>& lines, LogEncoding encoding)
{
    const std::string bytes = EncodeLines(lines, encoding);
    wxFFile file(path, "wb");
    return file.IsOpened() && file.Write(bytes.data(), bytes.size()) == bytes.size() && file.Close();
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
