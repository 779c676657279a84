// SPDX-License-Identifier: GPL-3.0-or-later
#include "MultilingualText.h"

#include <array>
#include <span>

namespace quillsift::testing {

namespace {

// Between the words of a dictionary run nothing, now and then a mark of its own script, which
// word removal takes out after its first time, joining two runs into one.
constexpr std::array chinese{"台湾", "民进党", "前",   "主席", "施明德", "正式", "宣布", "发起", "我们", "今天", "工作",
                             "学习", "中国",   "经济", "发展", "社会",   "文化", "历史", "人民", "政府", "上",   "下",
                             "大",   "小",     "不久", "更名", "静坐",   "展开", "，",   "。",   "、"};
constexpr std::array japanese{"東京都", "に",   "住んでいます", "カタカナ", "ひらがな", "国防", "保安法",
                              "違反",   "治安", "維持",         "など",     "罪名",     "後",   "の",
                              "は",     "を",   "静カニ",       "シツツ",   "ニ",       "リ",   "職員",
                              "皆様",   "、",   "。",           "『",       "』"};
constexpr std::array thai{"ภาษาไทย", "ง่าย", "นิดเดียว", "สวัสดี", "ครับ", "ประเทศ", "ไทย", "กรุงเทพ", "มหานคร", "คน",
                          "ที่",       "ใน",  "การ",    "เป็น",  "และ", "ได้",     "ไม่",  "ให้",     " "};
// Marks, non-joiners and joiners also stand alone, so that they come right after a space.
constexpr std::array marks{
    "وقد",      "فِي",           "كتب",   "\u064e", "\u064b", "\u0651", "می\u200cخواهم", "\u200c",
    "\u200d",   "خانه\u200cها", "हिन्दी", "नमस्ते",   "\u093f", "\u094d", "\u0301",        "👩\u200d👩\u200d👧",
    "👍🏽", "\u200d👧",      "🇫🇷",    "e\u0301"};
constexpr std::array mixed{
    "alpha",  "beta",   "don't",   "3.14",    "1,000",           "x_y",   "台湾", "前",     "主席",
    "東京都", "に",     "ภาษาไทย", "ພາສາລາວ", "ភាសាខ្មែរ",        "မြန်မာ", "وقد",  "\u064b", "می\u200cخواهم",
    "\u200c", "\u200d", "हिन्दी",   "\u0301",  "👩\u200d👩\u200d👧", "!",     "?",    "-",      "(",
    ")"};
constexpr std::array runSeparators{"", "", "", "", "", "", "", "", " "};
constexpr std::array proseSeparators{" ", " ", " ", "", "  ", ", ", ". ", "\t"};

template <std::size_t N> const char* pick(std::mt19937& random, const std::array<const char*, N>& from)
{
    return from[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

} // namespace

MultilingualText::MultilingualText(unsigned seed)
    : m_random(seed)
{
}

QString MultilingualText::paragraph(Kind kind, int words)
{
    QString text;
    // The word is drawn before its separator, so a seed gives one text on every compiler.
    auto add = [&](const auto& from, const auto& separators) {
        text += QString::fromUtf8(pick(m_random, from));
        text += QString::fromUtf8(pick(m_random, separators));
    };
    constexpr std::array<const char*, 1> none{""};
    for (int i = 0; i < words; ++i) {
        switch (kind) {
        case Kind::Chinese:
            add(chinese, runSeparators);
            break;
        case Kind::Japanese:
            add(japanese, runSeparators);
            break;
        case Kind::Thai:
            add(thai, none);
            break;
        case Kind::MarksAfterSpaces:
            add(marks, proseSeparators);
            break;
        case Kind::Mixed:
            add(mixed, proseSeparators);
            break;
        }
    }
    return text;
}

QString MultilingualText::paragraph()
{
    const auto kind = Kind(std::uniform_int_distribution(0, kinds - 1)(m_random));
    // Long paragraphs are segmented again only around an edit; short ones whole.
    const int words = std::bernoulli_distribution(0.7)(m_random) ? std::uniform_int_distribution(200, 500)(m_random)
                                                                 : std::uniform_int_distribution(3, 20)(m_random);
    return paragraph(kind, words);
}

} // namespace quillsift::testing
