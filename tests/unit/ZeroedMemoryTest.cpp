// SPDX-License-Identifier: GPL-3.0-or-later
// Zero-filled blocks for large tables, small ones from calloc and large ones mapped on 2 MiB pages,
// and the allocator's heap on 2 MiB pages from the start.
#include <platform/Allocator.h>
#include <platform/ZeroedMemory.h>

#include <QFile>
#include <QString>

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

// The heap the allocator had before main() ran is on 2 MiB pages once it is tuned: where the
// system offers such pages, the mapping that holds a fresh allocation is advised to take them.
TEST(Allocator, heapMappedBeforeMainIsAdvisedToTakeLargePages)
{
#if defined(__linux__)
    QFile policy(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    if (!quillsift::platform::allocatorTunable() || !quillsift::platform::largePagesWanted() ||
        !policy.open(QIODevice::ReadOnly) || policy.readAll().contains("[never]")) {
        GTEST_SKIP() << "no tuned allocator or no transparent huge pages here";
    }
    quillsift::platform::tuneAllocator();
    void* block = std::malloc(64);
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    ASSERT_TRUE(smaps.open(QIODevice::ReadOnly));
    bool inMapping = false;
    bool found = false;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        const qsizetype dash = line.indexOf('-');
        const qsizetype space = line.indexOf(' ');
        if (dash > 0 && space > dash && line.indexOf(':') > space) {
            bool startOk = false;
            bool endOk = false;
            const auto start = std::uintptr_t(line.left(dash).toULongLong(&startOk, 16));
            const auto end = std::uintptr_t(line.mid(dash + 1, space - dash - 1).toULongLong(&endOk, 16));
            inMapping = startOk && endOk && start <= address && address < end;
        } else if (inMapping && line.startsWith("VmFlags:")) {
            found = true;
            EXPECT_TRUE(line.split(' ').contains("hg")) << line.constData();
        }
    }
    EXPECT_TRUE(found);
    std::free(block);
#else
    GTEST_SKIP() << "large pages are advised on Linux only";
#endif
}

} // namespace
