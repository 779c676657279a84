// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlText.h"

#include "engine/HostError.h"

#include <QStringDecoder>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace quillsift::docx {

using engine::HostError;

namespace {

/// Where the declaration names the encoding: the value's bytes and place. Only read in a part
/// whose first bytes are ASCII, as every encoding but UTF-16 and UTF-32 keeps them.
struct DeclaredEncoding {
    qsizetype start = -1;
    qsizetype end = -1;
    QByteArray name;
};

DeclaredEncoding declaredEncoding(const QByteArray& bytes, qsizetype from)
{
    DeclaredEncoding found;
    if (!QByteArrayView(bytes).sliced(from).startsWith("<?xml") || bytes.size() < from + 6 ||
        !XmlText::isSpace(bytes[from + 5])) {
        return found;
    }
    // A declaration is short; one that does not close soon is not one, and the parser says so.
    const qsizetype close = bytes.indexOf("?>", from);
    if (close < 0 || close - from > 1024) {
        return found;
    }
    const qsizetype key = bytes.indexOf("encoding", from);
    if (key < 0 || key > close) {
        return found;
    }
    qsizetype at = key + 8;
    while (at < close && XmlText::isSpace(bytes[at])) {
        ++at;
    }
    if (at >= close || bytes[at] != '=') {
        return found;
    }
    ++at;
    while (at < close && XmlText::isSpace(bytes[at])) {
        ++at;
    }
    if (at >= close || (bytes[at] != '"' && bytes[at] != '\'')) {
        return found;
    }
    const char quote = bytes[at];
    const qsizetype end = bytes.indexOf(quote, at + 1);
    if (end < 0 || end > close) {
        return found;
    }
    found.start = at + 1;
    found.end = end;
    found.name = bytes.mid(found.start, end - found.start);
    return found;
}

/// Says UTF-8 in the declaration, if it names an encoding at all.
void declareUtf8(QByteArray& bytes)
{
    const DeclaredEncoding declared = declaredEncoding(bytes, 0);
    if (declared.start >= 0) {
        bytes.replace(declared.start, declared.end - declared.start, "UTF-8");
    }
}

bool namesUtf8(const QByteArray& name)
{
    const QByteArray lower = name.toLower();
    // ASCII is a part of UTF-8; a declaration of UTF-16 over single bytes is plainly wrong, and
    // the bytes are read as what they are.
    return lower == "utf-8" || lower == "utf8" || lower == "us-ascii" || lower == "ascii" || lower.startsWith("utf-16");
}

struct ConverterCloser {
    void operator()(UConverter* converter) const
    {
        ucnv_close(converter);
    }
};

/// bytes in the encoding named, as UTF-8. Throws HostError when ICU does not know the encoding
/// or the bytes are not valid in it.
QByteArray decodeNamed(const QString& fileName, const QString& partName, const QByteArray& bytes,
                       const QByteArray& name)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(name.constData(), &status));
    if (U_FAILURE(status) || !converter) {
        throw HostError(fileName, QStringLiteral("the part %1 is written in the encoding \"%2\", which cannot be read")
                                      .arg(partName, QString::fromLatin1(name)));
    }
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    // No encoding ICU reads takes fewer than one byte a UTF-16 unit, plus one for a pair's second.
    QString text(bytes.size() * 2 + 1, Qt::Uninitialized);
    const int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()), int32_t(text.size()),
                                         bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status)) {
        throw HostError(
            fileName,
            QStringLiteral("the part %1 holds bytes that are not valid %2").arg(partName, QString::fromLatin1(name)));
    }
    text.truncate(length);
    return text.toUtf8();
}

QByteArray decodeUtf16(const QByteArray& bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(encoding);
    return QString(decoder(bytes)).toUtf8();
}

/// What a byte can be: nothing to look at, a character XML forbids, the end of a reference, or
/// the start of a sequence of more than one byte.
enum ByteClass : std::uint8_t {
    Plain,
    Control,
    Semicolon,
    Multibyte,
};

constexpr std::array<std::uint8_t, 256> byteClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int byte = 0; byte < 0x20; ++byte) {
        classes[std::size_t(byte)] = Control;
    }
    classes['\t'] = classes['\n'] = classes['\r'] = Plain;
    classes[';'] = Semicolon;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        classes[std::size_t(byte)] = Multibyte;
    }
    return classes;
}();

