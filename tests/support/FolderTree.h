// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quillsift::testing {

/// A tree of folders and files that a test makes in a temporary folder of its own, removed with
/// everything in it when the tree goes: folders the test locked get their permissions back first,
/// and files whose names are not UTF-8, which QTemporaryDir cannot name, are removed by their
/// bytes. Owns the temporary folder and nothing outside it.
class FolderTree
{
  public:
    FolderTree();
    ~FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    bool isValid() const;
    /// The tree's root, ending in "/".
    const QString& root() const
    {
        return m_root;
    }
    /// root() + relative.
    QString path(const QString& relative) const;

    /// Makes the empty file (or one holding bytes) at relative and the folders above it; returns
    /// its path, or an empty string when it cannot be made.
    QString file(const QString& relative, const QByteArray& bytes = {});
    /// Makes the folder at relative and those above it; returns its path, or an empty string.
    QString folder(const QString& relative);
    /// Makes a file whose name, given as bytes, need not be UTF-8; returns its path's bytes.
    QByteArray fileNamedInBytes(const QByteArray& relative);
    /// Gives the folder at relative the mode, remembering to give it its permissions back.
    bool setMode(const QString& relative, unsigned mode);

  private:
    QTemporaryDir m_dir;
    QString m_root;
    QStringList m_changedModes;
    QList<QByteArray> m_namedInBytes;
};

} // namespace quillsift::testing
