#pragma once

#include "korbase/singleton.h"

#include <wx/string.h>

#include <vector>

// A container format paired with the video codec written into it.
class FileFormat
{
public:
    FileFormat() = default;
    FileFormat(const wxString& name, const wxString& extension, const wxString& muxer, int codecId)
        : m_name(name), m_extension(extension), m_muxer(muxer), m_codecId(codecId) {}

    const wxString& GetName() const { return m_name; }
    // File name extension without the dot.
    const wxString& GetExtension() const { return m_extension; }
    // FFmpeg's short name of the muxer ("mp4", "matroska", ...).
    const wxString& GetMuxer() const { return m_muxer; }
    // FFmpeg's AVCodecID of the video codec.
    int GetCodecId() const { return m_codecId; }
    bool IsValid() const { return !m_name.empty(); }

private:
    wxString m_name;
    wxString m_extension;
    wxString m_muxer;
    int m_codecId = 0;
};

// The file formats this machine can write, as found in its FFmpeg libraries.
class FormatProvider
{
public:
    enum MediaKind
    {
        MEDIA_AUDIO = 1,
        MEDIA_VIDEO = 2,
    };

    // Names of the formats of `kind`; `writable` keeps only formats whose muxer and
    // encoder are present, `sorted` orders them by name (otherwise by preference).
    std::vector<wxString> GetFormatNames(int kind, bool writable, bool sorted) const;

    // The preferred format of `kind` (MP4 with H.264 when available).
    FileFormat GetDefaultFormatWrite(int kind) const;

    // The format of that name, or an invalid FileFormat.
    FileFormat GetFormatFromName(const wxString& name) const;

    // A new file in the user's videos folder, named after the current date and time,
    // with the default format's extension.
    wxString GetDefaultVideoFullPath() const;

private:
    friend class Singleton<FormatProvider>;
    FormatProvider();

    std::vector<FileFormat> m_videoFormats; // writable ones, in order of preference
};
