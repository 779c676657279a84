// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace quillsift::platform {

/// A block of zero-filled memory for a large table that is read at random, such as a hash table
/// of a million-word document's words. From 2 MiB on it is mapped from the system aligned to and
/// advised for 2 MiB pages where the system offers them (unless the environment sets
/// QUILLSIFT_LARGE_PAGES=0): a lookup then misses the data cache only, not also the cache of
/// address translations, and no page is touched before the table uses it. Smaller blocks come
/// from calloc. Throws std::bad_alloc when there is no memory.
class ZeroedMemory
{
  public:
    ZeroedMemory() = default;
    explicit ZeroedMemory(std::size_t bytes);
    ~ZeroedMemory();
    ZeroedMemory(ZeroedMemory&& other) noexcept;
    ZeroedMemory& operator=(ZeroedMemory&& other) noexcept;
    ZeroedMemory(const ZeroedMemory&) = delete;
    ZeroedMemory& operator=(const ZeroedMemory&) = delete;

    void* data() const
    {
        return m_data;
    }
    std::size_t size() const
    {
        return m_size;
    }
    /// Gives the system back the whole pages of a mapped block that lie before offset bytes, as
    /// a table that is read once from its start while it is moved does with what it has read:
    /// they read as zero afterwards. A block from calloc keeps its pages.
    void discardBefore(std::size_t offset) noexcept;

  private:
    void release() noexcept;

    void* m_data = nullptr;
    std::size_t m_size = 0;
    /// The length of the mapping at m_data, or 0 when the block came from calloc.
    std::size_t m_mapped = 0;
    /// How much of the mapping from its start has been given back.
    std::size_t m_discarded = 0;
};

} // namespace quillsift::platform
