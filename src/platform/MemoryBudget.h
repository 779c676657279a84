// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace quillsift::platform {

/// How much more memory the process can take before the system refuses it or ends the process.
class MemoryBudget
{
  public:
    virtual ~MemoryBudget() = default;
    /// In bytes; negative when it cannot be told.
    virtual qint64 available() const = 0;
};

/// The system's own figure: the memory Linux counts as available (MemAvailable), no more than
/// the control group's limit leaves and no more than the process's address-space and data
/// limits leave. Reads /proc and /sys afresh on every call; keeps nothing.
class SystemMemory : public MemoryBudget
{
  public:
    qint64 available() const override;
};

/// The one SystemMemory of the program, for the hosts that are not handed another.
const MemoryBudget& systemMemory();

} // namespace quillsift::platform
