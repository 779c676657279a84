// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlTree.h"

#include "Package.h"
#include "XmlNames.h"
#include "XmlWellFormed.h"

#include "engine/HostError.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillsift::docx {

using engine::HostError;

namespace {

/// The namespaces the host reads by prefix, in the order of spaceUris.
enum Space : int {
    Other = -1,
    Transitional = 0,
    Strict = 1,
    Compatibility = 2,
};
constexpr int spaceCount = 3;
constexpr std::array<std::string_view, spaceCount> spaceUris = {
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
    "http://purl.oclc.org/ooxml/wordprocessingml/main",
    "http://schemas.openxmlformats.org/markup-compatibility/2006",
};
constexpr std::array<std::string_view, spaceCount> usualPrefixes = {"w", "w", "mc"};

Space spaceOf(std::string_view uri)
{
    for (int space = 0; space < spaceCount; ++space) {
        if (uri == spaceUris[std::size_t(space)]) {
            return Space(space);
        }
    }
    return Other;
}

struct Binding {
    std::string_view prefix;
    std::string_view uri;
    Space space = Other;
};

/// The prefix an attribute named name declares ("" for the default namespace), or nothing when
/// it declares none.
std::optional<std::string_view> declaredPrefix(const char* name)
{
    if (name[0] != 'x' || std::strncmp(name, "xmlns", 5) != 0) {
        return std::nullopt;
    }
    if (name[5] == '\0') {
        return std::string_view();
    }
    if (name[5] == ':') {
        return std::string_view(name + 6);
    }
    return std::nullopt;
}

constexpr std::string_view xmlUri = "http://www.w3.org/XML/1998/namespace";

/// The namespace bindings in force at the element being visited.
class Scope
{
  public:
    void enter(pugi::xml_node element)
    {
        m_marks.push_back(m_bindings.size());
        for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
             attribute = attribute.next_attribute()) {
            if (const auto prefix = declaredPrefix(attribute.name())) {
                const std::string_view uri = attribute.value();
                m_bindings.push_back({*prefix, uri, spaceOf(uri)});
                m_cacheValid = false;
            }
        }
    }
    void leave()
    {
        if (m_bindings.size() != m_marks.back()) {
            m_bindings.resize(m_marks.back());
            m_cacheValid = false;
        }
        m_marks.pop_back();
    }
    /// The binding of prefix in force here; nullptr when it is unbound.
    const Binding* resolve(std::string_view prefix)
    {
        // Nearly every name of a part has the same prefix, so the last answer is kept.
        if (m_cacheValid && prefix == m_cached.prefix) {
            return &m_cached;
        }
        for (auto it = m_bindings.rbegin(); it != m_bindings.rend(); ++it) {
            if (it->prefix == prefix) {
                m_cached = *it;
                m_cacheValid = true;
                return &m_cached;
            }
        }
        return nullptr;
    }
    /// Whether the bindings of the element entered last include prefix to uri.
    bool bindsHere(std::string_view prefix, std::string_view uri) const
    {
        return std::any_of(m_bindings.begin() + std::ptrdiff_t(m_marks.back()), m_bindings.end(),
                           [&](const Binding& binding) { return binding.prefix == prefix && binding.uri == uri; });
    }

  private:
    std::vector<Binding> m_bindings;
    std::vector<std::size_t> m_marks;
    Binding m_cached;
    bool m_cacheValid = false;
};

/// Calls enter for every element under and including root in document order, and leave once its
/// descendants are done, without recursion.
template <typename Enter, typename Leave> void walkElements(pugi::xml_node root, Enter enter, Leave leave)
{
    const auto firstElement = [](pugi::xml_node node) {
        while (node && node.type() != pugi::node_element) {
            node = node.next_sibling();
        }
        return node;
    };
    pugi::xml_node node = root;
    int depth = 1;
    enter(node, depth);
    for (;;) {
        if (pugi::xml_node child = firstElement(node.first_child())) {
            node = child;
            enter(node, ++depth);
            continue;
        }
        for (;;) {
            leave();
            if (node == root) {
                return;
            }
            if (pugi::xml_node sibling = firstElement(node.next_sibling())) {
                node = sibling;
                enter(node, depth);
                break;
            }
            node = node.parent();
            --depth;
        }
    }
}

/// The two passes over a parsed part: the checks, and where needed the renaming.
class NamespaceWalk
{
  public:
    NamespaceWalk(const QString& fileName, const QString& partName)
        : m_fileName(fileName)
        , m_partName(partName)
    {
    }

