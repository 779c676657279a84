// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Application.h"
#include "platform/ProcessorShare.h"

#include <QString>

#include <functional>
#include <memory>

namespace quillsift::docx {
class HostWindowKeeper;
} // namespace quillsift::docx

namespace quillsift::main_window {

/// The document host a window's runs use, chosen by whoever makes the window: the provider of
/// its applications, the name a running one answers with, and whether the host still shows
/// copies a run left, which keeps the program alive when the window closes.
struct RunHost {
    std::unique_ptr<engine::HostProvider> provider;
    QString applicationName;
    std::function<bool()> showsCopies = [] { return false; };
};

/// Quillsift's own in-process host, whose copies windows shows when a run ends (none are shown
/// when it is null; it outlives the host). A long save or word count works on the processors
/// that processors lends, if given.
RunHost inProcessHost(docx::HostWindowKeeper* windows = nullptr, platform::ProcessorShare* processors = nullptr);

} // namespace quillsift::main_window
