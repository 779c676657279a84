// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcessorShare.h"

#include <algorithm>

namespace quillsift::platform {

ProcessorShare::ProcessorShare(int processors)
    : m_free(std::max(processors, 1))
{
}

int ProcessorShare::take(int wanted)
{
    int free = m_free.load();
    for (;;) {
        const int taken = std::clamp(wanted, 0, std::max(free, 0));
        if (taken == 0 || m_free.compare_exchange_weak(free, free - taken)) {
            return taken;
        }
    }
}

void ProcessorShare::giveBack(int count)
{
    m_free += count;
}

ProcessorShare::Lease::Lease(ProcessorShare* share, int wanted)
    : m_share(share)
    , m_count(share ? share->take(wanted) : 0)
{
}

ProcessorShare::Lease::~Lease()
{
    if (m_share && m_count > 0) {
        m_share->giveBack(m_count);
    }
}

} // namespace quillsift::platform
