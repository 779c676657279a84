// SPDX-License-Identifier: GPL-3.0-or-later
// The blocks under a long paragraph's text, unit ends and pieces, against a plain vector: blocks
// of numbers that count their elements in one tree and the elements' sum, as a stretch of text
// would be counted, in the other.
#include "docx/BlockedSequence.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

using namespace quillsift;

namespace {

using Sequence = docx::BlockedSequence<std::vector<int>, 2>;
constexpr std::size_t elements = 0;
constexpr std::size_t sums = 1;
constexpr std::size_t perBlock = 8;
constexpr std::size_t maxPerBlock = 4 * perBlock;

Sequence::Values valuesOf(const std::vector<int>& block)
{
    return {qint64(block.size()), std::accumulate(block.begin(), block.end(), qint64(0))};
}

Sequence::Parts cut(const std::vector<int>& numbers)
{
    Sequence::Parts parts;
    for (std::size_t from = 0; from < numbers.size(); from += perBlock) {
        std::vector<int> block(numbers.begin() + std::ptrdiff_t(from),
                               numbers.begin() + std::ptrdiff_t(std::min(numbers.size(), from + perBlock)));
        const Sequence::Values values = valuesOf(block);
        parts.add(std::move(block), values);
    }
    return parts;
}

std::vector<int> randomNumbers(std::mt19937& random, std::size_t count)
{
    std::vector<int> numbers;
    for (std::size_t i = 0; i < count; ++i) {
        numbers.push_back(1 + int(random() % 9));
    }
    return numbers;
}

/// The elements in order, checking on the way that each block's place agrees with the trees and
/// that the blocks in use begin and end with one that holds something.
std::vector<int> read(const Sequence& sequence)
{
    std::vector<int> numbers;
    sequence.visit(sequence.start(), [&](const std::vector<int>& block, const Sequence::Place& place) {
        EXPECT_EQ(place.before, sequence.placeOf(place.block).before) << "block " << place.block;
        EXPECT_EQ(valuesOf(block),
                  (Sequence::Values{sequence.value(elements, place.block), sequence.value(sums, place.block)}));
        numbers.insert(numbers.end(), block.begin(), block.end());
        return true;
    });
    EXPECT_LE(sequence.firstBlock(), sequence.endBlock());
    EXPECT_LE(sequence.endBlock(), sequence.slotCount());
    if (sequence.blocksInUse() > 0) {
        EXPECT_FALSE(sequence.block(sequence.firstBlock()).empty());
        EXPECT_FALSE(sequence.block(sequence.endBlock() - 1).empty());
    }
    EXPECT_EQ(sequence.total(elements), qint64(numbers.size()));
    return numbers;
}

/// Removes the elements [from, to), as a layer cuts a range out.
void removeElements(Sequence& sequence, qint64 from, qint64 to)
{
    sequence.cut(elements, from, to, [&](std::vector<int>& block, qint64 start, const Sequence::Values& values) {
        EXPECT_EQ(values, valuesOf(block));
        const qint64 low = std::max(from, start) - start;
        const qint64 high = std::min(to, start + qint64(block.size())) - start;
        EXPECT_LT(low, high) << "a block that holds none of the range";
        const Sequence::Values before = valuesOf(block);
        block.erase(block.begin() + low, block.begin() + high);
        const Sequence::Values after = valuesOf(block);
        return Sequence::Values{after[0] - before[0], after[1] - before[1]};
    });
}

/// Inserts numbers at index after the element before it, cutting a block grown too big.
void insertElements(Sequence& sequence, qint64 index, const std::vector<int>& numbers)
{
    std::size_t b = sequence.openBlock();
    qint64 offset = 0;
    if (index > 0) {
        const Sequence::Place place = sequence.locate(elements, index - 1);
        b = place.block;
        offset = index - place.before[elements];
    }
    std::vector<int>& block = sequence.block(b);
    const Sequence::Values before = valuesOf(block);
    block.insert(block.begin() + offset, numbers.begin(), numbers.end());
    const Sequence::Values after = valuesOf(block);
    sequence.change(b, {after[0] - before[0], after[1] - before[1]});
    if (block.size() > maxPerBlock) {
        const std::vector<int> whole = std::move(block);
        sequence.replace(b, b, cut(whole));
    }
}

TEST(BlockedSequence, EditsAndJoinsReadLikeAPlainVector)
{
    std::mt19937 random(17);
    std::vector<int> model = randomNumbers(random, 300);
    Sequence sequence(cut(model));
    for (int step = 0; step < 4000; ++step) {
        const auto size = qint64(model.size());
        const int kind = int(random() % 10);
        if (kind < 4) {
            // A range, now and then across many blocks or the whole sequence.
            const qint64 from = size > 0 ? qint64(random() % quint32(size)) : 0;
            const qint64 longest = step % 53 == 0 ? 400 : 12;
            const qint64 to = std::min(size, from + 1 + qint64(random() % quint32(longest)));
            removeElements(sequence, from, step % 401 == 0 ? size : to);
            model.erase(model.begin() + from, model.begin() + (step % 401 == 0 ? size : to));
        } else if (kind < 7) {
            const qint64 at = qint64(random() % quint32(size + 1));
            const std::vector<int> numbers = randomNumbers(random, 1 + random() % (step % 31 == 0 ? 80 : 5));
            insertElements(sequence, at, numbers);
            model.insert(model.begin() + at, numbers.begin(), numbers.end());
        } else if (kind < 9) {
            // Another sequence joins at either end: a few elements, or a blocked one.
            const std::vector<int> numbers = randomNumbers(random, random() % (step % 7 == 0 ? 300 : 20));
            const bool atFront = random() % 2 == 0;
            if (random() % 2 == 0) {
                sequence.join(cut(numbers), atFront);
            } else {
                Sequence other(cut(numbers));
                removeElements(other, 0, qint64(random() % (numbers.size() + 1)));
                const std::vector<int> left = read(other);
                sequence.join(std::move(other), atFront);
                model.insert(atFront ? model.begin() : model.end(), left.begin(), left.end());
                continue;
            }
            model.insert(atFront ? model.begin() : model.end(), numbers.begin(), numbers.end());
        } else if (sequence.blocksInUse() > 1) {
            // Blocks merged into one, as an edit spanning them leaves them.
            const std::size_t first = sequence.firstBlock() + random() % (sequence.blocksInUse() - 1);
            const std::size_t last = std::min(sequence.endBlock() - 1, first + 1 + random() % 3);
            Sequence::Parts merged;
            std::vector<int> all;
            for (std::size_t b = first; b <= last; ++b) {
                all.insert(all.end(), sequence.block(b).begin(), sequence.block(b).end());
            }
            const Sequence::Values values = valuesOf(all);
            merged.add(std::move(all), values);
            sequence.replace(first, last, std::move(merged));
        }
        ASSERT_EQ(sequence.total(elements), qint64(model.size())) << "step " << step;
        if (step % 25 == 0) {
            ASSERT_EQ(read(sequence), model) << "step " << step;
        }
        // Elements and offsets at random, each with the next, as a walk reads them.
        for (int probe = 0; probe < 4 && !model.empty(); ++probe) {
            const auto index = qint64(random() % model.size());
            const Sequence::Place place = sequence.locate(elements, index);
            ASSERT_EQ(sequence.block(place.block)[std::size_t(index - place.before[elements])],
                      model[std::size_t(index)])
                << "step " << step;
            const qint64 total = std::accumulate(model.begin(), model.end(), qint64(0));
            const auto offset = qint64(random() % quint64(total));
            const Sequence::Place stretch = sequence.locate(sums, offset);
            qint64 sum = stretch.before[sums];
            std::size_t at = std::size_t(stretch.before[elements]);
            for (const int number : sequence.block(stretch.block)) {
                if (offset < sum + number) {
                    break;
                }
                sum += number;
                ++at;
            }
            ASSERT_LT(at, model.size()) << "the block holds the offset";
            ASSERT_EQ(std::accumulate(model.begin(), model.begin() + std::ptrdiff_t(at), qint64(0)), sum);
            ASSERT_LT(offset, sum + model[at]);
        }
        const Sequence::Place end = sequence.locate(elements, qint64(model.size()));
        ASSERT_EQ(end.block, sequence.endBlock());
        ASSERT_EQ(end.before[elements], qint64(model.size()));
    }
    EXPECT_EQ(read(sequence), model);
}

TEST(BlockedSequence, JoinsTakeTheRoomAndLayOutAgainOnlyWhenItRunsOut)
{
    // One block at a time at either end: the blocks in use stay where they are while there is
    // room, and laying out again leaves room in proportion, so it happens a logarithm of times.
    std::mt19937 random(23);
    std::vector<int> model = randomNumbers(random, perBlock);
    Sequence sequence(cut(model));
    int layouts = 0;
    for (int step = 0; step < 3000; ++step) {
        const bool atFront = step % 3 != 0;
        const std::vector<int> numbers = randomNumbers(random, perBlock);
        const std::size_t slotsBefore = sequence.slotCount();
        const std::size_t room = atFront ? sequence.firstBlock() : slotsBefore - sequence.endBlock();
        const std::size_t first = sequence.firstBlock();
        const int* held = sequence.block(first).data();
        sequence.join(cut(numbers), atFront);
        model.insert(atFront ? model.begin() : model.end(), numbers.begin(), numbers.end());
        if (room > 0) {
            ASSERT_EQ(sequence.slotCount(), slotsBefore) << "step " << step;
            ASSERT_EQ(sequence.block(first).data(), held) << "the blocks in use did not move";
            ASSERT_EQ(sequence.firstBlock(), atFront ? first - 1 : first);
        } else {
            ++layouts;
            ASSERT_EQ(sequence.firstBlock(), sequence.blocksInUse()) << "as much room as blocks in use";
            ASSERT_EQ(sequence.slotCount(), 3 * sequence.blocksInUse());
        }
    }
    EXPECT_LE(layouts, 24);
    EXPECT_EQ(read(sequence), model);

    // A block emptied at an end becomes room that the next join takes.
    const std::size_t slotsBefore = sequence.slotCount();
    const std::size_t first = sequence.firstBlock();
    removeElements(sequence, 0, qint64(sequence.block(first).size()));
    EXPECT_EQ(sequence.firstBlock(), first + 1);
    sequence.join(cut({4, 5}), true);
    model.erase(model.begin(), model.begin() + perBlock);
    model.insert(model.begin(), {4, 5});
    EXPECT_EQ(sequence.slotCount(), slotsBefore);
    EXPECT_EQ(read(sequence), model);
}

TEST(BlockedSequence, EmptySequencesReadAsEmptyAndTakeElements)
{
    // Without blocks, with blocks emptied by a removal, and joined with nothing.
    Sequence none;
    EXPECT_EQ(none.blocksInUse(), 0u);
    EXPECT_EQ(none.locate(elements, 0).block, none.endBlock());
    removeElements(none, 0, 5);
    none.join(Sequence(), false);
    none.join(cut({}), true);
    EXPECT_EQ(read(none), std::vector<int>());
    insertElements(none, 0, {1, 2, 3});
    EXPECT_EQ(read(none), (std::vector<int>{1, 2, 3}));

    std::mt19937 random(29);
    const std::vector<int> numbers = randomNumbers(random, 100);
    Sequence emptied(cut(numbers));
    emptied.join(cut(numbers), true); // now with room at both ends
    const std::size_t slotsBefore = emptied.slotCount();
    removeElements(emptied, 0, 200);
    EXPECT_EQ(emptied.blocksInUse(), 0u) << "every block is room";
    EXPECT_EQ(emptied.total(sums), 0);
    EXPECT_EQ(read(emptied), std::vector<int>());
    insertElements(emptied, 0, {7});
    insertElements(emptied, 1, {8});
    EXPECT_EQ(read(emptied), (std::vector<int>{7, 8}));
    emptied.join(cut(numbers), true);
    emptied.join(cut(numbers), false);
    EXPECT_EQ(emptied.slotCount(), slotsBefore) << "the room was taken";
    // Blocks emptied inside a joining sequence do not come in: the ends still hold something.
    Sequence::Parts holes;
    holes.add({}, {});
    holes.add({3}, valuesOf({3}));
    holes.add({}, {});
    emptied.join(std::move(holes), false);
    std::vector<int> model = numbers;
    model.insert(model.end(), {7, 8});
    model.insert(model.end(), numbers.begin(), numbers.end());
    model.push_back(3);
    EXPECT_EQ(read(emptied), model);
}

} // namespace
