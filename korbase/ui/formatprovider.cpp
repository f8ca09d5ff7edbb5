#include "korbase/ui/formatprovider.h"

#include "korbase/datetime.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>

namespace
{

struct Candidate
{
    const char* name;
    const char* extension;
    const char* muxer;
    AVCodecID codec;
};

// In order of preference: the first writable one is the default.
const Candidate videoCandidates[] = {
    {"MP4 (H.264)", "mp4", "mp4", AV_CODEC_ID_H264},
    {"MP4 (H.265)", "mp4", "mp4", AV_CODEC_ID_HEVC},
    {"MP4 (MPEG-4 Part 2)", "mp4", "mp4", AV_CODEC_ID_MPEG4},
    {"Matroska (H.264)", "mkv", "matroska", AV_CODEC_ID_H264},
    {"Matroska (H.265)", "mkv", "matroska", AV_CODEC_ID_HEVC},
    {"Matroska (FFV1 lossless)", "mkv", "matroska", AV_CODEC_ID_FFV1},
    {"WebM (VP9)", "webm", "webm", AV_CODEC_ID_VP9},
    {"WebM (VP8)", "webm", "webm", AV_CODEC_ID_VP8},
    {"QuickTime (H.264)", "mov", "mov", AV_CODEC_ID_H264},
    {"AVI (Motion JPEG)", "avi", "avi", AV_CODEC_ID_MJPEG},
};

bool CanWrite(const Candidate& c)
{
    const AVOutputFormat* muxer = av_guess_format(c.muxer, nullptr, nullptr);
    return muxer && avcodec_find_encoder(c.codec) &&
           avformat_query_codec(muxer, c.codec, FF_COMPLIANCE_NORMAL) == 1;
}

} // namespace

FormatProvider::FormatProvider()
{
    for (const Candidate& c : videoCandidates)
    {
        if (CanWrite(c))
            m_videoFormats.emplace_back(c.name, c.extension, c.muxer, static_cast<int>(c.codec));
    }
}

std::vector<wxString> FormatProvider::GetFormatNames(int kind, bool /*writable*/, bool sorted) const
{
    // Only writable formats are kept at all; audio-only formats are not offered.
    std::vector<wxString> names;
    if (kind != MEDIA_VIDEO)
        return names;
    for (const FileFormat& f : m_videoFormats)
        names.push_back(f.GetName());
    if (sorted)
        std::sort(names.begin(), names.end());
    return names;
}

FileFormat FormatProvider::GetDefaultFormatWrite(int kind) const
{
    if (kind != MEDIA_VIDEO || m_videoFormats.empty())
        return FileFormat();
    return m_videoFormats.front();
}

FileFormat FormatProvider::GetFormatFromName(const wxString& name) const
{
    for (const FileFormat& f : m_videoFormats)
    {
        if (f.GetName() == name)
            return f;
    }
    return FileFormat();
}

wxString FormatProvider::GetDefaultVideoFullPath() const
{
    const wxString folder = wxStandardPaths::Get().GetUserDir(wxStandardPaths::Dir_Videos);
    wxString extension = GetDefaultFormatWrite(MEDIA_VIDEO).GetExtension();
    if (extension.empty())
        extension = "mp4";
    return wxFileName(folder, "capture-" + DateTimeNowAsString(), extension).GetFullPath();
}
