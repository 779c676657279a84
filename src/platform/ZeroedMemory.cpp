// SPDX-License-Identifier: GPL-3.0-or-later
#include "ZeroedMemory.h"

#include "Allocator.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#if defined(__unix__)
#include <sys/mman.h>
#endif

namespace quillsift::platform {

namespace {

constexpr std::size_t largePage = std::size_t(2) << 20;

} // namespace

ZeroedMemory::ZeroedMemory(std::size_t bytes)
    : m_size(bytes)
{
#if defined(__unix__) && defined(MAP_ANONYMOUS)
    if (bytes >= largePage && largePagesWanted()) {
        // Map a page more than asked, so that a 2 MiB boundary lies within, and give back the
        // parts before and after the aligned block.
        const std::size_t length = (bytes + largePage - 1) / largePage * largePage;
        const std::size_t mapped = length + largePage;
        void* mapping = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping != MAP_FAILED) {
            const auto start = reinterpret_cast<std::uintptr_t>(mapping);
            const std::uintptr_t aligned = (start + largePage - 1) / largePage * largePage;
            if (aligned > start) {
                munmap(mapping, aligned - start);
            }
            const std::uintptr_t end = start + mapped;
            if (end > aligned + length) {
                munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
            }
            m_data = reinterpret_cast<void*>(aligned);
            m_mapped = length;
#ifdef MADV_HUGEPAGE
            // Advice only: where the system has no such pages the block stays on ordinary ones.
            madvise(m_data, m_mapped, MADV_HUGEPAGE);
#endif
            return;
        }
    }
#endif
    m_data = std::calloc(bytes > 0 ? bytes : 1, 1);
    if (!m_data) {
        throw std::bad_alloc();
    }
}

ZeroedMemory::~ZeroedMemory()
{
    release();
}

ZeroedMemory::ZeroedMemory(ZeroedMemory&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_mapped(std::exchange(other.m_mapped, 0))
    , m_discarded(std::exchange(other.m_discarded, 0))
{
}

ZeroedMemory& ZeroedMemory::operator=(ZeroedMemory&& other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_mapped = std::exchange(other.m_mapped, 0);
        m_discarded = std::exchange(other.m_discarded, 0);
    }
    return *this;
}

void ZeroedMemory::discardBefore(std::size_t offset) noexcept
{
#if defined(__unix__) && defined(MAP_ANONYMOUS)
    constexpr std::size_t page = 4096;
    const std::size_t end = std::min(offset, m_mapped) / page * page;
    if (end > m_discarded) {
        madvise(static_cast<char*>(m_data) + m_discarded, end - m_discarded, MADV_DONTNEED);
        m_discarded = end;
    }
#else
    (void)offset;
#endif
}

void ZeroedMemory::release() noexcept
{
    if (!m_data) {
        return;
    }
#if defined(__unix__) && defined(MAP_ANONYMOUS)
    if (m_mapped > 0) {
        munmap(m_data, m_mapped);
        m_data = nullptr;
        m_discarded = 0;
        return;
    }
#endif
    std::free(m_data);
    m_data = nullptr;
}

} // namespace quillsift::platform