    void check(pugi::xml_node root)
    {
        Scope scope;
        walkElements(
            root,
            [&](pugi::xml_node element, int depth) {
                if (depth > Package::maxXmlDepth) {
                    throw XmlWellFormed::nestingRefusal(m_fileName, m_partName);
                }
                scope.enter(element);
                checkElement(scope, element, depth == 1);
            },
            [&] { scope.leave(); });
        for (int space = 0; space < spaceCount; ++space) {
            choosePrefix(space);
        }
    }

    bool needsRenaming() const
    {
        return std::any_of(m_spaces.begin(), m_spaces.end(),
                           [](const SpaceUse& use) { return use.used && use.rename; });
    }

    void rename(pugi::xml_node root)
    {
        Scope scope;
        std::string renamed;
        walkElements(
            root,
            [&](pugi::xml_node element, int) {
                scope.enter(element);
                bool changed = false;
                if (const SpaceUse* use = renaming(scope, element.name(), true)) {
                    element.set_name(qualified(*use, element.name(), renamed).c_str());
                }
                for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
                     attribute = attribute.next_attribute()) {
                    if (declaredPrefix(attribute.name())) {
                        continue;
                    }
                    if (const SpaceUse* use = renaming(scope, attribute.name(), false)) {
                        attribute.set_name(qualified(*use, attribute.name(), renamed).c_str());
                        changed = true;
                    }
                }
                if (changed) {
                    checkAttributesDiffer(element);
                }
            },
            [&] { scope.leave(); });
    }

    /// Declares on the root each prefix the part now uses that the root does not bind yet.
    void declareOnRoot(pugi::xml_node root)
    {
        Scope scope;
        scope.enter(root);
        for (int space = 0; space < spaceCount; ++space) {
            const SpaceUse& use = m_spaces[std::size_t(space)];
            if (use.used && !use.prefix.empty() && !scope.bindsHere(use.prefix, spaceUris[std::size_t(space)])) {
                root.append_attribute(("xmlns:" + use.prefix).c_str())
                    .set_value(std::string(spaceUris[std::size_t(space)]).c_str());
            }
        }
    }

    XmlTree::Prefixes prefixes() const
    {
        XmlTree::Prefixes result;
        int word = m_rootSpace == Transitional || m_rootSpace == Strict ? m_rootSpace : Other;
        if (word == Other) {
            word = m_spaces[Transitional].used ? Transitional : (m_spaces[Strict].used ? Strict : Other);
        }
        result.wordRoot = word != Other;
        if (word != Other) {
            result.word = m_spaces[std::size_t(word)].prefix;
        }
        if (m_spaces[Compatibility].used) {
            result.compatibility = m_spaces[Compatibility].prefix;
        }
        return result;
    }

  private:
    struct SpaceUse {
        bool used = false;
        bool mixed = false;
        bool rename = false;
        std::string_view first;
        std::string_view onRoot;
        bool boundOnRoot = false;
        std::string prefix;
    };

    [[noreturn]] void fail(const QString& what) const
    {
        throw HostError(m_fileName, QStringLiteral("the part %1 is not well-formed XML: %2").arg(m_partName, what));
    }

    /// The space a name is in; fails when it is no name namespaces allow or its prefix is not
    /// declared.
    Space spaceOfName(Scope& scope, const char* text, bool element, std::string_view& prefix)
    {
        const XmlNames::Name name = XmlNames::split(text);
        if (!name.wellFormed || (!name.ascii && !(XmlNames::isName(name.prefix) && XmlNames::isName(name.local)))) {
            fail(QStringLiteral("it has a name that namespaces do not allow (\"%1\")").arg(QString::fromUtf8(text)));
        }
        prefix = name.prefix;
        if (prefix.empty() && !element) {
            return Other; // an attribute without a prefix is in no namespace
        }
        if (prefix == "xml") {
            return Other;
        }
        if (prefix == "xmlns") {
            fail(QStringLiteral("it uses the reserved prefix \"xmlns\" in the name %1").arg(QString::fromUtf8(text)));
        }
        const Binding* binding = scope.resolve(prefix);
        if (!binding) {
            if (prefix.empty()) {
                return Other;
            }
            fail(QStringLiteral("it uses the prefix \"%1\", which is not declared")
                     .arg(QString::fromUtf8(prefix.data(), qsizetype(prefix.size()))));
        }
        return binding->space;
    }

    void note(Space space, std::string_view prefix)
    {
        if (space == Other) {
            return;
        }
        SpaceUse& use = m_spaces[std::size_t(space)];
        if (!use.used) {
            use.used = true;
            use.first = prefix;
        } else if (prefix != use.first) {
            use.mixed = true;
        }
    }

    void checkDeclaration(std::string_view prefix, pugi::xml_attribute attribute, bool isRoot)
    {
        const std::string_view uri = attribute.value();
        const auto shown = [&] { return QString::fromUtf8(prefix.data(), qsizetype(prefix.size())); };
        if (!prefix.empty() && uri.empty()) {
            fail(QStringLiteral("it binds the prefix \"%1\" to no namespace").arg(shown()));
        }
        const bool emptyPrefix = attribute.name()[5] == ':' && prefix.empty();
        if (emptyPrefix || prefix == "xmlns" || (prefix == "xml") != (uri == xmlUri) ||
            prefix.find(':') != std::string_view::npos) {
            fail(QStringLiteral("it binds the prefix \"%1\" as namespaces forbid").arg(shown()));
        }
        const Space bound = spaceOf(uri);
        if (isRoot && bound != Other && !prefix.empty() && !m_spaces[std::size_t(bound)].boundOnRoot) {
            m_spaces[std::size_t(bound)].boundOnRoot = true;
            m_spaces[std::size_t(bound)].onRoot = prefix;
        }
        m_declarations.push_back({prefix, uri, bound});
    }

    void checkElement(Scope& scope, pugi::xml_node element, bool isRoot)
    {
        std::string_view prefix;
        const Space space = spaceOfName(scope, element.name(), true, prefix);
        note(space, prefix);
        if (isRoot) {
            m_rootSpace = space;
            m_rootPrefix = prefix;
        }
        bool several = false;
        for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
             attribute = attribute.next_attribute()) {
            several = several || attribute != element.first_attribute();
            if (const auto declared = declaredPrefix(attribute.name())) {
                checkDeclaration(*declared, attribute, isRoot);
                continue;
            }
            std::string_view attributePrefix;
            note(spaceOfName(scope, attribute.name(), false, attributePrefix), attributePrefix);
        }
        if (several) {
            checkAttributesDiffer(element);
        }
    }

    void checkAttributesDiffer(pugi::xml_node element) const
    {
        // Most elements have a few attributes, compared pair by pair without allocating; an
        // element with many has them sorted, so that no element costs more than n log n.
        constexpr int few = 8;
        std::array<std::string_view, few> some;
        int count = 0;
        pugi::xml_attribute attribute = element.first_attribute();
        for (; attribute && count < few; attribute = attribute.next_attribute()) {
            some[std::size_t(count++)] = attribute.name();
        }
        if (!attribute) {
            for (int a = 0; a < count; ++a) {
                for (int b = a + 1; b < count; ++b) {
                    if (some[std::size_t(a)] == some[std::size_t(b)]) {
                        failTwice(some[std::size_t(a)]);
                    }
                }
            }
            return;
        }
        std::vector<std::string_view> names(some.begin(), some.end());
        for (; attribute; attribute = attribute.next_attribute()) {
            names.emplace_back(attribute.name());
        }
        std::sort(names.begin(), names.end());
        const auto twice = std::adjacent_find(names.begin(), names.end());
        if (twice != names.end()) {
            failTwice(*twice);
        }
    }

    [[noreturn]] void failTwice(std::string_view name) const
    {
        fail(QStringLiteral("it gives the attribute %1 twice on one element")
                 .arg(QString::fromUtf8(name.data(), qsizetype(name.size()))));
    }

    void choosePrefix(int space)
    {
        SpaceUse& use = m_spaces[std::size_t(space)];
        if (!use.used) {
            return;
        }
        // The prefix the root binds, else the root's own, else the usual one; never the default
        // namespace, since the attributes of WordprocessingML are always prefixed.
        std::string_view preferred = usualPrefixes[std::size_t(space)];
        if (use.boundOnRoot) {
            preferred = use.onRoot;
        } else if (m_rootSpace == space && !m_rootPrefix.empty()) {
            preferred = m_rootPrefix;
        }
        const std::string_view uri = spaceUris[std::size_t(space)];
        const auto takenElsewhere = [&](std::string_view prefix) {
            return std::any_of(m_declarations.begin(), m_declarations.end(),
                               [&](const Binding& binding) { return binding.prefix == prefix && binding.uri != uri; });
        };
        std::string prefix(preferred);
        for (int n = 1; takenElsewhere(prefix); ++n) {
            prefix = std::string(preferred) + std::to_string(n);
        }
        use.prefix = prefix;
        use.rename = use.mixed || use.first != std::string_view(use.prefix);
    }

    /// The use whose prefix name must take instead of its own, or nullptr.
    const SpaceUse* renaming(Scope& scope, const char* name, bool element)
    {
        std::string_view prefix;
        const Space space = spaceOfName(scope, name, element, prefix);
        if (space == Other) {
            return nullptr;
        }
        const SpaceUse& use = m_spaces[std::size_t(space)];
        // A name spelt with the part's prefix already stays as it is.
        if (!use.rename || use.prefix.empty() || prefix == std::string_view(use.prefix)) {
            return nullptr;
        }
        return &use;
    }

    static const std::string& qualified(const SpaceUse& use, const char* name, std::string& out)
    {
        const char* colon = std::strchr(name, ':');
        out = use.prefix;
        out += ':';
        out += colon ? colon + 1 : name;
        return out;
    }

    const QString& m_fileName;
    const QString& m_partName;
    std::array<SpaceUse, spaceCount> m_spaces;
    std::vector<Binding> m_declarations;
    Space m_rootSpace = Other;
    std::string_view m_rootPrefix;
};

