#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "DemoAnswers.h"
#include "DemoCatalog.h"
#include "ListScrambler.h"
#include "service/LinkDescrambling.h"
#include "service/PictureList.h"

namespace {

// The day keys of one week: 6- to 9-letter weekday names, every key character class.
std::vector<std::string> WeekOfKeys() {
    std::vector<std::string> keys;
    for (int day = 2; day <= 8; ++day) {  // 2010-05-02 was a Sunday
        std::tm date{};
        date.tm_year = 110;
        date.tm_mon = 4;
        date.tm_mday = day;
        date.tm_hour = 12;
        std::mktime(&date);
        keys.push_back(DayKey(date));
    }
    return keys;
}

TEST(ListScrambler, PrintableTextRoundTripsAtEveryPositionAndKey) {
    std::string plain;
    for (char c = ' '; c <= '{'; ++c)
        if (c != '|') plain += c;
    for (const std::string &key : WeekOfKeys()) {
        for (int position = 0; position < 40; ++position) {
            SCOPED_TRACE(key + " at " + std::to_string(position));
            // Rotating the text puts every character at every byte offset of the field.
            for (std::size_t shift = 0; shift < plain.size(); shift += 7) {
                const std::string text = plain.substr(shift) + plain.substr(0, shift);
                const auto field = ScrambleField(text, position, key);
                ASSERT_TRUE(field.has_value());
                EXPECT_EQ(DescrambleLink(*field, position, key), text);
                for (const char c : *field) EXPECT_TRUE(c > ' ' && c < 0x7F) << int(c);
            }
        }
    }
}

// "~" needs a byte outside printable ASCII at every shift ("|" and "}" at some).
TEST(ListScrambler, RefusesWhatNoPrintableCharacterScramblesTo) {
    const std::string key = WeekOfKeys().front();
    for (const std::string text : {"a~", "tab\t", "del\x7f", "湖"})
        EXPECT_FALSE(ScrambleField(text, 0, key).has_value()) << text;
}

// The service's list, read by the program's own parser, names every picture of every title.
TEST(DemoList, ParsesIntoOneTaskPerPictureNumberedFromOnePerTitle) {
    const std::string key = WeekOfKeys()[3];
    const DemoCatalog catalog = DrawnCatalog({3, 4, 2});
    const auto entries = PictureListEntries(catalog, "127.0.0.1:8580", key);
    ASSERT_TRUE(entries.has_value());

    DownloadBatch batch;
    AppendTasksFromList(ListText(*entries), "/root/2010-05-05", key, batch);

    ASSERT_EQ(batch.size(), 18u);
    std::size_t index = 0;
    for (std::size_t t = 0; t < catalog.size(); ++t) {
        const std::string &title = catalog[t].title;
        const std::string group = std::to_string(t + 1);
        for (std::size_t i = 0; i < catalog[t].pictures.size(); ++i, ++index) {
            SCOPED_TRACE(index);
            const DownloadTask &task = batch[index];
            EXPECT_EQ(task.localPath, "/root/2010-05-05/" + title + "/" + title + " " +
                                          std::to_string(i + 1) + ".jpg");
            EXPECT_EQ(task.referrer, "127.0.0.1:8580/gallery/" + group);
            EXPECT_EQ(task.remoteAddress,
                      "127.0.0.1:8580/pictures/" + group + "/" + catalog[t].pictures[i].fileName);
        }
    }
}

TEST(DemoList, OnlyTheFirstEntryOfATitleCarriesLinkAndTitle) {
    const auto entries = PictureListEntries(DrawnCatalog({2, 2, 1}), "h:1", WeekOfKeys()[0]);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 6u);
    for (std::size_t i = 0; i < entries->size(); ++i) {
        const bool first = i % 3 == 0;
        EXPECT_EQ((*entries)[i].field1.empty(), !first) << i;
        EXPECT_EQ((*entries)[i].title.empty(), !first) << i;
        EXPECT_FALSE((*entries)[i].field3.empty()) << i;
    }
}

TEST(DemoList, EnvelopesKeepTheListTextInBothForms) {
    const std::vector<ListEntry> entries = {{"a<b&c>", "湖 & 山", "x0"}};
    const std::string nested = DeleteResponseEnvelope(entries, ListForm::Nested);
    const std::string escaped = DeleteResponseEnvelope(entries, ListForm::Escaped);
    EXPECT_NE(nested.find("<ns1:out><xsd:anyType><ns1:string>a&lt;b&amp;c&gt;</ns1:string>"),
              std::string::npos);
    EXPECT_NE(escaped.find("<ns1:out>&lt;xsd:anyType&gt;&lt;ns1:string&gt;a&lt;b&amp;c&gt;"),
              std::string::npos);
    EXPECT_NE(GetVerResponseEnvelope({"1.01", "a.bin"})
                  .find("<ns1:out><ns1:string>1.01</ns1:string><ns1:string>a.bin</ns1:string>"),
              std::string::npos);
}

}  // namespace
