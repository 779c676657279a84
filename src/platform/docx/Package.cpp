// SPDX-License-Identifier: GPL-3.0-or-later
#include "Package.h"

#include "Deflate.h"
#include "Relationships.h"

#include "engine/HostError.h"

#include <QHash>
#include <QRegularExpression>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

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

/// The cause of a libzip failure in plain words; part is the entry being read, if any.
QString zipCause(int code, const QString& part = QString())
{
    switch (code) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
    case ZIP_ER_MULTIDISK: // a damaged header reads as a disk number
        return QStringLiteral("the file is not a valid zip package (it may be truncated or damaged)");
    case ZIP_ER_EOF:
    case ZIP_ER_SEEK:
    case ZIP_ER_TELL:
        return QStringLiteral("the package is truncated (it ends before the data its index names)");
    case ZIP_ER_CRC:
        return part.isEmpty() ? QStringLiteral("the package is damaged (a CRC check failed)")
                              : QStringLiteral("the package is damaged (the CRC check of %1 failed)").arg(part);
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
    case ZIP_ER_INVAL:
        return part.isEmpty() ? QStringLiteral("the file is not a valid zip package (it may be truncated or damaged)")
                              : QStringLiteral("the compressed data of %1 is damaged").arg(part);
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
        return QStringLiteral("the document is encrypted or password-protected");
    case ZIP_ER_MEMORY:
        return QStringLiteral("there is not enough memory to read the package");
    case ZIP_ER_COMPNOTSUPP:
        return part.isEmpty() ? QStringLiteral("the package uses a compression method that is not supported")
                              : QStringLiteral("%1 is compressed with a method that is not supported").arg(part);
    default: {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString text = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return part.isEmpty() ? QStringLiteral("the package cannot be read (%1)").arg(text)
                              : QStringLiteral("the part %1 cannot be read (%2)").arg(part, text);
    }
    }
}

/// Whether an entry's name leaves the package's root: absolute, with a drive, or climbing with "..".
bool climbsOut(const QString& name)
{
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')) ||
        (name.size() > 1 && name[1] == QLatin1Char(':'))) {
        return true;
    }
    int depth = 0;
    for (const QString& segment : name.split(QRegularExpression(QStringLiteral("[/\\\\]")))) {
        if (segment == QLatin1String("..")) {
            if (--depth < 0) {
                return true;
            }
        } else if (!segment.isEmpty() && segment != QLatin1String(".")) {
            ++depth;
        }
    }
    return false;
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
    QHash<QString, QString> seen; // lower-case name to the name first read
    for (const Item& item : items) {
        if (climbsOut(item.name)) {
            package.addNote(
                QStringLiteral("the entry %1 names a place outside the package and was left out").arg(item.name));
            continue;
        }
        const QString key = item.name.toLower();
        if (const auto first = seen.constFind(key); first != seen.constEnd()) {
            // As other readers take it, the first of a name is the part.
            package.addNote(*first == item.name
                                ? QStringLiteral("the package holds the entry %1 twice; the first is used and "
                                                 "the other was left out")
                                      .arg(item.name)
                                : QStringLiteral("the package holds the entries %1 and %2, whose names differ only "
                                                 "in letter case; the first is used and the other was left out")
                                      .arg(*first, item.name));
            continue;
        }
        seen.insert(key, item.name);
        std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive.get(), item.index, 0));
        if (!file) {
            throw HostError(fileName, zipCause(zip_error_code_zip(zip_get_error(archive.get())), item.name));
        }
        QByteArray data(item.size, Qt::Uninitialized);
        qint64 done = 0;
        while (done < item.size) {
            const zip_int64_t got = zip_fread(file.get(), data.data() + done, zip_uint64_t(item.size - done));
            if (got < 0) {
                throw HostError(fileName, zipCause(zip_error_code_zip(zip_file_get_error(file.get())), item.name));
            }
            if (got == 0) {
                throw HostError(fileName, QStringLiteral("the part %1 is truncated").arg(item.name));
            }
            done += got;
        }
        // Reading past the declared size makes libzip verify the CRC of the whole entry.
        char probe = 0;
        const zip_int64_t beyond = zip_fread(file.get(), &probe, 1);
        if (beyond != 0) {
            throw HostError(fileName,
                            beyond < 0 ? zipCause(zip_error_code_zip(zip_file_get_error(file.get())), item.name)
                                       : QStringLiteral("the part %1 is longer than the package says").arg(item.name));
        }
        package.m_entries.push_back({item.name, std::move(data), nullptr});
    }
    return package;
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
        entry->deflated.reset();
    } else {
        m_entries.push_back({name, data, nullptr});
    }
}

