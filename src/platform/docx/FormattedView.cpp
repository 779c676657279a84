// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormattedView.h"

#include <cstring>

namespace quillsift::docx {

namespace {

bool isOn(pugi::xml_node properties, const std::string& name, const std::string& val)
{
    pugi::xml_node element = properties.child(name.c_str());
    if (!element) {
        return false;
    }
    const char* value = element.attribute(val.c_str()).value();
    return std::strcmp(value, "0") != 0 && std::strcmp(value, "false") != 0 && std::strcmp(value, "off") != 0 &&
           std::strcmp(value, "none") != 0;
}

} // namespace

FormattedView::Run FormattedView::formatOf(const Piece& piece, const WordNames& names)
{
    const pugi::xml_node properties = piece.node.parent().child(names.rPr.c_str());
    Run run;
    run.bold = isOn(properties, names.b, names.val);
    run.italic = isOn(properties, names.i, names.val);
    run.underline = isOn(properties, names.u, names.val);
    return run;
}

std::vector<FormattedView::Paragraph> FormattedView::of(const std::vector<docx::Paragraph>& paragraphs,
                                                        const WordNames& names)
{
    std::vector<Paragraph> result;
    for (std::size_t slot = 0; slot < paragraphs.size(); ++slot) {
        const docx::Paragraph& paragraph = paragraphs[slot];
        if (!paragraph.isAlive()) {
            continue;
        }
        std::vector<Run> runs;
        for (const Piece& piece : paragraph.pieces().toVector()) {
            Run run = formatOf(piece, names);
            run.text = paragraph.text().mid(piece.offset, piece.length);
            if (!runs.empty() && runs.back().bold == run.bold && runs.back().italic == run.italic &&
                runs.back().underline == run.underline) {
                runs.back().text += run.text;
            } else {
                runs.push_back(std::move(run));
            }
        }
        result.push_back({qint64(paragraph.number()), std::move(runs)});
    }
    return result;
}

} // namespace quillsift::docx
