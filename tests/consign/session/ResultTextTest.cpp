// Cutting '|'-ended fields off the procedure answers' result texts.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "consign/session/ResultText.h"

namespace {

struct Text {
    explicit Text(const std::string &s)
    {
        std::memset(bytes, 0, sizeof bytes);
        std::memcpy(bytes, s.data(), std::min(s.size(), sizeof bytes));
    }
    char bytes[RESULT_TEXT_SIZE + 1];
};

TEST(ResultTextTest, SeparatorsAndRecordCounts)
{
    struct Case {
        std::string text;
        int lastEnd;
        int records3;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"abc", 0, 0},
        {"a|b|c|", 6, 1},
        {"a|b|c|d|e", 8, 1},
        {"a|b|c|d|e|f|", 12, 2},
        {std::string(600, '|'), 512, 170},  // only the first 512 characters count
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        Text t(c.text);
        if (c.text.size() > RESULT_TEXT_SIZE)
            t.bytes[RESULT_TEXT_SIZE] = '|';  // not part of the text
        EXPECT_EQ(LastSeparatorEnd(t.bytes), c.lastEnd);
        EXPECT_EQ(CountRecords(3, t.bytes), c.records3);
    }
    EXPECT_EQ(CountRecords(0, "a|b|"), 0);
}

TEST(ResultTextTest, TakingFieldsMovesTheRestToTheFront)
{
    Text t("1|2|3|4|5|6|7");
    char record[RESULT_TEXT_SIZE + 1];
    TakeFields(3, record, t.bytes);
    EXPECT_STREQ(record, "1|2|3|");
    EXPECT_STREQ(t.bytes, "4|5|6|7");
    EXPECT_EQ(t.bytes[RESULT_TEXT_SIZE - 1], 0) << "the freed end is cleared";
    TakeNextField(t.bytes, record);
    EXPECT_STREQ(record, "4");
    EXPECT_STREQ(t.bytes, "5|6|7");
    TakeFields(5, record, t.bytes);
    EXPECT_STREQ(record, "5|6|7") << "fewer fields than asked take what there is";
    EXPECT_STREQ(t.bytes, "");

    // A text of 512 characters without a terminator stays within its buffer.
    Text full(std::string(RESULT_TEXT_SIZE, 'x'));
    TakeNextField(full.bytes, record);
    EXPECT_EQ(std::strlen(record), static_cast<size_t>(RESULT_TEXT_SIZE));
    EXPECT_STREQ(full.bytes, "");
}

} // namespace