bool allowedInXml(char32_t code)
{
    if (code < 0x20) {
        return code == 0x9 || code == 0xA || code == 0xD;
    }
    return (code < 0xD800) || (code > 0xDFFF && code < 0xFFFE) || (code > 0xFFFF && code <= 0x10FFFF);
}

bool isContinuation(std::uint8_t byte)
{
    return (byte & 0xC0) == 0x80;
}

/// The length of the well-formed UTF-8 sequence at data[0], or 0 with length the bytes of the
/// broken start to replace (at least 1). code receives the character.
int utf8Sequence(const std::uint8_t* data, qsizetype available, char32_t& code, int& broken)
{
    const std::uint8_t lead = data[0];
    int length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // below is overlong
        high = lead == 0xED ? 0x9F : 0xBF; // above is a surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;  // below is overlong
        high = lead == 0xF4 ? 0x8F : 0xBF; // above is past U+10FFFF
    } else {
        broken = 1;
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (k >= available || data[k] < (k == 1 ? low : 0x80) || data[k] > (k == 1 ? high : 0xBF) ||
            !isContinuation(data[k])) {
            broken = k;
            return 0;
        }
        code = (code << 6) | (data[k] & 0x3F);
    }
    return length;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

/// Where a character reference ("&#...;") starts whose ";" is text[end], or -1 where the text
/// before it is no well-formed reference (which the parser then judges); code receives its value.
/// Looking back from each ";" keeps a reference that only the mending of the text around it
/// brought together ("&#x1" "\x0F" ";") from slipping through.
qsizetype referenceBefore(const char* text, qsizetype end, char32_t& code)
{
    qsizetype digits = end;
    while (digits > 0 && isHexDigit(text[digits - 1])) {
        --digits;
    }
    qsizetype at = digits;
    const bool hex = at > 0 && text[at - 1] == 'x';
    if (hex) {
        --at;
    }
    if (digits == end || at < 2 || text[at - 1] != '#' || text[at - 2] != '&') {
        return -1;
    }
    std::uint64_t value = 0;
    for (qsizetype k = digits; k < end; ++k) {
        const char c = text[k];
        if (!hex && !(c >= '0' && c <= '9')) {
            return -1;
        }
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        // Past U+10FFFF is forbidden however far past; the value stops growing before it overflows.
        value = std::min<std::uint64_t>(value * (hex ? 16 : 10) + std::uint64_t(digit), 0x110000);
    }
    code = char32_t(value);
    return at - 2;
}

/// The first position from at that holds anything but plain ASCII (a control character, ";" or a
/// byte of a longer sequence), eight bytes at a time: nearly all of a part is plain.
qsizetype skipPlain(const std::uint8_t* data, qsizetype at, qsizetype size)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    for (;;) {
        while (at + 8 <= size) {
            std::uint64_t word = 0;
            std::memcpy(&word, data + at, 8);
            const std::uint64_t control = (word - ones * 0x20) & ~word; // some byte below 0x20
            const std::uint64_t semicolon = word ^ (ones * ';');        // some zero byte where ';' was
            if ((control | ((semicolon - ones) & ~semicolon) | word) & highs) {
                break;
            }
            at += 8;
        }
        // The test above may flag a block with nothing in it; the block is looked at byte by byte.
        const qsizetype stop = std::min(at + 8, size);
        while (at < stop && byteClasses[data[at]] == Plain) {
            ++at;
        }
        if (at < stop || at >= size) {
            return at;
        }
    }
}

