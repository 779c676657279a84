// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/StoryRange.h"

#include <memory>

namespace quillsift::libreoffice {

class LoStory;

/// A live range of the LibreOffice host. It registers with its story, which moves it whenever text
/// before or inside it is deleted; once the document is closed every call fails cleanly.
class LoRange : public platform::StoryRange<LoStory>
{
  public:
    LoRange(std::shared_ptr<LoStory> story, qint64 start, qint64 end);
    ~LoRange() override;
    LoRange(const LoRange&) = delete;
    LoRange& operator=(const LoRange&) = delete;

    std::unique_ptr<engine::Find> find() override;
    std::shared_ptr<const engine::FormattedText> formattedText() const override;
    void setFormattedText(const engine::FormattedText& text) override;

  private:
    std::unique_ptr<engine::Range> make(qint64 start, qint64 end) const override;
};

} // namespace quillsift::libreoffice
