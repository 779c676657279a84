// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace quillsift::testing {

/// The folder of real-world documents, from the QUILLSIFT_CORPUS_DIR environment variable or the
/// build's default (../shared/corpus beside the checkout). Empty when the folder is absent.
QString corpusDirectory();

/// The documents directly in the corpus folder (not in malformed/), sorted by name.
QStringList corpusDocuments();
/// The broken documents in the corpus folder's malformed/ subfolder, sorted by name.
QStringList malformedDocuments();

/// The message a test prints when it skips for want of the corpus.
QString corpusMissingMessage();

} // namespace quillsift::testing
