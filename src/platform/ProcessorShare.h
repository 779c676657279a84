// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>

namespace quillsift::platform {

/// The processors one process keeps busy, shared by everything in it that works in parallel: the
/// command line's workers, each holding one for the file it cleans, and the threads a large save
/// or word count adds, which take only what is free and give it back when done. So however the
/// work nests, the process never runs more threads at once than it has processors. Owns only its
/// count; made once by a program's main and handed to what runs work in parallel.
class ProcessorShare
{
  public:
    explicit ProcessorShare(int processors);

    /// Up to wanted processors that are free, taken at once; how many were taken (maybe none).
    int take(int wanted);
    void giveBack(int count);

    /// Processors taken for a scope and given back when it ends.
    class Lease
    {
      public:
        /// Takes up to wanted processors of share; a null share lends none.
        Lease(ProcessorShare* share, int wanted);
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        int count() const
        {
            return m_count;
        }

      private:
        ProcessorShare* m_share;
        int m_count = 0;
    };

  private:
    std::atomic<int> m_free;
};

} // namespace quillsift::platform
