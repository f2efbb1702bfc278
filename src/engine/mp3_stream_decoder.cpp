#include "engine/mp3_stream_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace vantor {

namespace {

constexpr size_t kInputPiece = 16384;
constexpr size_t kOutputArea = 8192;  // the decoder needs 4608 bytes per call at least
constexpr size_t kInitialPcmCapacity = 20480;
constexpr size_t kSyncWindow = 512;

// The library's global tables are set up on first use; that must not race.
void InitialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

Mp3StreamDecoder::~Mp3StreamDecoder() { EndDecoder(); }

bool Mp3StreamDecoder::Open(const CMP3File& mp3) {
    if (!mp3.IsValid() || m_file.IsOpen()) return false;
    if (!m_file.Open(mp3.GetFileName(), RandomAccessFile::Access::Read)) return false;
    m_file.AdviseSequential();
    m_bytesPerSecond = mp3.GetBytesPerSecond();
    m_firstFrameOffset = mp3.GetFirstFrameOffset();
    m_fileSize = mp3.GetFileSize();
    m_audioEnd = mp3.HasTag() ? m_fileSize - CMP3File::kTagBytes : m_fileSize;
    m_input.resize(kInputPiece);
    m_pcm.reserve(kInitialPcmCapacity);
    m_inputPosition = m_firstFrameOffset;
    return StartDecoder();
}

bool Mp3StreamDecoder::StartDecoder() {
    InitialiseLibrary();
    EndDecoder();
    int error = 0;
    m_decoder = mpg123_new(nullptr, &error);
    if (!m_decoder) return false;
    // Only 16-bit stereo at 44100 Hz is allowed out, so mono is duplicated.
    if (mpg123_param(m_decoder, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0) != MPG123_OK ||
        mpg123_format_none(m_decoder) != MPG123_OK ||
        mpg123_format(m_decoder, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
        mpg123_open_feed(m_decoder) != MPG123_OK) {
        EndDecoder();
        return false;
    }
    m_ended = false;
    m_failed = false;
    return true;
}

void Mp3StreamDecoder::EndDecoder() {
    if (!m_decoder) return;
    mpg123_delete(m_decoder);
    m_decoder = nullptr;
}

bool Mp3StreamDecoder::DecodeMore() {
    if (m_ended || !m_decoder) return false;
    size_t got = m_file.ReadAt(static_cast<int64_t>(m_inputPosition), m_input.data(), m_input.size());
    if (got == 0) {
        m_ended = true;
        return false;
    }
    m_inputPosition += got;
    const unsigned char* input = m_input.data();
    size_t inputBytes = got;
    for (;;) {
        size_t before = m_pcm.size();
        m_pcm.resize(before + kOutputArea);
        size_t done = 0;
        int result = mpg123_decode(m_decoder, input, inputBytes, m_pcm.data() + before, kOutputArea, &done);
        m_pcm.resize(before + done);
        input = nullptr;
        inputBytes = 0;
        if (result == MPG123_NEED_MORE) return true;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            // A decoder that failed keeps failing; stop here rather than
            // feeding it the rest of the file.
            m_ended = true;
            m_failed = true;
            return !m_pcm.empty();
        }
    }
}

uint32_t Mp3StreamDecoder::Read(uint8_t* out, uint32_t bytes) {
    uint32_t copied = 0;
    while (copied < bytes) {
        if (m_readPosition == m_pcm.size()) {
            m_pcm.clear();
            m_readPosition = 0;
            if (!DecodeMore() && m_pcm.empty()) break;
            continue;
        }
        size_t n = std::min<size_t>(bytes - copied, m_pcm.size() - m_readPosition);
        std::memcpy(out + copied, m_pcm.data() + m_readPosition, n);
        m_readPosition += n;
        copied += static_cast<uint32_t>(n);
    }
    m_deliveredFrames += copied / kFrameBytes;
    return copied;
}

bool Mp3StreamDecoder::IsConfirmedFrame(uint64_t offset) {
    uint8_t run[kInputPiece];
    uint64_t limit = std::min<uint64_t>(kInputPiece, m_audioEnd > offset ? m_audioEnd - offset : 0);
    size_t got = m_file.ReadAt(static_cast<int64_t>(offset), run, static_cast<size_t>(limit));
    if (got < 4) return false;
    // Every frame is taken to have the first frame's bit rate.
    const uint32_t step = CMP3File::FrameLength(m_bytesPerSecond, false);
    for (size_t p = 0; p + 4 <= got;) {
        if (!CMP3File::IsValidHeader(run + p)) return false;
        p += step + ((run[p + 2] >> 1) & 1);
    }
    return true;
}

bool Mp3StreamDecoder::FindFrameBefore(uint64_t offset, uint64_t& frame) {
    uint8_t window[kSyncWindow + 4];
    uint64_t end = offset;  // candidates lie at or before offset
    for (;;) {
        uint64_t start = end > kSyncWindow ? end - kSyncWindow : 0;
        // Four bytes past the window so that a header at its end is complete;
        // consecutive windows overlap by those bytes.
        auto got = static_cast<int64_t>(m_file.ReadAt(static_cast<int64_t>(start), window, static_cast<size_t>(end - start + 4)));
        for (int64_t i = std::min<int64_t>(got - 4, static_cast<int64_t>(end - start)); i >= 0; --i) {
            if (window[i] == 0xFF && window[i + 1] >= 0xE0 && CMP3File::IsValidHeader(window + i) &&
                IsConfirmedFrame(start + static_cast<uint64_t>(i))) {
                frame = start + static_cast<uint64_t>(i);
                return true;
            }
        }
        if (start == 0) return false;
        end = start - 1;
    }
}

bool Mp3StreamDecoder::Move(int64_t delta) {
    int64_t target = static_cast<int64_t>(m_readPosition) + delta;
    if (target >= 0 && target <= static_cast<int64_t>(m_pcm.size())) {
        m_readPosition = static_cast<size_t>(target);
        m_deliveredFrames = static_cast<uint64_t>(static_cast<int64_t>(m_deliveredFrames) + delta / kFrameBytes);
        return true;
    }
    int64_t frame = static_cast<int64_t>(m_deliveredFrames) + delta / static_cast<int64_t>(kFrameBytes);
    if (frame < 0) return false;
    uint64_t offset =
        static_cast<uint64_t>(m_bytesPerSecond * static_cast<double>(frame) * 0.000022675736961451248) +
        m_firstFrameOffset;
    offset = std::min(offset, m_audioEnd);
    m_pcm.clear();
    m_readPosition = 0;
    uint64_t sync = 0;
    if (!StartDecoder() || !FindFrameBefore(offset, sync)) {
        m_ended = true;
        return false;
    }
    m_inputPosition = sync;
    // The frames between the found frame and the target are decoded and skipped.
    size_t skip = static_cast<size_t>(static_cast<double>(offset - sync) / m_bytesPerSecond * 44100) * kFrameBytes;
    while (m_pcm.size() < std::max<size_t>(skip, 1) && DecodeMore()) {
    }
    m_readPosition = std::min(skip, m_pcm.size());
    m_deliveredFrames = static_cast<uint64_t>(frame);
    return true;
}

}  // namespace vantor
