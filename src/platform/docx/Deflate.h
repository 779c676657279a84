// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>

namespace quillsift::docx {

/// A part's bytes deflated for a zip entry, with what its local header records of them.
struct Deflated {
    QByteArray bytes;
    quint32 crc = 0;
};

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

} // namespace quillsift::docx
