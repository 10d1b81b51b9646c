#include "win32/decoders_win32.h"

// After windows.h.
#include <mfapi.h>
#include <mferror.h>
#include <mftransform.h>
#include <wmcodecdsp.h>

#include <cstring>

namespace sonorin::win32 {

namespace {

constexpr std::size_t kMp3Input = 16 * 1024;

template <class T>
void release(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

}  // namespace

// --- MP3 -------------------------------------------------------------------------------------

bool Mp3Decoder::open(const radio::FrameInfo& info) {
    close();
    MPEGLAYER3WAVEFORMAT mp3 = {};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = WORD(info.channels);
    mp3.wfx.nSamplesPerSec = DWORD(info.sampleRate);
    mp3.wfx.nAvgBytesPerSec = DWORD(info.bitrateKbps * 1000 / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.wBitsPerSample = 0;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    mp3.nBlockSize = WORD(info.samples * info.bitrateKbps * 1000 / 8 / info.sampleRate);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = 1393;
    WAVEFORMATEX pcm = {};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = WORD(info.channels);
    pcm.nSamplesPerSec = DWORD(info.sampleRate);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = WORD(2 * info.channels);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    if (acmStreamOpen(&stream_, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, 0) != 0) {
        stream_ = nullptr;
        return false;
    }
    DWORD outputSize = 0;
    if (acmStreamSize(stream_, DWORD(kMp3Input), &outputSize, ACM_STREAMSIZEF_SOURCE) != 0)
        outputSize = DWORD(kMp3Input * 16);
    input_.assign(kMp3Input, 0);
    output_.assign(outputSize, 0);
    header_ = {};
    header_.cbStruct = sizeof header_;
    header_.pbSrc = input_.data();
    header_.cbSrcLength = DWORD(input_.size());
    header_.pbDst = output_.data();
    header_.cbDstLength = DWORD(output_.size());
    if (acmStreamPrepareHeader(stream_, &header_, 0) != 0) {
        acmStreamClose(stream_, 0);
        stream_ = nullptr;
        return false;
    }
    info_ = info;
    carried_ = 0;
    first_ = true;
    return true;
}

void Mp3Decoder::close() {
    if (!stream_)
        return;
    header_.cbSrcLength = DWORD(input_.size());
    header_.cbDstLength = DWORD(output_.size());
    acmStreamUnprepareHeader(stream_, &header_, 0);
    acmStreamClose(stream_, 0);
    stream_ = nullptr;
}

bool Mp3Decoder::decode(const radio::FrameView& frame, std::vector<std::uint8_t>& pcm,
                        radio::PcmFormat& format) {
    if (!stream_ || !radio::sameStream(frame.info, info_)) {
        if (!open(frame.info))
            return false;
    }
    if (carried_ + frame.bytes.size() > input_.size())
        carried_ = 0;  // the codec stopped taking input; start afresh
    std::memcpy(input_.data() + carried_, frame.bytes.data(), frame.bytes.size());
    header_.cbSrcLength = DWORD(carried_ + frame.bytes.size());
    header_.cbDstLength = DWORD(output_.size());
    header_.cbSrcLengthUsed = 0;
    header_.cbDstLengthUsed = 0;
    const DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN | (first_ ? ACM_STREAMCONVERTF_START : 0);
    if (acmStreamConvert(stream_, &header_, flags) != 0)
        return false;
    first_ = false;
    const std::size_t used = std::min<std::size_t>(header_.cbSrcLengthUsed, header_.cbSrcLength);
    carried_ = header_.cbSrcLength - used;
    if (carried_ > 0)
        std::memmove(input_.data(), input_.data() + used, carried_);
    pcm.insert(pcm.end(), output_.begin(), output_.begin() + header_.cbDstLengthUsed);
    format = {info_.channels, info_.sampleRate, 16};
    return true;
}

// --- AAC -------------------------------------------------------------------------------------

AacDecoder::AacDecoder() {
    mediaFoundation_ = SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_LITE));
}

AacDecoder::~AacDecoder() {
    close();
    if (mediaFoundation_)
        MFShutdown();
}

void AacDecoder::close() {
    release(transform_);
}

bool AacDecoder::selectOutput() {
    for (DWORD i = 0;; ++i) {
        IMFMediaType* type = nullptr;
        if (FAILED(transform_->GetOutputAvailableType(0, i, &type)))
            return false;
        GUID subtype = {};
        UINT32 bits = 0;
        type->GetGUID(MF_MT_SUBTYPE, &subtype);
        type->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
        if (subtype == MFAudioFormat_PCM && bits == 16 &&
            SUCCEEDED(transform_->SetOutputType(0, type, 0))) {
            UINT32 rate = 0;
            UINT32 channels = 0;
            type->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
            type->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
            type->Release();
            output_ = {int(channels), int(rate), 16};
            return rate > 0 && channels > 0;
        }
        type->Release();
    }
}

bool AacDecoder::open(const radio::FrameInfo& info) {
    close();
    info_ = info;
    if (!mediaFoundation_ ||
        FAILED(CoCreateInstance(CLSID_CMSAACDecMFT, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&transform_)))) {
        return false;
    }
    IMFMediaType* input = nullptr;
    if (FAILED(MFCreateMediaType(&input))) {
        close();
        return false;
    }
    // HEAACWAVEINFO after its WAVEFORMATEX: payload type 1 (ADTS), profile "not specified".
    const BYTE userData[12] = {1, 0, 0xFE, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    input->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    input->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_AAC);
    input->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    input->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, UINT32(info.sampleRate));
    input->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, UINT32(info.channels));
    input->SetUINT32(MF_MT_AAC_PAYLOAD_TYPE, 1);
    input->SetUINT32(MF_MT_AAC_AUDIO_PROFILE_LEVEL_INDICATION, 0xFE);
    input->SetBlob(MF_MT_USER_DATA, userData, sizeof userData);
    const HRESULT set = transform_->SetInputType(0, input, 0);
    input->Release();
    if (FAILED(set) || !selectOutput()) {
        close();
        return false;
    }
    transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0);
    transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_START_OF_STREAM, 0);
    return true;
}

