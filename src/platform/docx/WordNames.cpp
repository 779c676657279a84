// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordNames.h"

#include "XmlText.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

namespace quillsift::docx {

WordNames::WordNames(const XmlTree::Prefixes& prefixes)
    : m_prefix(prefixes.word)
    , m_mcPrefix(prefixes.compatibility)
    , m_found(prefixes.wordRoot)
{
    auto q = [this](const char* local) { return qualified(local); };
    body = q("body");
    p = q("p");
    pPr = q("pPr");
    sectPr = q("sectPr");
    r = q("r");
    rPr = q("rPr");
    t = q("t");
    tab = q("tab");
    ptab = q("ptab");
    br = q("br");
    cr = q("cr");
    noBreakHyphen = q("noBreakHyphen");
    softHyphen = q("softHyphen");
    sym = q("sym");
    drawing = q("drawing");
    ruby = q("ruby");
    subDoc = q("subDoc");
    pict = q("pict");
    object = q("object");
    footnoteReference = q("footnoteReference");
    endnoteReference = q("endnoteReference");
    fldChar = q("fldChar");
    fldCharType = q("fldCharType");
    instrText = q("instrText");
    delText = q("delText");
    del = q("del");
    ins = q("ins");
    moveFrom = q("moveFrom");
    moveTo = q("moveTo");
    hyperlink = q("hyperlink");
    smartTag = q("smartTag");
    sdt = q("sdt");
    sdtContent = q("sdtContent");
    customXml = q("customXml");
    fldSimple = q("fldSimple");
    dir = q("dir");
    bdo = q("bdo");
    tbl = q("tbl");
    tr = q("tr");
    tc = q("tc");
    type = q("type");
    charAttr = q("char");
    b = q("b");
    i = q("i");
    u = q("u");
    val = q("val");
    const std::string mc = m_mcPrefix.empty() ? std::string() : m_mcPrefix + ":";
    alternateContent = mc + "AlternateContent";
    choice = mc + "Choice";
    fallback = mc + "Fallback";
    const char* markers[] = {"bookmarkStart",    "bookmarkEnd",   "commentRangeStart",  "commentRangeEnd",
                             "permStart",        "permEnd",       "moveFromRangeStart", "moveFromRangeEnd",
                             "moveToRangeStart", "moveToRangeEnd"};
    for (int k = 0; k < 10; ++k) {
        markerNames[k] = q(markers[k]);
    }
}

std::string WordNames::qualified(const char* local) const
{
    return m_prefix.empty() ? std::string(local) : m_prefix + ":" + local;
}

bool WordNames::isMarker(const char* name) const
{
    // The name's length is taken once and compared first: most names are no marker's length.
    const std::string_view wanted(name);
    return std::any_of(std::begin(markerNames), std::end(markerNames),
                       [&](const std::string& marker) { return marker == wanted; });
}

bool WordNames::isMath(const char* name)
{
    const std::string_view qualified(name);
    const std::size_t colon = qualified.find(':');
    const std::string_view local = colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
    return local == "oMath" || local == "oMathPara";
}

void preserveSpaces(pugi::xml_node textElement)
{
    // An element that says "default" would have its edited text's spaces at the ends dropped.
    pugi::xml_attribute space = textElement.attribute("xml:space");
    if (!space) {
        space = textElement.append_attribute("xml:space");
    } else if (std::strcmp(space.value(), "preserve") == 0) {
        return;
    }
    space = "preserve";
}

void dropUnpreservedSpaces(pugi::xml_node textElement)
{
    const char* value = textElement.text().get();
    const std::size_t bytes = std::strlen(value);
    if (bytes == 0 || (!XmlText::isSpace(value[0]) && !XmlText::isSpace(value[bytes - 1]))) {
        return;
    }
    for (pugi::xml_node node = textElement; node; node = node.parent()) {
        if (const pugi::xml_attribute space = node.attribute("xml:space")) {
            if (std::strcmp(space.value(), "preserve") == 0) {
                return;
            }
            break;
        }
    }
    std::size_t begin = 0;
    while (begin < bytes && XmlText::isSpace(value[begin])) {
        ++begin;
    }
    std::size_t end = bytes;
    while (end > begin && XmlText::isSpace(value[end - 1])) {
        --end;
    }
    const std::string kept(value + begin, end - begin);
    textElement.text().set(kept.c_str(), kept.size());
}

} // namespace quillsift::docx