/// Leaves out forbidden characters and replaces broken UTF-8, counting both. The bytes are
/// copied only from the first thing to mend on.
void repairUtf8(QByteArray& bytes, XmlText::Repairs& repairs)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const qsizetype size = bytes.size();
    QByteArray out;
    bool copying = false;
    qsizetype copiedTo = 0;
    const auto mend = [&](qsizetype from, qsizetype to, const char* replacement) {
        if (!copying) {
            out.reserve(size);
            copying = true;
        }
        out.append(reinterpret_cast<const char*>(data) + copiedTo, from - copiedTo);
        out.append(replacement);
        copiedTo = to;
    };
    qsizetype at = 0;
    while (at < size) {
        at = skipPlain(data, at, size);
        if (at >= size) {
            break;
        }
        switch (byteClasses[data[at]]) {
        case Control:
            ++repairs.forbiddenCharacters;
            mend(at, at + 1, "");
            ++at;
            break;
        case Semicolon: {
            char32_t code = 0;
            // Judged on the text as it will be written: the copy, once mending has begun.
            if (copying) {
                out.append(reinterpret_cast<const char*>(data) + copiedTo, at - copiedTo);
                copiedTo = at;
                const qsizetype start = referenceBefore(out.constData(), out.size(), code);
                if (start >= 0 && !allowedInXml(code)) {
                    ++repairs.forbiddenCharacters;
                    out.truncate(start);
                    copiedTo = at + 1;
                }
            } else {
                const qsizetype start = referenceBefore(reinterpret_cast<const char*>(data), at, code);
                if (start >= 0 && !allowedInXml(code)) {
                    ++repairs.forbiddenCharacters;
                    mend(start, at + 1, "");
                }
            }
            ++at;
            break;
        }
        default: {
            char32_t code = 0;
            int broken = 0;
            const int length = utf8Sequence(data + at, size - at, code, broken);
            if (length == 0) {
                ++repairs.invalidSequences;
                mend(at, at + broken, "\xEF\xBF\xBD");
                at += broken;
            } else if (!allowedInXml(code)) {
                ++repairs.forbiddenCharacters;
                mend(at, at + length, "");
                at += length;
            } else {
                at += length;
            }
            break;
        }
        }
    }
    if (copying) {
        out.append(reinterpret_cast<const char*>(data) + copiedTo, size - copiedTo);
        bytes = std::move(out);
    }
}

} // namespace

XmlText::Repairs XmlText::repair(const QString& fileName, const QString& partName, QByteArray& bytes)
{
    Repairs repairs;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith(QByteArrayView("<\0?\0", 4))) {
        bytes = decodeUtf16(bytes, QStringConverter::Utf16LE);
        repairs.decodedFrom = QStringLiteral("UTF-16");
        declareUtf8(bytes);
    } else if (bytes.startsWith("\xFE\xFF") || bytes.startsWith(QByteArrayView("\0<\0?", 4))) {
        bytes = decodeUtf16(bytes, QStringConverter::Utf16BE);
        repairs.decodedFrom = QStringLiteral("UTF-16");
        declareUtf8(bytes);
    } else {
        const qsizetype bom = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        const DeclaredEncoding declared = declaredEncoding(bytes, bom);
        if (declared.start >= 0 && !namesUtf8(declared.name)) {
            if (bom) {
                // The byte-order mark says UTF-8 whatever the declaration claims.
                declareUtf8(bytes);
            } else {
                bytes = decodeNamed(fileName, partName, bytes, declared.name);
                repairs.decodedFrom = QString::fromLatin1(declared.name);
                declareUtf8(bytes);
            }
        } else if (declared.start >= 0 && declared.name.toLower().startsWith("utf-16")) {
            declareUtf8(bytes);
        }
    }
    repairUtf8(bytes, repairs);
    return repairs;
}

QStringList XmlText::describe(const QString& partName, const Repairs& repairs)
{
    QStringList sentences;
    if (!repairs.decodedFrom.isEmpty()) {
        sentences
            << QStringLiteral("the part %1 was written in %2 and is kept in UTF-8").arg(partName, repairs.decodedFrom);
    }
    if (repairs.forbiddenCharacters > 0) {
        sentences << QStringLiteral("the part %1 held %2 character(s) that XML does not allow, which were left out")
                         .arg(partName)
                         .arg(repairs.forbiddenCharacters);
    }
    if (repairs.invalidSequences > 0) {
        sentences << QStringLiteral("the part %1 held %2 byte sequence(s) that are not UTF-8, each replaced by "
                                    "U+FFFD")
                         .arg(partName)
                         .arg(repairs.invalidSequences);
    }
    return sentences;
}

} // namespace quillsift::docx
