// SPDX-License-Identifier: GPL-3.0-or-later
// Opens a document in the in-process host and saves it unchanged under another name: the floor
// that quillsift-cli's cleaning is measured against in cli_compare.sh.
//   docx_roundtrip <source> <copy>
#include "docx/DocxApplication.h"

#include "engine/HostError.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: docx_roundtrip <source> <copy>\n", stderr);
        return 2;
    }
    try {
        quillsift::docx::DocxApplication host;
        const auto document = host.documents().open(arguments.at(1));
        document->saveAs(arguments.at(2));
        document->close();
    } catch (const quillsift::engine::HostError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
