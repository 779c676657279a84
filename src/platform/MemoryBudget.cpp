// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryBudget.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>

#include <sys/resource.h>
#include <unistd.h>

namespace quillsift::platform {

namespace {

QByteArray readSmallFile(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 16) : QByteArray();
}

/// A number in bytes from a /proc or /sys file; negative where absent or "max".
qint64 numberIn(const char* path)
{
    bool ok = false;
    const qint64 value = readSmallFile(path).trimmed().toLongLong(&ok);
    return ok ? value : -1;
}

qint64 memAvailable()
{
    for (const QByteArray& line : readSmallFile("/proc/meminfo").split('\n')) {
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kib * 1024 : -1;
        }
    }
    return -1;
}

/// What the process's control group (cgroup v2) still allows; negative without a limit.
qint64 groupAllows()
{
    const QByteArray entry = readSmallFile("/proc/self/cgroup").split('\n').value(0);
    if (!entry.startsWith("0::")) {
        return -1;
    }
    const QByteArray folder = "/sys/fs/cgroup" + entry.mid(3).trimmed();
    const qint64 limit = numberIn((folder + "/memory.max").constData());
    const qint64 used = numberIn((folder + "/memory.current").constData());
    return limit < 0 || used < 0 ? -1 : std::max<qint64>(0, limit - used);
}

/// What the address-space and data limits still allow; negative without a limit.
qint64 limitsAllow()
{
    qint64 allows = -1;
    const QList<QByteArray> statm = readSmallFile("/proc/self/statm").split(' ');
    const qint64 pages = statm.value(0).toLongLong();
    const qint64 size = pages * qint64(sysconf(_SC_PAGESIZE));
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit limit{};
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            const qint64 left = std::max<qint64>(0, qint64(limit.rlim_cur) - size);
            allows = allows < 0 ? left : std::min(allows, left);
        }
    }
    return allows;
}

} // namespace

qint64 SystemMemory::available() const
{
    qint64 result = -1;
    for (const qint64 figure : {memAvailable(), groupAllows(), limitsAllow()}) {
        if (figure >= 0) {
            result = result < 0 ? figure : std::min(result, figure);
        }
    }
    return result;
}

const MemoryBudget& systemMemory()
{
    static const SystemMemory memory;
    return memory;
}

} // namespace quillsift::platform
