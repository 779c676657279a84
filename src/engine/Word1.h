// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace quillsift::engine {

class HostProvider;

/// True when the provider finds a running application whose name is exactly hostName
/// ("Microsoft Word" for Word). Any failure while asking counts as none running.
bool IsWordOpen(HostProvider& provider, const QString& hostName);

/// Asks the user whether to go on when the host is already running, with the provider's warning:
/// true when the run must not start (the host runs and the user did not answer Yes), false when
/// it may. confirm asks a Yes/No question and is true for Yes.
bool WordOpenDeclined(HostProvider& provider, const QString& hostName,
                      const std::function<bool(const QString&)>& confirm);

/// The question WordOpenDeclined asks: the provider's warning, an empty line, and whether to
/// proceed anyway.
QString wordOpenQuestion(const HostProvider& provider);

} // namespace quillsift::engine
