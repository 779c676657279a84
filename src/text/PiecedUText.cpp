// SPDX-License-Identifier: GPL-3.0-or-later
#include "PiecedUText.h"

#include "engine/HostError.h"

#include <algorithm>
#include <cstring>

namespace quillsift::text {

namespace {

const PiecedText& textOf(const UText* ut)
{
    return *static_cast<const PiecedText*>(ut->context);
}

/// Makes the piece holding the character at position ut's chunk: the piece itself, or up to
/// widenedLength characters of it, around position, widened into ut's room.
void takePiece(UText* ut, qint64 position)
{
    const PiecedText::Piece piece = textOf(ut).pieceAt(position);
    if (piece.latin1.isEmpty()) {
        ut->chunkContents = reinterpret_cast<const UChar*>(piece.text.utf16());
        ut->chunkNativeStart = piece.start;
        ut->chunkLength = int32_t(piece.text.size());
    } else {
        constexpr qint64 room = PiecedUText::widenedLength;
        const qint64 from = (position - piece.start) / room * room;
        const auto length = int32_t(std::min(room, piece.latin1.size() - from));
        auto* widened = static_cast<UChar*>(ut->pExtra);
        const char* bytes = piece.latin1.data() + from;
        for (int32_t i = 0; i < length; ++i) {
            widened[i] = UChar(uchar(bytes[i]));
        }
        ut->chunkContents = widened;
        ut->chunkNativeStart = piece.start + from;
        ut->chunkLength = length;
    }
    ut->chunkNativeLimit = ut->chunkNativeStart + ut->chunkLength;
    ut->nativeIndexingLimit = ut->chunkLength;
    ut->chunkOffset = 0;
}

int64_t U_CALLCONV nativeLength(UText* ut)
{
    return textOf(ut).size();
}

/// Going forward, the chunk must hold the character at index; going back, the one before it.
/// An index outside the text is pinned to it, and false says there is nothing that way.
UBool U_CALLCONV access(UText* ut, int64_t index, UBool forward)
{
    const qint64 length = textOf(ut).size();
    index = std::clamp<int64_t>(index, 0, length);
    const qint64 wanted = forward ? index : index - 1;
    const bool there = wanted >= 0 && wanted < length;
    if (length == 0) {
        ut->chunkContents = nullptr;
        ut->chunkNativeStart = ut->chunkNativeLimit = 0;
        ut->chunkLength = ut->nativeIndexingLimit = ut->chunkOffset = 0;
        return false;
    }
    const qint64 within = there ? wanted : (forward ? length - 1 : 0);
    if (within < ut->chunkNativeStart || within >= ut->chunkNativeLimit || ut->chunkLength == 0) {
        takePiece(ut, within);
    }
    ut->chunkOffset = int32_t(index - ut->chunkNativeStart);
    return there;
}

UText* U_CALLCONV shallowClone(UText* dest, const UText* src, UBool deep, UErrorCode* status)
{
    if (U_FAILURE(*status)) {
        return dest;
    }
    if (deep) {
        // A deep clone would have to copy the text: nothing here asks for one.
        *status = U_UNSUPPORTED_ERROR;
        return dest;
    }
    dest = utext_setup(dest, src->extraSize, status);
    if (U_FAILURE(*status)) {
        return dest;
    }
    // Everything but what utext_setup() keeps for the UText itself: its flags and its room, into
    // which the room's contents go, so that a chunk widened there is the clone's own.
    const int32_t flags = dest->flags;
    void* extra = dest->pExtra;
    const int32_t extraSize = dest->extraSize;
    std::memcpy(dest, src, std::size_t(std::min(src->sizeOfStruct, dest->sizeOfStruct)));
    dest->flags = flags;
    dest->pExtra = extra;
    dest->extraSize = extraSize;
    if (src->extraSize > 0) {
        std::memcpy(dest->pExtra, src->pExtra, std::size_t(src->extraSize));
    }
    if (src->pExtra && src->chunkContents == src->pExtra) {
        dest->chunkContents = static_cast<const UChar*>(dest->pExtra);
    }
    return dest;
}

int32_t U_CALLCONV extract(UText* ut, int64_t nativeStart, int64_t nativeLimit, UChar* dest, int32_t destCapacity,
                           UErrorCode* status)
{
    if (U_FAILURE(*status)) {
        return 0;
    }
    if (destCapacity < 0 || (dest == nullptr && destCapacity > 0) || nativeStart > nativeLimit) {
        *status = U_ILLEGAL_ARGUMENT_ERROR;
        return 0;
    }
    const PiecedText& text = textOf(ut);
    const qint64 from = std::clamp<int64_t>(nativeStart, 0, text.size());
    const qint64 to = std::clamp<int64_t>(nativeLimit, 0, text.size());
    qint64 copied = 0;
    for (qint64 at = from; at < to && copied < destCapacity;) {
        const PiecedText::Piece piece = text.pieceAt(at);
        const qint64 offset = at - piece.start;
        const qint64 size = piece.latin1.isEmpty() ? piece.text.size() : piece.latin1.size();
        const qint64 count = std::min({size - offset, to - at, qint64(destCapacity) - copied});
        for (qint64 i = 0; i < count; ++i) {
            dest[copied + i] = piece.latin1.isEmpty() ? UChar(piece.text[offset + i].unicode())
                                                      : UChar(uchar(piece.latin1[offset + i].toLatin1()));
        }
        copied += count;
        at += count;
    }
    utext_setNativeIndex(ut, to);
    // As ICU's own texts end what they extract: with a zero where there is room for one, with an
    // overflow where even the characters did not fit, and with a warning where just the zero did not.
    const auto length = int32_t(to - from);
    if (length < destCapacity) {
        dest[length] = 0;
    } else if (length == destCapacity) {
        *status = U_STRING_NOT_TERMINATED_WARNING;
    } else {
        *status = U_BUFFER_OVERFLOW_ERROR;
    }
    return length;
}

void U_CALLCONV close(UText*)
{
    // The text is not the UText's own.
}

const UTextFuncs piecedFuncs = {
    sizeof(UTextFuncs),
    0,
    0,
    0,
    shallowClone,
    nativeLength,
    access,
    extract,
    nullptr, // replace: read-only
    nullptr, // copy: read-only
    nullptr, // mapOffsetToNative: a chunk's offsets are native indexes
    nullptr, // mapNativeIndexToUTF16: likewise
    close,
    nullptr,
    nullptr,
    nullptr,
};

} // namespace

PiecedUText::PiecedUText(const PiecedText& text)
{
    UErrorCode status = U_ZERO_ERROR;
    utext_setup(&m_text, widenedLength * int32_t(sizeof(UChar)), &status);
    if (U_FAILURE(status)) {
        throw engine::HostError(QString(), QStringLiteral("the text could not be shown to the word segmentation"));
    }
    // A chunk widened into the room does not outlive the next access: the chunks are not stable.
    m_text.pFuncs = &piecedFuncs;
    m_text.context = &text;
    access(&m_text, 0, true);
}

PiecedUText::~PiecedUText()
{
    utext_close(&m_text);
}

} // namespace quillsift::text
