#include "ffmpegcapture.h"

#include "korbase/korexception.h"

#include <wx/display.h>
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/utils.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>

namespace
{

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

[[noreturn]] void ThrowCaptureError(int line, const wxString& message)
{
    throw KorException("host/ffmpegcapture", line, ExceptionType::Io, 0, message);
}

struct InputCloser
{
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct OutputCloser
{
    void operator()(AVFormatContext* c) const
    {
        if (c->pb)
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
struct CodecCloser
{
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer
{
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer
{
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScalerFreer
{
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

// Pixel format for the encoder: what players expect (4:2:0) for lossy codecs, the
// closest to the screen's for lossless ones.
AVPixelFormat EncoderPixelFormat(const AVCodec* codec, AVPixelFormat source)
{
    if (codec->id == AV_CODEC_ID_MJPEG)
        return AV_PIX_FMT_YUVJ420P;
    if (!codec->pix_fmts)
        return source;
    const bool lossless = codec->id == AV_CODEC_ID_FFV1 || codec->id == AV_CODEC_ID_UTVIDEO ||
                          codec->id == AV_CODEC_ID_HUFFYUV || codec->id == AV_CODEC_ID_FFVHUFF;
    if (!lossless)
    {
        for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        {
            if (*f == AV_PIX_FMT_YUV420P)
                return *f;
        }
    }
    return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, source, 0, nullptr);
}

// Settings that keep each encoder ahead of real time on an ordinary machine.
void ConfigureEncoder(AVCodecContext* enc, double framesPerSecond)
{
    const double pixelsPerSecond = double(enc->width) * enc->height * framesPerSecond;
    enc->gop_size = std::max(1, static_cast<int>(std::lround(framesPerSecond * 2)));
    switch (enc->codec_id)
    {
    case AV_CODEC_ID_H264:
        av_opt_set(enc->priv_data, "preset", "ultrafast", 0);
        break;
    case AV_CODEC_ID_HEVC:
        av_opt_set(enc->priv_data, "preset", "ultrafast", 0);
        av_opt_set(enc->priv_data, "x265-params", "log-level=error", 0);
        break;
    case AV_CODEC_ID_VP8:
    case AV_CODEC_ID_VP9:
        av_opt_set(enc->priv_data, "deadline", "realtime", 0);
        av_opt_set(enc->priv_data, "cpu-used", "8", 0);
        enc->bit_rate = std::max<int64_t>(1000000, static_cast<int64_t>(pixelsPerSecond * 0.1));
        break;
    case AV_CODEC_ID_MPEG4:
    case AV_CODEC_ID_MJPEG:
        // Constant quality; frames carry it too.
        enc->flags |= AV_CODEC_FLAG_QSCALE;
        enc->global_quality = FF_QP2LAMBDA * 3;
        break;
    default:
        break;
    }
}

} // namespace

// The FFmpeg side of one recording, from Start to Stop.
struct FfmpegCapture::Recording
{
    std::unique_ptr<AVFormatContext, InputCloser> input;
    std::unique_ptr<AVFormatContext, OutputCloser> output;
    std::unique_ptr<AVCodecContext, CodecCloser> encoder;
    std::unique_ptr<SwsContext, ScalerFreer> scaler;
    std::unique_ptr<AVFrame, FrameFreer> frame;
    std::unique_ptr<AVPacket, PacketFreer> grabbed{av_packet_alloc()};
    std::unique_ptr<AVPacket, PacketFreer> encoded{av_packet_alloc()};
    AVStream* stream = nullptr;
    AVPixelFormat sourceFormat = AV_PIX_FMT_NONE;
    double framesPerSecond = 0;

    // Sends `f` (null to flush) to the encoder and writes what comes out.
    int Encode(const AVFrame* f)
    {
        int ret = avcodec_send_frame(encoder.get(), f);
        if (ret < 0)
            return ret;
        for (;;)
        {
            ret = avcodec_receive_packet(encoder.get(), encoded.get());
            if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
                return 0;
            if (ret < 0)
                return ret;
            encoded->stream_index = stream->index;
            // Without a duration MP4's edit list would cut the last frame.
            if (encoded->duration <= 0)
                encoded->duration = 1;
            av_packet_rescale_ts(encoded.get(), encoder->time_base, stream->time_base);
            ret = av_interleaved_write_frame(output.get(), encoded.get());
            if (ret < 0)
                return ret;
        }
    }
};

FfmpegCapture::FfmpegCapture()
{
    static std::once_flag devicesRegistered;
    std::call_once(devicesRegistered, [] {
        avdevice_register_all();
        // Encoders chat at the info level; the user only needs to hear of errors.
        if (av_log_get_level() > AV_LOG_ERROR)
            av_log_set_level(AV_LOG_ERROR);
    });
}

FfmpegCapture::~FfmpegCapture()
{
    const std::string error = Finish();
    if (!error.empty())
        wxLogError(_("The screen recording failed: %s"), wxString::FromUTF8(error));
}

void FfmpegCapture::SelectDisplay(int display, double scale)
{
    if (display < 0 || static_cast<unsigned>(display) >= wxDisplay::GetCount())
        ThrowCaptureError(__LINE__, wxString::Format(_("There is no display %d."), display));
    const wxRect g = wxDisplay(static_cast<unsigned>(display)).GetGeometry();
    m_displayPixels = wxRect(static_cast<int>(g.x * scale), static_cast<int>(g.y * scale),
                             static_cast<int>(g.width * scale), static_cast<int>(g.height * scale));
}

void FfmpegCapture::SetOutput(const wxString& path, int codecId)
{
    m_path = path;
    m_codecId = codecId;
}

void FfmpegCapture::SetFrameRate(double framesPerSecond)
{
    m_framesPerSecond = framesPerSecond;
}

void FfmpegCapture::SetRegion(wxRect region)
{
    m_region = region;
}

void FfmpegCapture::SetFullScreen()
{
    m_region.reset();
}

wxRect FfmpegCapture::AlignRegion(wxRect region, int alignX, int alignY)
{
    alignX = std::max(alignX, 1);
    alignY = std::max(alignY, 1);
    wxRect r = region.Intersect(wxRect(m_displayPixels.GetSize()));
    r.width -= r.width % alignX;
    r.height -= r.height % alignY;
    if (r.width <= 0 || r.height <= 0)
        ThrowCaptureError(__LINE__, wxString::Format(_("The region %d, %d, %d, %d lies outside the display."),
                                                     region.x, region.y, region.width, region.height));
    return r;
}

void FfmpegCapture::Start()
{
    if (m_recording)
        ThrowCaptureError(__LINE__, _("A recording is already under way."));

    wxString display;
    if (!wxGetEnv("DISPLAY", &display) || display.empty())
        ThrowCaptureError(__LINE__, _("Screen capture needs an X11 display, and DISPLAY is not set."));

    // The whole display is fitted like a region, since 4:2:0 encoders need even sizes.
    const wxRect region = m_region ? *m_region : AlignRegion(wxRect(m_displayPixels.GetSize()), 4, 4);
    const wxPoint origin = m_displayPixels.GetPosition() + region.GetPosition();
    const AVRational rate = av_d2q(m_framesPerSecond, 100000);

    auto rec = std::make_unique<Recording>();
    rec->framesPerSecond = m_framesPerSecond;

    // Input: the X server's screen.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "framerate", wxString::Format("%d/%d", rate.num, rate.den).utf8_str(), 0);
    av_dict_set(&options, "video_size", wxString::Format("%dx%d", region.width, region.height).utf8_str(), 0);
    av_dict_set(&options, "draw_mouse", "1", 0);
    const wxString url = wxString::Format("%s+%d,%d", display, origin.x, origin.y);
    AVFormatContext* input = nullptr;
    int ret = avformat_open_input(&input, url.utf8_str(), av_find_input_format("x11grab"), &options);
    av_dict_free(&options);
    if (ret < 0)
        ThrowCaptureError(__LINE__, wxString::Format(_("Cannot capture the screen %s: %s"), url,
                                                     wxString::FromUTF8(AvError(ret))));
    rec->input.reset(input);
    const AVCodecParameters* source = input->streams[0]->codecpar;
    rec->sourceFormat = static_cast<AVPixelFormat>(source->format);

    // Output: container chosen by the file's extension.
    AVFormatContext* output = nullptr;
    ret = avformat_alloc_output_context2(&output, nullptr, nullptr, m_path.utf8_str());
    if (ret < 0 || !output)
        ThrowCaptureError(__LINE__, wxString::Format(_("No video file type has the extension of \"%s\"."), m_path));
    rec->output.reset(output);
    const auto codecId = static_cast<AVCodecID>(m_codecId);
    const AVCodec* codec = avcodec_find_encoder(codecId);
    if (!codec || avformat_query_codec(output->oformat, codecId, FF_COMPLIANCE_NORMAL) != 1)
        ThrowCaptureError(__LINE__, wxString::Format(_("A %s file cannot hold %s video."),
                                                     wxString::FromUTF8(output->oformat->name),
                                                     wxString::FromUTF8(avcodec_get_name(codecId))));

    rec->encoder.reset(avcodec_alloc_context3(codec));
    AVCodecContext* enc = rec->encoder.get();
    enc->width = source->width;
    enc->height = source->height;
    enc->pix_fmt = EncoderPixelFormat(codec, rec->sourceFormat);
    enc->time_base = av_inv_q(rate);
    enc->framerate = rate;
    ConfigureEncoder(enc, m_framesPerSecond);
    if (output->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    ret = avcodec_open2(enc, codec, nullptr);
    if (ret < 0)
        ThrowCaptureError(__LINE__, wxString::Format(_("Cannot start the %s encoder: %s"),
                                                     wxString::FromUTF8(codec->name),
                                                     wxString::FromUTF8(AvError(ret))));

    rec->stream = avformat_new_stream(output, nullptr);
    if (!rec->stream || avcodec_parameters_from_context(rec->stream->codecpar, enc) < 0)
        ThrowCaptureError(__LINE__, _("Cannot set up the video stream."));
    rec->stream->time_base = enc->time_base;
    rec->stream->avg_frame_rate = rate;

    rec->scaler.reset(sws_getContext(enc->width, enc->height, rec->sourceFormat, enc->width, enc->height,
                                     enc->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
    rec->frame.reset(av_frame_alloc());
    if (!rec->scaler || !rec->frame || !rec->grabbed || !rec->encoded)
        ThrowCaptureError(__LINE__, _("Not enough memory to record the screen."));
    rec->frame->format = enc->pix_fmt;
    rec->frame->width = enc->width;
    rec->frame->height = enc->height;
    if (av_frame_get_buffer(rec->frame.get(), 0) < 0)
        ThrowCaptureError(__LINE__, _("Not enough memory to record the screen."));

    ret = avio_open(&output->pb, m_path.utf8_str(), AVIO_FLAG_WRITE);
    if (ret < 0)
        ThrowCaptureError(__LINE__, wxString::Format(_("Cannot write \"%s\": %s"), m_path,
                                                     wxString::FromUTF8(AvError(ret))));
    ret = avformat_write_header(output, nullptr);
    if (ret < 0)
    {
        rec.reset();
        wxRemoveFile(m_path);
        ThrowCaptureError(__LINE__, wxString::Format(_("Cannot write \"%s\": %s"), m_path,
                                                     wxString::FromUTF8(AvError(ret))));
    }

    m_recording = std::move(rec);
    m_captured = 0;
    m_lost = 0;
    m_stopRequested = false;
    {
        std::lock_guard<std::mutex> lock(m_errorMutex);
        m_error.clear();
    }
    m_thread = std::thread(&FfmpegCapture::CaptureLoop, this);
}

void FfmpegCapture::CaptureLoop()
{
    Recording& rec = *m_recording;
    AVFrame* frame = rec.frame.get();
    const AVRational grabTimeBase = rec.input->streams[0]->time_base;
    int64_t firstGrab = AV_NOPTS_VALUE;
    int64_t lastSlot = -1;

    while (!m_stopRequested)
    {
        int ret = av_read_frame(rec.input.get(), rec.grabbed.get());
        if (ret == AVERROR(EAGAIN))
            continue;
        if (ret < 0)
        {
            SetError("grabbing the screen: " + AvError(ret));
            return;
        }
        const AVPacket* grabbed = rec.grabbed.get();
        // x11grab stamps each frame with the wall-clock time of its grab.
        const int64_t grabTime = grabbed->pts != AV_NOPTS_VALUE
                                     ? av_rescale_q(grabbed->pts, grabTimeBase, AV_TIME_BASE_Q)
                                     : av_gettime();
        if (firstGrab == AV_NOPTS_VALUE)
            firstGrab = grabTime;
        const int64_t slot = std::llround((grabTime - firstGrab) * rec.framesPerSecond / AV_TIME_BASE);
        if (slot <= lastSlot)
        {
            // A burst after a stall: this moment already has its frame.
            av_packet_unref(rec.grabbed.get());
            continue;
        }
        m_lost += static_cast<std::int32_t>(slot - lastSlot - 1);
        lastSlot = slot;

        const uint8_t* sourcePlanes[4] = {};
        int sourceStrides[4] = {};
        ret = av_frame_make_writable(frame);
        if (ret >= 0)
            ret = av_image_fill_arrays(const_cast<uint8_t**>(sourcePlanes), sourceStrides, grabbed->data,
                                       rec.sourceFormat, frame->width, frame->height, 1);
        if (ret >= 0)
        {
            sws_scale(rec.scaler.get(), sourcePlanes, sourceStrides, 0, frame->height, frame->data,
                      frame->linesize);
            frame->pts = slot;
            frame->quality = rec.encoder->global_quality;
            ret = rec.Encode(frame);
        }
        av_packet_unref(rec.grabbed.get());
        if (ret < 0)
        {
            SetError("encoding: " + AvError(ret));
            return;
        }
        ++m_captured;
    }
}

std::string FfmpegCapture::Finish()
{
    if (!m_recording)
        return std::string();
    m_stopRequested = true;
    if (m_thread.joinable())
        m_thread.join();

    std::string error;
    {
        std::lock_guard<std::mutex> lock(m_errorMutex);
        error = m_error;
    }
    Recording& rec = *m_recording;
    int ret = rec.Encode(nullptr);
    if (ret < 0 && error.empty())
        error = "encoding: " + AvError(ret);
    ret = av_write_trailer(rec.output.get());
    if (ret < 0 && error.empty())
        error = "writing the file: " + AvError(ret);
    ret = avio_closep(&rec.output->pb);
    if (ret < 0 && error.empty())
        error = "closing the file: " + AvError(ret);
    m_recording.reset();
    return error;
}

void FfmpegCapture::Stop()
{
    const std::string error = Finish();
    if (!error.empty())
        wxLogError(_("The screen recording failed: %s"), wxString::FromUTF8(error));
}

KorScreenCapture::FrameCounts FfmpegCapture::GetFrameCounts()
{
    FrameCounts counts;
    counts.captured = m_captured;
    counts.lost = m_lost;
    return counts;
}

void FfmpegCapture::SetError(const std::string& error)
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    if (m_error.empty())
        m_error = error;
}
