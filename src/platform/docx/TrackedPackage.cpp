// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackedPackage.h"

#include "BodyLoader.h"
#include "MainPart.h"
#include "TrackedChangesWriter.h"
#include "TrackedDeletions.h"

#include "engine/HostError.h"

#include <span>

namespace quillsift::docx {

using engine::HostError;

namespace {

[[noreturn]] void mismatch(const QString& fileName)
{
    throw HostError(fileName, QStringLiteral("the removals cannot be kept as tracked changes: they do not match the "
                                             "document as it was read"));
}

/// Whether the characters of paragraphs that the cuts leave are text, in order.
bool leaves(const std::vector<Paragraph>& paragraphs, const std::vector<TrackedDeletions::Cut>& cuts, QStringView text)
{
    qint64 at = 0;
    std::size_t cut = 0;
    for (std::size_t slot = 0; slot < paragraphs.size(); ++slot) {
        const ParagraphText& own = paragraphs[slot].text();
        qint64 from = 0;
        auto keep = [&](qint64 to) {
            if (to > from) {
                if (at + (to - from) > text.size() || own.mid(from, to - from) != text.mid(at, to - from)) {
                    return false;
                }
                at += to - from;
            }
            return true;
        };
        for (; cut < cuts.size() && cuts[cut].paragraph == slot; ++cut) {
            if (!keep(cuts[cut].from)) {
                return false;
            }
            from = cuts[cut].to;
        }
        if (!keep(own.size())) {
            return false;
        }
    }
    return at == text.size();
}

} // namespace

Package TrackedPackage::make(const QString& fileName, const Package& original, const DeletionLog& log,
                             const QString& text, const QString& author, const QDateTime& time)
{
    MainPart main;
    main.load(fileName, original);
    const std::vector<Paragraph> paragraphs = BodyLoader(main.names()).load(main.body());
    std::vector<qint64> lengths;
    lengths.reserve(paragraphs.size());
    for (const Paragraph& paragraph : paragraphs) {
        lengths.push_back(paragraph.length());
    }
    TrackedDeletions deletions(lengths);
    for (const DeletionLog::Span& span : log.spans()) {
        if (!deletions.remove(span.paragraph, span.offset, span.length)) {
            mismatch(fileName);
        }
    }
    const std::vector<TrackedDeletions::Cut> cuts = deletions.cuts();
    if (deletions.remaining() != text.size() || !leaves(paragraphs, cuts, text)) {
        mismatch(fileName);
    }
    TrackedChangesWriter writer(main.names(), main.body().root(), author, time);
    for (std::size_t first = 0; first < cuts.size();) {
        std::size_t last = first + 1;
        while (last < cuts.size() && cuts[last].paragraph == cuts[first].paragraph) {
            ++last;
        }
        writer.write(paragraphs[cuts[first].paragraph], std::span(cuts).subspan(first, last - first));
        first = last;
    }
    return main.package();
}

} // namespace quillsift::docx