bool AacDecoder::drainOutput(std::vector<std::uint8_t>& pcm) {
    MFT_OUTPUT_STREAM_INFO streamInfo = {};
    if (FAILED(transform_->GetOutputStreamInfo(0, &streamInfo)))
        return false;
    const bool ownSamples = streamInfo.dwFlags & (MFT_OUTPUT_STREAM_PROVIDES_SAMPLES |
                                                  MFT_OUTPUT_STREAM_CAN_PROVIDE_SAMPLES);
    while (true) {
        IMFSample* sample = nullptr;
        if (!ownSamples) {
            IMFMediaBuffer* buffer = nullptr;
            const DWORD size = std::max<DWORD>(streamInfo.cbSize, 64 * 1024);
            if (FAILED(MFCreateSample(&sample)) || FAILED(MFCreateMemoryBuffer(size, &buffer))) {
                release(sample);
                return false;
            }
            sample->AddBuffer(buffer);
            buffer->Release();
        }
        MFT_OUTPUT_DATA_BUFFER out = {};
        out.pSample = sample;
        DWORD status = 0;
        const HRESULT hr = transform_->ProcessOutput(0, 1, &out, &status);
        if (out.pEvents)
            out.pEvents->Release();
        if (hr == MF_E_TRANSFORM_STREAM_CHANGE) {
            release(out.pSample);
            if (!selectOutput())
                return false;
            continue;
        }
        if (SUCCEEDED(hr) && out.pSample) {
            IMFMediaBuffer* buffer = nullptr;
            if (SUCCEEDED(out.pSample->ConvertToContiguousBuffer(&buffer))) {
                BYTE* data = nullptr;
                DWORD length = 0;
                if (SUCCEEDED(buffer->Lock(&data, nullptr, &length))) {
                    pcm.insert(pcm.end(), data, data + length);
                    buffer->Unlock();
                }
                buffer->Release();
            }
        }
        release(out.pSample);
        if (hr == MF_E_TRANSFORM_NEED_MORE_INPUT)
            return true;
        if (FAILED(hr))
            return false;
    }
}

bool AacDecoder::decode(const radio::FrameView& frame, std::vector<std::uint8_t>& pcm,
                        radio::PcmFormat& format) {
    if (!transform_ || !radio::sameStream(frame.info, info_)) {
        if (!open(frame.info))
            return false;
    }
    IMFSample* sample = nullptr;
    IMFMediaBuffer* buffer = nullptr;
    if (FAILED(MFCreateSample(&sample)) ||
        FAILED(MFCreateMemoryBuffer(DWORD(frame.bytes.size()), &buffer))) {
        release(sample);
        return false;
    }
    BYTE* data = nullptr;
    buffer->Lock(&data, nullptr, nullptr);
    std::memcpy(data, frame.bytes.data(), frame.bytes.size());
    buffer->Unlock();
    buffer->SetCurrentLength(DWORD(frame.bytes.size()));
    sample->AddBuffer(buffer);
    buffer->Release();
    HRESULT hr = transform_->ProcessInput(0, sample, 0);
    if (hr == MF_E_NOTACCEPTING) {
        drainOutput(pcm);
        hr = transform_->ProcessInput(0, sample, 0);
    }
    sample->Release();
    if (FAILED(hr))
        return false;
    const bool ok = drainOutput(pcm);
    format = output_;
    return ok;
}

}  // namespace sonorin::win32