void Package::setDeflated(const QString& name, Deflated deflated)
{
    auto bytes = std::make_shared<const Deflated>(std::move(deflated));
    if (Entry* entry = find(name)) {
        entry->data = QByteArray();
        entry->deflated = std::move(bytes);
    } else {
        m_entries.push_back({name, QByteArray(), std::move(bytes)});
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
    const Relationships relationships(QString(), rels->data);
    for (const auto& relationship : relationships.all()) {
        if (relationship.isOfKind(QStringLiteral("officeDocument")) && !relationship.external) {
            return relationship.part;
        }
    }
    return {};
}

namespace {

/// A zip source of a part deflated beforehand, which libzip writes as it is: its size, CRC and
/// method come with it, so there is nothing left to compress.
class DeflatedSource
{
  public:
    explicit DeflatedSource(const Deflated& deflated)
        : m_deflated(deflated)
    {
        zip_error_init(&m_error);
    }
    ~DeflatedSource()
    {
        zip_error_fini(&m_error);
    }
    DeflatedSource(const DeflatedSource&) = delete;
    DeflatedSource& operator=(const DeflatedSource&) = delete;

    static zip_int64_t command(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        return static_cast<DeflatedSource*>(state)->run(data, length, command);
    }

  private:
    zip_int64_t run(void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        const QByteArray& bytes = m_deflated.bytes;
        switch (command) {
        case ZIP_SOURCE_OPEN:
            m_offset = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const auto count = std::min<zip_uint64_t>(length, zip_uint64_t(bytes.size() - m_offset));
            std::memcpy(data, bytes.constData() + m_offset, count);
            m_offset += qsizetype(count);
            return zip_int64_t(count);
        }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m_error);
            if (!stat) {
                return -1;
            }
            zip_stat_init(stat);
            stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
            stat->size = zip_uint64_t(m_deflated.size);
            stat->comp_size = zip_uint64_t(bytes.size());
            stat->comp_method = ZIP_CM_DEFLATE;
            stat->crc = m_deflated.crc;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_FREE:
            delete this;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&m_error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    const Deflated& m_deflated;
    qsizetype m_offset = 0;
    zip_error_t m_error;
};

/// Whether every part deflated beforehand went into archive as it was given.
bool keptAsDeflated(const QByteArray& archive, const std::vector<std::optional<Deflated>>& deflated)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archive.constData(), zip_uint64_t(archive.size()), 0, &error);
    zip_t* reread = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!reread) {
        if (source) {
            zip_source_free(source);
        }
        return false;
    }
    const std::unique_ptr<zip_t, ZipCloser> closer(reread);
    for (std::size_t i = 0; i < deflated.size(); ++i) {
        if (!deflated[i]) {
            continue;
        }
        zip_stat_t stat;
        if (zip_stat_index(reread, zip_uint64_t(i), 0, &stat) != 0 || stat.comp_method != ZIP_CM_DEFLATE ||
            stat.comp_size != zip_uint64_t(deflated[i]->bytes.size()) || stat.size != zip_uint64_t(deflated[i]->size) ||
            stat.crc != deflated[i]->crc) {
            return false;
        }
    }
    return true;
}

} // namespace

QByteArray Package::toZip(const QString& fileName, platform::ProcessorShare* processors) const
{
    // A large part (the main document) is deflated in pieces on several threads before libzip
    // writes it, unless it comes deflated already; the rest libzip deflates itself.
    std::vector<std::optional<Deflated>> deflated(m_entries.size());
    bool anyDeflated = false;
    try {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            const QByteArray& data = m_entries[i].data;
            if (m_entries[i].deflated) {
                deflated[i] = *m_entries[i].deflated;
                anyDeflated = true;
            } else if (const std::size_t pieces = deflatePieces(data.size()); pieces > 1) {
                deflated[i] = deflateInPieces(data, zipDeflateLevel, pieces, processors);
                anyDeflated = true;
            }
        }
        QByteArray out = writeZip(fileName, deflated);
        // A libzip that compressed the given bytes once more would make a package no one can read:
        // what was written is checked, and written the plain way if it is not what was given.
        if (anyDeflated && !keptAsDeflated(out, deflated)) {
            Package plain = *this;
            for (Entry& entry : plain.m_entries) {
                if (entry.deflated) {
                    entry.data = inflated(*entry.deflated);
                    entry.deflated.reset();
                }
            }
            out = plain.writeZip(fileName, std::vector<std::optional<Deflated>>(m_entries.size()));
        }
        return out;
    } catch (const std::bad_alloc&) {
        throw HostError(fileName, QStringLiteral("there is not enough memory to write the package"));
    }
}

QByteArray Package::writeZip(const QString& fileName, const std::vector<std::optional<Deflated>>& deflated) const
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
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[i];
        zip_source_t* data = nullptr;
        if (deflated[i]) {
            auto* state = new DeflatedSource(*deflated[i]);
            data = zip_source_function(archive, &DeflatedSource::command, state);
            if (!data) {
                delete state;
            }
        } else {
            data = zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
        }
        const QByteArray name = entry.name.toUtf8();
        const zip_int64_t index = data ? zip_file_add(archive, name.constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data) {
                zip_source_free(data);
            }
            fail(QStringLiteral("the part %1 cannot be written").arg(entry.name));
        }
        if (deflated[i]) {
            continue;
        }
        // libzip deflates at level 9 unless told otherwise.
        if (zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, zipDeflateLevel) != 0) {
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
