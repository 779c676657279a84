// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>

#include <cstdio>

namespace quillsift::cli {

/// A one-line progress bar on a terminal: files done out of the total, the time so far and a
/// spinner that shows the tool is alive while one large file takes long. It draws nothing when
/// the stream is not a terminal, so pipes and log files get only the reports.
class ProgressBar
{
  public:
    ProgressBar(std::FILE* stream, qsizetype total);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    /// Whether the stream is a terminal and the bar is drawn at all.
    bool enabled() const;
    /// Redraws the bar with done files finished.
    void show(qsizetype done);
    /// Wipes the bar off its line, before a report is printed there or at the end.
    void clear();

  private:
    std::FILE* m_stream;
    qsizetype m_total;
    bool m_enabled;
    bool m_drawn = false;
    int m_spin = 0;
    QElapsedTimer m_elapsed;
};

/// Whether the stream is an interactive terminal.
bool isTerminal(std::FILE* stream);

} // namespace quillsift::cli
