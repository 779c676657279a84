// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <vector>

namespace quillsift::docx {

/// The level every part is deflated at. On document XML, level 4 takes half to four fifths of the
/// time of zlib's default (6) and gives parts up to an eighth larger, about as large as the
/// programs that wrote them made them; level 9, libzip's own, takes twice the time of 6 and
/// gives a file no smaller.
constexpr int zipDeflateLevel = 4;

/// A part's bytes deflated for a zip entry, with what its local header records of them.
struct Deflated {
    QByteArray bytes;
    quint32 crc = 0;
    /// How many bytes they are unpacked.
    qint64 size = 0;
};

/// One stretch of a deflate stream cut in pieces: all but the last end on a byte boundary.
struct DeflatedPiece {
    QByteArray bytes;
    quint32 crc = 0;
    qint64 length = 0;
};

/// Deflates data[from, to), primed with the 32 KB of data before from, as one deflate stream would
/// have them at hand, to the end of the stream when last and to a byte boundary otherwise.
/// Throws std::bad_alloc when zlib cannot have the memory it needs.
DeflatedPiece deflatePiece(QByteArrayView data, qsizetype from, qsizetype to, int level, bool last);
/// The stream the pieces make one after the other, with the CRC of all they hold.
Deflated joinPieces(const std::vector<DeflatedPiece>& pieces);
/// What deflated holds, unpacked. Throws std::bad_alloc when zlib cannot have the memory.
QByteArray inflated(const Deflated& deflated);

/// Deflates data as one raw deflate stream (no zlib header), at level. The data is cut into
/// `pieces` stretches; each stretch is primed with the 32 KB before it, as one deflate stream
/// would have them at hand, and all but the last end on a byte boundary, so the stretches' output
/// put one after the other is the stream. The stretches are deflated on this thread and on as
/// many more as processors can lend (none without it); the bytes do not depend on how many.
/// Throws std::bad_alloc when zlib cannot have the memory it needs.
Deflated deflateInPieces(QByteArrayView data, int level, std::size_t pieces,
                         platform::ProcessorShare* processors = nullptr);

/// How many pieces deflating size bytes is worth cutting into on this machine: one for anything
/// under a few megabytes, where a thread costs more than it saves.
std::size_t deflatePieces(qint64 size);
/// Whether a part of size bytes is deflated before libzip writes it (in pieces, on several
/// processors) rather than by libzip.
bool deflatedAhead(qint64 size);

} // namespace quillsift::docx
