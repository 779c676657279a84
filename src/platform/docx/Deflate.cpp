// SPDX-License-Identifier: GPL-3.0-or-later
#include "Deflate.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <future>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace quillsift::docx {

namespace {

// Deflate looks back at most 32 KB: a piece primed with that much of the text before it finds
// the same matches as one stream would.
constexpr qsizetype window = 32 * 1024;
// Below this a piece is not worth a thread.
constexpr qint64 smallestPiece = 2 * 1024 * 1024;
// zlib's largest window and default memory level; a negative window asks for raw deflate.
constexpr int rawWindowBits = -15;
constexpr int memoryLevel = 8;

class Stream
{
  public:
    explicit Stream(int level)
    {
        if (deflateInit2(&m_stream, level, Z_DEFLATED, rawWindowBits, memoryLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
            throw std::bad_alloc();
        }
    }
    ~Stream()
    {
        deflateEnd(&m_stream);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    z_stream* operator->()
    {
        return &m_stream;
    }
    z_stream* get()
    {
        return &m_stream;
    }

  private:
    z_stream m_stream{};
};

} // namespace

DeflatedPiece deflatePiece(QByteArrayView data, qsizetype from, qsizetype to, int level, bool last)
{
    Stream stream(level);
    if (from > 0) {
        const qsizetype primed = std::min(window, from);
        const auto* dictionary = reinterpret_cast<const Bytef*>(data.data() + from - primed);
        if (deflateSetDictionary(stream.get(), dictionary, uInt(primed)) != Z_OK) {
            throw std::bad_alloc();
        }
    }
    DeflatedPiece piece;
    piece.length = to - from;
    const auto* input = reinterpret_cast<const Bytef*>(data.data() + from);
    piece.crc = quint32(crc32_z(crc32_z(0, nullptr, 0), input, std::size_t(piece.length)));
    // A sync flush adds an empty stored block of at most six bytes to what deflateBound() allows.
    piece.bytes.resize(qsizetype(deflateBound(stream.get(), uLong(piece.length))) + 16);
    stream->next_in = const_cast<Bytef*>(input);
    stream->avail_in = uInt(piece.length);
    const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
    qsizetype written = 0;
    while (true) {
        stream->next_out = reinterpret_cast<Bytef*>(piece.bytes.data() + written);
        stream->avail_out = uInt(piece.bytes.size() - written);
        const int status = deflate(stream.get(), flush);
        written = piece.bytes.size() - qsizetype(stream->avail_out);
        if (status == Z_STREAM_END || (!last && status == Z_OK && stream->avail_out > 0)) {
            break;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            throw std::bad_alloc();
        }
        piece.bytes.resize(piece.bytes.size() * 2);
    }
    piece.bytes.truncate(written);
    piece.bytes.squeeze();
    return piece;
}

Deflated joinPieces(const std::vector<DeflatedPiece>& pieces)
{
    Deflated result;
    qsizetype total = 0;
    for (const DeflatedPiece& piece : pieces) {
        total += piece.bytes.size();
    }
    result.bytes.reserve(total);
    result.crc = quint32(crc32_z(0, nullptr, 0));
    for (const DeflatedPiece& piece : pieces) {
        result.crc = quint32(crc32_combine(uLong(result.crc), piece.crc, z_off_t(piece.length)));
        result.bytes += piece.bytes;
        result.size += piece.length;
    }
    return result;
}

QByteArray inflated(const Deflated& deflated)
{
    z_stream stream{};
    if (inflateInit2(&stream, rawWindowBits) != Z_OK) {
        throw std::bad_alloc();
    }
    QByteArray out(qsizetype(deflated.size), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.bytes.constData()));
    stream.avail_in = uInt(deflated.bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int status = ::inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    if (status != Z_STREAM_END || stream.total_out != uLong(deflated.size)) {
        throw std::bad_alloc();
    }
    return out;
}

std::size_t deflatePieces(qint64 size)
{
    const std::size_t threads = std::max(1U, std::thread::hardware_concurrency());
    return std::clamp<std::size_t>(std::size_t(size / smallestPiece), 1, threads);
}

bool deflatedAhead(qint64 size)
{
    return deflatePieces(size) > 1;
}

Deflated deflateInPieces(QByteArrayView data, int level, std::size_t pieces, platform::ProcessorShare* processors)
{
    // zlib counts a call's input and output in 32 bits: no piece is let near that.
    constexpr qsizetype largestPiece = qsizetype(1) << 30;
    pieces = std::max(pieces, std::size_t(data.size() / largestPiece) + 1);
    pieces = std::min(pieces, std::max<std::size_t>(1, std::size_t(data.size())));
    const qsizetype step = data.size() / qsizetype(pieces);
    auto bounds = [&](std::size_t i) { return i == pieces ? data.size() : qsizetype(i) * step; };
    std::vector<DeflatedPiece> done(pieces);
    // Every thread, this one too, takes the next piece not yet taken until none is left.
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < pieces; i = next++) {
            done[i] = deflatePiece(data, bounds(i), bounds(i + 1), level, i + 1 == pieces);
        }
    };
    const platform::ProcessorShare::Lease lent(processors, int(pieces) - 1);
    std::vector<std::future<void>> helpers;
    for (int helper = 0; helper < lent.count(); ++helper) {
        try {
            helpers.push_back(std::async(std::launch::async, work));
        } catch (const std::system_error&) {
            break; // no thread to be had: the rest on the others
        }
    }
    std::exception_ptr failure;
    try {
        work();
    } catch (...) {
        failure = std::current_exception();
        next = pieces; // the helpers stop after the piece they are on
    }
    for (std::future<void>& helper : helpers) {
        try {
            helper.get();
        } catch (...) {
            failure = failure ? failure : std::current_exception();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return joinPieces(done);
}

} // namespace quillsift::docx
