// SPDX-License-Identifier: GPL-3.0-or-later
#include "YieldThrottle.h"

namespace quillsift::engine {

YieldThrottle::YieldThrottle(const YieldFunction& yield, qint64 intervalMs)
    : m_yield(yield)
    , m_intervalMs(intervalMs)
{
    m_sinceYield.start();
}

void YieldThrottle::step()
{
    if (!m_yield || m_sinceYield.elapsed() < m_intervalMs) {
        return;
    }
    m_yield();
    m_sinceYield.restart();
}

} // namespace quillsift::engine
