// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What Word's "accept all" and "reject all" do to one author's tracked deletions, done to a saved
// package, so that the in-process host can read either outcome back.
#include <QByteArray>
#include <QString>

namespace quillsift::testing {

enum class Review {
    /// The author's deleted runs go, and a paragraph whose mark the author deleted joins the next.
    Accept,
    /// The author's deletions are undone: their runs' text is text again and the marks stay.
    Reject,
    /// Every paragraph whose mark is deleted or moved away, by any author, joins the next (marks
    /// only).
    JoinDeletedMarks,
};

/// The main part of a package with review applied to the deletions by author.
QByteArray reviewed(const QByteArray& mainPart, Review review, const QString& author = QStringLiteral("Quillsift"));

/// Writes the package at path, its main part reviewed, to target; returns target.
QString reviewedCopy(const QString& path, const QString& target, Review review,
                     const QString& author = QStringLiteral("Quillsift"));

/// The main part of the package at path.
QByteArray mainPartOf(const QString& path);

} // namespace quillsift::testing
