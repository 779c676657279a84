// SPDX-License-Identifier: GPL-3.0-or-later
// The word walk's table of searched texts, against a plain map, with hashes that collide.
#include <engine/SearchTable.h>

#include <gtest/gtest.h>

#include <QString>

#include <map>
#include <random>

using quillsift::engine::SearchTable;

namespace {

// Every key of one length gets the same hash, so that slots are told apart by their keys alone.
std::size_t lengthOnly(QStringView key)
{
    return std::size_t(key.size());
}

// A key of about length characters; its filler is plain (k), Latin-1 (é, kept in a slot a byte a
// character) or past it (ž, kept in the store), so that keys of one length and hash are kept both
// ways.
QString keyNumber(int number, int length, int filling = 0)
{
    QString key = QString::number(number);
    const char16_t filler = std::array{u'k', u'\u00e9', u'\u017e'}[filling % 3];
    while (key.size() < length) {
        key.prepend(QChar(filler));
    }
    return key;
}

TEST(SearchTable, keysThatShareAHashAreToldApartThroughGrowth)
{
    // Room made before the first key, among keys already held, or never.
    for (const int reserveAt : {-1, 0, 1000})
        for (const SearchTable::HashFunction hash : {&lengthOnly, static_cast<SearchTable::HashFunction>(nullptr)}) {
            SCOPED_TRACE(reserveAt);
            SearchTable table = hash ? SearchTable(hash) : SearchTable();
            std::map<QString, qint64> model;
            std::mt19937 random(7);
            // Short keys kept in their slots, keys just over that size and long ones, among them keys
            // that differ in their last character only, or only in being kept in a slot or not.
            for (int i = 0; i < 3000; ++i) {
                if (i == reserveAt) {
                    table.reserve(2000);
                }
                const int length = std::array{1, 7, 8, 9, 20}[random() % 5];
                const QString key = keyNumber(int(random() % 600), length, int(random() % 3));
                const std::size_t keyHash = table.hashOf(key);
                const qint64 found = table.find(key, keyHash);
                const auto known = model.find(key);
                ASSERT_EQ(found, known == model.end() ? SearchTable::none : known->second) << key.toStdString();
                if (known == model.end()) {
                    table.add(key, keyHash, i);
                    model.emplace(key, i);
                }
            }
            EXPECT_EQ(table.size(), model.size());
            for (const auto& [key, first] : model) {
                EXPECT_EQ(table.find(key, table.hashOf(key)), first) << key.toStdString();
            }
            EXPECT_EQ(table.find(QStringLiteral("absent"), table.hashOf(QStringLiteral("absent"))), SearchTable::none);
        }
}

TEST(SearchTable, emptyTableAndEmptyKey)
{
    SearchTable table;
    EXPECT_EQ(table.find(QString(), table.hashOf(QString())), SearchTable::none);
    table.add(QString(), table.hashOf(QString()), 4);
    EXPECT_EQ(table.find(QString(), table.hashOf(QString())), 4);
    EXPECT_EQ(table.find(QStringLiteral("a"), table.hashOf(QStringLiteral("a"))), SearchTable::none);
}

} // namespace
