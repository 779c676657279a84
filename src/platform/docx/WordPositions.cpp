// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordPositions.h"

namespace quillsift::docx {

void WordPositions::add(const QString& word, qint64 start)
{
    Places& places = words[word];
    const qint64 original = characters.original(start);
    if (!places.starts.empty() && places.starts.back() >= original) {
        places.sorted = false;
    }
    places.starts.push_back(original);
}

} // namespace quillsift::docx
