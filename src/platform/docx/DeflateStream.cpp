// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeflateStream.h"

#include <algorithm>
#include <system_error>

namespace quillsift::docx {

namespace {

// What deflate looks back at: a piece primed with it finds the matches one stream would.
constexpr qsizetype window = 32 * 1024;

} // namespace

DeflateStream::DeflateStream(int level, qsizetype pieceSize, platform::ProcessorShare* processors)
    : m_level(level)
    , m_pieceSize(std::max(pieceSize, window))
    , m_lease(processors, 1)
{
    m_current.bytes.reserve(m_pieceSize);
    if (m_lease.count() > 0) {
        try {
            m_helper = std::thread([this] { help(); });
        } catch (const std::system_error&) {
            // No thread to be had: every piece is deflated here.
        }
    }
}

DeflateStream::~DeflateStream()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_helper.joinable()) {
        m_helper.join();
    }
}

void DeflateStream::write(const char* data, qsizetype size)
{
    while (size > 0) {
        const qsizetype room = m_current.from + m_pieceSize - m_current.bytes.size();
        const qsizetype taken = std::min(room, size);
        m_current.bytes.append(data, taken);
        data += taken;
        size -= taken;
        if (m_current.bytes.size() == m_current.from + m_pieceSize) {
            seal();
        }
    }
}

void DeflateStream::seal()
{
    Block next;
    next.index = m_current.index + 1;
    next.from = std::min(window, m_current.bytes.size());
    next.bytes.reserve(next.from + m_pieceSize);
    next.bytes.append(m_current.bytes.constData() + m_current.bytes.size() - next.from, next.from);
    std::optional<Block> here;
    {
        const std::lock_guard lock(m_mutex);
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
        m_done.resize(next.index);
        m_queue.push_back(std::move(m_current));
        // With no helper, or one still busy with an earlier piece, this thread deflates the
        // oldest waiting piece itself, so that pieces never pile up.
        if (!m_helper.joinable() || m_queue.size() > 1) {
            here = std::move(m_queue.front());
            m_queue.pop_front();
        }
    }
    m_wake.notify_one();
    m_current = std::move(next);
    if (here) {
        deflate(*here, false);
    }
}

void DeflateStream::deflate(const Block& block, bool last)
{
    DeflatedPiece piece = deflatePiece(block.bytes, block.from, block.bytes.size(), m_level, last);
    const std::lock_guard lock(m_mutex);
    m_done[block.index] = std::move(piece);
}

void DeflateStream::help()
{
    for (;;) {
        Block block;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty() || m_failure) {
                return;
            }
            block = std::move(m_queue.front());
            m_queue.pop_front();
        }
        try {
            deflate(block, false);
        } catch (...) {
            const std::lock_guard lock(m_mutex);
            m_failure = std::current_exception();
            return;
        }
    }
}

void DeflateStream::drain()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_helper.joinable()) {
        m_helper.join();
    }
    if (m_failure) {
        std::rethrow_exception(m_failure);
    }
    while (!m_queue.empty()) {
        const Block block = std::move(m_queue.front());
        m_queue.pop_front();
        deflate(block, false);
    }
}

Deflated DeflateStream::finish()
{
    drain();
    m_done.resize(m_current.index + 1);
    deflate(m_current, true);
    return joinPieces(m_done);
}

} // namespace quillsift::docx
