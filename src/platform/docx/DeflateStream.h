// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Deflate.h"

#include "platform/ProcessorShare.h"

#include <QByteArray>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quillsift::docx {

/// Deflates bytes given a little at a time, as they are made (a part serialised from its tree),
/// into one raw deflate stream cut in pieces as deflateInPieces cuts it, so that no more than a
/// few pieces of the unpacked bytes are ever held. A full piece goes to a processor processors
/// lends, or is deflated on the writing thread while that processor is busy with the one before;
/// the bytes do not depend on which. Owns the pieces and its one helper thread.
class DeflateStream
{
  public:
    DeflateStream(int level, qsizetype pieceSize, platform::ProcessorShare* processors = nullptr);
    ~DeflateStream();
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;

    void write(const char* data, qsizetype size);
    /// The whole stream. Throws std::bad_alloc when zlib could not have the memory it needed.
    Deflated finish();

  private:
    /// Bytes of the stream, after the 32 KB before them that prime their piece.
    struct Block {
        std::size_t index = 0;
        QByteArray bytes;
        qsizetype from = 0;
    };
    /// Queues the current block, full, and starts the next primed with its end.
    void seal();
    void deflate(const Block& block, bool last);
    void help();
    /// Stops the helper, deflating here what it left, and rethrows what either failed with.
    void drain();

    const int m_level;
    const qsizetype m_pieceSize;
    Block m_current;
    std::vector<DeflatedPiece> m_done;
    std::deque<Block> m_queue;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::exception_ptr m_failure;
    platform::ProcessorShare::Lease m_lease;
    std::thread m_helper;
};

} // namespace quillsift::docx
