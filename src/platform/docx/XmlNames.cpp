// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlNames.h"

#include <unicode/uchar.h>

namespace quillsift::docx::XmlNames {

Name split(const char* name)
{
    Name result;
    const char* colon = nullptr;
    unsigned char high = 0;
    const char* at = name;
    for (char c = *at; c; c = *++at) {
        high |= static_cast<unsigned char>(c);
        if (c == ':') {
            result.wellFormed = result.wellFormed && !colon;
            colon = at;
        }
    }
    result.ascii = high < 0x80;
    if (!colon) {
        result.local = std::string_view(name, std::size_t(at - name));
        result.wellFormed = at != name;
        return result;
    }
    result.prefix = std::string_view(name, std::size_t(colon - name));
    result.local = std::string_view(colon + 1, std::size_t(at - colon - 1));
    result.wellFormed = result.wellFormed && colon != name && at != colon + 1;
    return result;
}

namespace {

bool isNameStart(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameCharacter(char32_t c)
{
    return isNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

/// Whether a character may stand in a name for every reader.
bool isNameCharacterEverywhere(char32_t c, bool first)
{
    if (!(first ? isNameStart(c) : isNameCharacter(c))) {
        return false;
    }
    if (c < 0x80) {
        return true;
    }
    switch (u_charType(UChar32(c))) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_OTHER_LETTER:
    case U_MODIFIER_LETTER:
    case U_LETTER_NUMBER:
        return true;
    case U_NON_SPACING_MARK:
    case U_COMBINING_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_DECIMAL_DIGIT_NUMBER:
        return !first;
    default:
        return c == 0xB7 && !first;
    }
}

} // namespace

bool isName(std::string_view name)
{
    bool first = true;
    for (std::size_t at = 0; at < name.size();) {
        const auto lead = static_cast<unsigned char>(name[at]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length && at + std::size_t(k) < name.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(name[at + std::size_t(k)]) & 0x3F);
        }
        if (!isNameCharacterEverywhere(code, first)) {
            return false;
        }
        first = false;
        at += std::size_t(length);
    }
    return true;
}

} // namespace quillsift::docx::XmlNames
