// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlBytes.h"

namespace quillsift::docx {

namespace {

struct ByteWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void* data, size_t size) override
    {
        bytes.append(static_cast<const char*>(data), qsizetype(size));
    }
};

struct DeflatingWriter : pugi::xml_writer {
    explicit DeflatingWriter(DeflateStream& target)
        : stream(target)
    {
    }
    DeflateStream& stream;
    void write(const void* data, size_t size) override
    {
        stream.write(static_cast<const char*>(data), qsizetype(size));
    }
};

} // namespace

QByteArray xmlBytes(const pugi::xml_document& document, qsizetype sizeHint)
{
    ByteWriter writer;
    writer.bytes.reserve(sizeHint);
    document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(writer.bytes);
}

Deflated xmlDeflated(const pugi::xml_document& document, DeflateStream& stream)
{
    DeflatingWriter writer(stream);
    document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return stream.finish();
}

} // namespace quillsift::docx
