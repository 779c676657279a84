// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillsift::platform {
class Random;
class Shell;
} // namespace quillsift::platform

namespace quillsift::main_window {

/// The start-up visit of the home page: about one start in a hundred, drawn from random seeded
/// afresh, opens it in the browser through shell.
void VisitHomePage(platform::Random& random, platform::Shell& shell);

} // namespace quillsift::main_window
