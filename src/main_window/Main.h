// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillsift::main_window {

/// The start-up visit of the home page: about one start in a hundred opens it in the browser.
void VisitHomePage();

} // namespace quillsift::main_window
