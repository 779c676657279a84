// SPDX-License-Identifier: GPL-3.0-or-later
#include "Package.h"

#include "engine/HostError.h"

#include <QSet>

#include <pugixml.hpp>
#include <zip.h>

#include <memory>

namespace quillsift::docx {

using engine::HostError;

namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const
    {
        zip_discard(archive);
    }
};

struct ZipFileCloser {
    void operator()(zip_file_t* file) const
    {
        zip_fclose(file);
    }
};

QString zipCause(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
        return QStringLiteral("the file is not a valid zip package (it may be truncated or damaged)");
    case ZIP_ER_CRC:
        return QStringLiteral("the package is damaged (a CRC check failed)");
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
        return QStringLiteral("the document is encrypted or password-protected");
    case ZIP_ER_MEMORY:
        return QStringLiteral("there is not enough memory to read the package");
    case ZIP_ER_COMPNOTSUPP:
        return QStringLiteral("the package uses a compression method that is not supported");
    default: {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        QString text = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return QStringLiteral("the package cannot be read (%1)").arg(text);
    }
    }
}

constexpr zip_uint32_t deflateLevel = 6;

bool isXmlPart(const QString& name)
{
    return name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".rels"), Qt::CaseInsensitive);
}

/// Resolves a relationship target against the folder of the part that holds the relationship.
QString resolveTarget(const QString& sourceFolder, const QString& target)
{
    QString path = target.startsWith(QLatin1Char('/')) ? target.mid(1) : sourceFolder + target;
    QStringList out;
    for (const QString& segment : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (!out.isEmpty()) {
                out.removeLast();
            }
        } else if (segment != QLatin1String(".")) {
            out << segment;
        }
    }
    return out.join(QLatin1Char('/'));
}

} // namespace

bool Package::looksLikeZip(const QByteArray& bytes)
{
    return bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06") || bytes.startsWith("PK\x07\x08");
}

bool Package::looksLikeCompoundFile(const QByteArray& bytes)
{
    return bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
}

Package Package::fromZip(const QString& fileName, const QByteArray& bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        throw HostError(fileName, zipCause(ZIP_ER_MEMORY));
    }
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        const int code = zip_error_code_zip(&error);
        zip_source_free(source);
        zip_error_fini(&error);
        throw HostError(fileName, zipCause(code));
    }
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count > maxEntries) {
        throw HostError(fileName, QStringLiteral("the package holds more than %1 parts").arg(maxEntries));
    }

    // Declared sizes are checked before anything is inflated; the reads below then stop at the
    // declared size, so a lying header cannot make us allocate more.
    struct Item {
        zip_uint64_t index;
        QString name;
        qint64 size;
    };
    std::vector<Item> items;
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), zip_uint64_t(i), 0, &stat) != 0) {
            throw HostError(fileName, zipCause(zip_error_code_zip(zip_get_error(archive.get()))));
        }
        if (!(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE)) {
            throw HostError(fileName, zipCause(ZIP_ER_INCONS));
        }
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
            throw HostError(fileName, zipCause(ZIP_ER_NOPASSWD));
        }
        const QString name = QString::fromUtf8(stat.name);
        if (name.endsWith(QLatin1Char('/'))) {
            continue; // a folder entry holds nothing
        }
        const qint64 size = stat.size > zip_uint64_t(maxTotalSize) ? maxTotalSize + 1 : qint64(stat.size);
        total += size;
        if (total > maxTotalSize) {
            throw HostError(fileName, QStringLiteral("the package would expand to more than 1 GiB"));
        }
        const qint64 compressed = (stat.valid & ZIP_STAT_COMP_SIZE) ? qint64(stat.comp_size) : size;
        if (size > (1 << 20) && size > maxExpansion * compressed) {
            throw HostError(fileName, QStringLiteral("the part %1 expands more than %2-fold, which only a hostile "
                                                     "package does")
                                          .arg(name)
                                          .arg(maxExpansion));
        }
        items.push_back({zip_uint64_t(i), name, size});
    }
    if (total > maxExpansion * qMax<qint64>(bytes.size(), 1) && total > (1 << 20)) {
        throw HostError(fileName,
                        QStringLiteral("the package expands more than %1-fold, which only a hostile package does")
                            .arg(maxExpansion));
    }

    Package package;
    package.m_entries.reserve(items.size());
    QSet<QString> seen;
    for (const Item& item : items) {
        const QString key = item.name.toLower();
        if (seen.contains(key)) {
            continue; // a repeated name: the first one is the part, as other readers take it
        }
        seen.insert(key);
        std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive.get(), item.index, 0));
        if (!file) {
            throw HostError(fileName, zipCause(zip_error_code_zip(zip_get_error(archive.get()))));
        }
        QByteArray data(item.size, Qt::Uninitialized);
        qint64 done = 0;
        while (done < item.size) {
            const zip_int64_t got = zip_fread(file.get(), data.data() + done, zip_uint64_t(item.size - done));
            if (got < 0) {
                throw HostError(fileName, zipCause(zip_error_code_zip(zip_file_get_error(file.get()))));
            }
            if (got == 0) {
                throw HostError(fileName, QStringLiteral("the part %1 is truncated").arg(item.name));
            }
            done += got;
        }
        // Reading past the declared size makes libzip verify the CRC of the whole entry.
        char probe = 0;
        if (zip_fread(file.get(), &probe, 1) != 0) {
            throw HostError(fileName, zipCause(ZIP_ER_CRC));
        }
        package.m_entries.push_back({item.name, std::move(data)});
    }
    // The relationships are checked first, since they name the main part, which is left to the
    // parser of the story.
    const auto check = [&](const Entry& entry) {
        if (isXmlPart(entry.name)) {
            checkXml(fileName, entry.name, entry.data);
        }
    };
    const Entry* relationships = package.find(QStringLiteral("_rels/.rels"));
    if (relationships) {
        check(*relationships);
    }
    const QString mainPart = package.mainPartName();
    for (const Entry& entry : package.m_entries) {
        if (&entry != relationships && entry.name.compare(mainPart, Qt::CaseInsensitive) != 0) {
            check(entry);
        }
    }
    return package;
}

