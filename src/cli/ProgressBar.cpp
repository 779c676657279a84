// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressBar.h"

#include <QByteArray>

#include <unistd.h>

namespace quillsift::cli {

namespace {
constexpr int barWidth = 30;
constexpr char spinner[] = {'|', '/', '-', '\\'};
} // namespace

bool isTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

ProgressBar::ProgressBar(std::FILE* stream, qsizetype total)
    : m_stream(stream)
    , m_total(total)
    , m_enabled(isTerminal(stream))
{
    m_elapsed.start();
}

ProgressBar::~ProgressBar()
{
    clear();
}

bool ProgressBar::enabled() const
{
    return m_enabled;
}

void ProgressBar::show(qsizetype done)
{
    if (!m_enabled) {
        return;
    }
    const qsizetype filled = m_total > 0 ? done * barWidth / m_total : barWidth;
    QByteArray line = "\r[";
    line += QByteArray(filled, '#');
    line += QByteArray(barWidth - filled, '-');
    line += "] ";
    line += QByteArray::number(done) + '/' + QByteArray::number(m_total) + " files  ";
    line += QByteArray::number(double(m_elapsed.elapsed()) / 1000.0, 'f', 1) + " s ";
    line += done < m_total ? spinner[m_spin++ % int(sizeof spinner)] : ' ';
    // Erase what a longer earlier line left behind.
    line += "\033[K";
    std::fwrite(line.constData(), 1, size_t(line.size()), m_stream);
    std::fflush(m_stream);
    m_drawn = true;
}

void ProgressBar::clear()
{
    if (!m_enabled || !m_drawn) {
        return;
    }
    std::fputs("\r\033[K", m_stream);
    std::fflush(m_stream);
    m_drawn = false;
}

} // namespace quillsift::cli