/// Gives the XML declaration, which pugixml reads like any processing instruction, only what a
/// declaration may hold, in its order: the version, the encoding (UTF-8, as the part is written)
/// and whether it stands alone.
void normalizeDeclaration(pugi::xml_document& document)
{
    pugi::xml_node declaration = document.first_child();
    if (declaration.type() != pugi::node_declaration) {
        return;
    }
    const char* names[] = {"version", "encoding", "standalone"};
    std::size_t next = 0;
    bool sound = true;
    for (pugi::xml_attribute attribute = declaration.first_attribute(); attribute && sound;
         attribute = attribute.next_attribute()) {
        while (next < 3 && std::strcmp(attribute.name(), names[next]) != 0) {
            ++next;
        }
        sound = next < 3 && (next != 0 || std::strcmp(attribute.value(), "1.0") == 0) &&
                (next != 2 || std::strcmp(attribute.value(), "yes") == 0 || std::strcmp(attribute.value(), "no") == 0);
        ++next;
    }
    sound = sound && std::strcmp(declaration.first_attribute().name(), "version") == 0;
    if (sound) {
        return;
    }
    const bool standalone = std::strcmp(declaration.attribute("standalone").value(), "yes") == 0;
    while (declaration.first_attribute()) {
        declaration.remove_attribute(declaration.first_attribute());
    }
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    if (standalone) {
        declaration.append_attribute("standalone").set_value("yes");
    }
}

} // namespace