void Package::checkXml(const QString& fileName, const QString& partName, const QByteArray& data)
{
    pugi::xml_document document;
    QByteArray copy(data.constData(), data.size());
    parseXml(fileName, partName, document, copy.data(), std::size_t(copy.size()), pugi::parse_default);
}

void Package::parseXml(const QString& fileName, const QString& partName, pugi::xml_document& document, char* data,
                       std::size_t size, unsigned options)
{
    const auto result =
        document.load_buffer_inplace(data, size, options | pugi::parse_doctype | pugi::parse_declaration);
    if (!result) {
        throw HostError(fileName, QStringLiteral("the part %1 is not well-formed XML (%2 at byte %3)")
                                      .arg(partName, QString::fromUtf8(result.description()))
                                      .arg(result.offset));
    }
    // Walk without recursion so that a deeply nested part cannot exhaust the stack here.
    pugi::xml_node node = document.first_child();
    int depth = 1;
    while (node) {
        if (node.type() == pugi::node_doctype) {
            throw HostError(fileName, QStringLiteral("the part %1 contains a document type or entity declaration, "
                                                     "which Word documents never do")
                                          .arg(partName));
        }
        if (depth > maxXmlDepth) {
            throw HostError(
                fileName,
                QStringLiteral("the part %1 is nested more than %2 elements deep").arg(partName).arg(maxXmlDepth));
        }
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node) {
            node = node.next_sibling();
        }
    }
}

const Package::Entry* Package::find(const QString& name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

Package::Entry* Package::find(const QString& name)
{
    return const_cast<Entry*>(static_cast<const Package*>(this)->find(name));
}

void Package::setData(const QString& name, const QByteArray& data)
{
    if (Entry* entry = find(name)) {
        entry->data = data;
    } else {
        m_entries.push_back({name, data});
    }
}

void Package::remove(const QString& name)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
            m_entries.erase(it);
            return;
        }
    }
}

QString Package::mainPartName() const
{
    const Entry* rels = find(QStringLiteral("_rels/.rels"));
    if (!rels) {
        return {};
    }
    pugi::xml_document document;
    if (!document.load_buffer(rels->data.constData(), size_t(rels->data.size()))) {
        return {};
    }
    for (pugi::xml_node relationship : document.document_element().children()) {
        const QString type = QString::fromUtf8(relationship.attribute("Type").value());
        const QString mode = QString::fromUtf8(relationship.attribute("TargetMode").value());
        if (type.endsWith(QLatin1String("/officeDocument")) && mode != QLatin1String("External")) {
            return resolveTarget(QString(), QString::fromUtf8(relationship.attribute("Target").value()));
        }
    }
    return {};
}

QByteArray Package::toZip(const QString& fileName) const
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) {
        zip_error_fini(&error);
        throw HostError(fileName, zipCause(ZIP_ER_MEMORY));
    }
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(buffer);
        zip_error_fini(&error);
        throw HostError(fileName, QStringLiteral("the package cannot be written"));
    }
    zip_error_fini(&error);
    auto fail = [&](const QString& cause) {
        zip_discard(archive);
        zip_source_free(buffer);
        throw HostError(fileName, cause);
    };
    for (const Entry& entry : m_entries) {
        zip_source_t* data = zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
        const QByteArray name = entry.name.toUtf8();
        const zip_int64_t index = data ? zip_file_add(archive, name.constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data) {
                zip_source_free(data);
            }
            fail(QStringLiteral("the part %1 cannot be written").arg(entry.name));
        }
        // libzip deflates at level 9 unless told otherwise, which on document XML takes about twice
        // the time of level 6 (zip's and zlib's default) and gives a file no smaller.
        if (zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, deflateLevel) != 0) {
            fail(QStringLiteral("the part %1 cannot be written").arg(entry.name));
        }
    }
    if (zip_close(archive) != 0) {
        fail(QStringLiteral("the package cannot be written"));
    }
    QByteArray out;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(buffer);
        zip_source_seek(buffer, 0, SEEK_SET);
        if (size > 0) {
            out.resize(size);
            if (zip_source_read(buffer, out.data(), zip_uint64_t(size)) != size) {
                out.clear();
            }
        }
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    if (out.isEmpty()) {
        throw HostError(fileName, QStringLiteral("the package cannot be written"));
    }
    return out;
}

} // namespace quillsift::docx
