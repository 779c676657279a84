// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>

#include <functional>

namespace quillsift::engine {

/// What a long removal calls to let the window handle its events. May be empty.
using YieldFunction = std::function<void()>;

/// Calls a yield function once per interval of work rather than once per step: a clock read is
/// cheap, a trip through the event loop is not, and a million-word document has a million steps.
class YieldThrottle
{
  public:
    static constexpr qint64 defaultIntervalMs = 20;

    explicit YieldThrottle(const YieldFunction& yield, qint64 intervalMs = defaultIntervalMs);

    /// Call after every step of work; yields when the interval has passed since the last yield.
    /// Time spent inside the yield itself does not count as work.
    void step();

  private:
    YieldFunction m_yield;
    QElapsedTimer m_sinceYield;
    qint64 m_intervalMs;
};

} // namespace quillsift::engine