XmlTree::Prefixes XmlTree::parse(const QString& fileName, const QString& partName, pugi::xml_document& document,
                                 char* data, std::size_t size, unsigned options)
{
    // As a fragment, so that text beside the root element is kept where it can be seen and
    // refused, rather than dropped unseen.
    const auto result = document.load_buffer_inplace(
        data, size, options | pugi::parse_doctype | pugi::parse_declaration | pugi::parse_fragment);
    const auto malformed = [&](const QString& what) {
        return HostError(fileName, QStringLiteral("the part %1 is not well-formed XML: %2").arg(partName, what));
    };
    if (!result) {
        throw malformed(
            QStringLiteral("%1 at byte %2").arg(QString::fromUtf8(result.description())).arg(result.offset));
    }
    pugi::xml_node root;
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
        switch (node.type()) {
        case pugi::node_doctype:
            throw XmlWellFormed::documentTypeRefusal(fileName, partName);
        case pugi::node_declaration:
            // The part is written back in UTF-8 whatever it was read in, so its declaration must say so.
            if (pugi::xml_attribute encoding = node.attribute("encoding")) {
                encoding.set_value("UTF-8");
            }
            break;
        case pugi::node_element:
            if (root) {
                throw malformed(QStringLiteral("it has a second root element, %1").arg(QString::fromUtf8(node.name())));
            }
            root = node;
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            throw malformed(QStringLiteral("text stands outside its root element"));
        default:
            break;
        }
    }
    if (!root) {
        throw malformed(QStringLiteral("it has no root element"));
    }
    normalizeDeclaration(document);
    NamespaceWalk walk(fileName, partName);
    walk.check(root);
    if (walk.needsRenaming()) {
        walk.rename(root);
    }
    walk.declareOnRoot(root);
    return walk.prefixes();
}

} // namespace quillsift::docx
