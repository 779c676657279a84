// SPDX-License-Identifier: GPL-3.0-or-later
// Zero-filled blocks for large tables, small ones from calloc and large ones mapped on 2 MiB pages.
#include <platform/Allocator.h>
#include <platform/ZeroedMemory.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

using quillsift::platform::ZeroedMemory;

namespace {

bool allZero(const ZeroedMemory& memory)
{
    const auto* bytes = static_cast<const unsigned char*>(memory.data());
    return std::all_of(bytes, bytes + memory.size(), [](unsigned char b) { return b == 0; });
}

TEST(ZeroedMemory, blocksOfEverySizeAreZeroWritableAndMove)
{
    constexpr std::size_t mib = std::size_t(1) << 20;
    for (const std::size_t size : {std::size_t(0), std::size_t(100), 2 * mib, 5 * mib + 1}) {
        ZeroedMemory memory(size);
        ASSERT_NE(memory.data(), nullptr) << size;
        EXPECT_EQ(memory.size(), size);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory.data()) % alignof(std::max_align_t), 0U) << size;
        EXPECT_TRUE(allZero(memory)) << size;
        if (size > 0) {
            auto* bytes = static_cast<unsigned char*>(memory.data());
            bytes[0] = 1;
            bytes[size - 1] = 2;
        }
        void* const data = memory.data();
        ZeroedMemory moved(std::move(memory));
        EXPECT_EQ(moved.data(), data);
        EXPECT_EQ(memory.data(), nullptr);
        ZeroedMemory assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.data(), data);
        if (size > 0) {
            EXPECT_EQ(static_cast<unsigned char*>(assigned.data())[size - 1], 2);
        }
    }
}

// A table moved into a larger one gives back what it has read: those pages read as zero, the
// rest keeps what was written; a small block, from calloc, keeps everything.
TEST(ZeroedMemory, discardedPagesReadAsZeroAndTheRestStays)
{
    constexpr std::size_t mib = std::size_t(1) << 20;
    for (const std::size_t size : {std::size_t(1000), 5 * mib + 1}) {
        ZeroedMemory memory(size);
        auto* bytes = static_cast<unsigned char*>(memory.data());
        std::fill(bytes, bytes + size, 7);
        const std::size_t offset = std::min(size, 3 * mib + 100);
        memory.discardBefore(offset / 2);
        memory.discardBefore(offset);
        const bool mapped = size >= 2 * mib && quillsift::platform::largePagesWanted();
        const std::size_t discarded = mapped ? 3 * mib : 0;
        EXPECT_TRUE(std::all_of(bytes, bytes + discarded, [](unsigned char b) { return b == 0; })) << size;
        EXPECT_TRUE(std::all_of(bytes + discarded, bytes + size, [](unsigned char b) { return b == 7; })) << size;
    }
}

} // namespace
