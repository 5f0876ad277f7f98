#include <gtest/gtest.h>

#include <climits>

#include "text/amount_text.h"

namespace {

TEST(ParseAmount, TypedTexts) {
    const std::pair<const char*, int32_t> cases[] = {
        {"12", 1200}, {"12.5", 1250}, {"12.345", 1234}, {".5", 50},  {"-3.25", -325}, {"-.5", -50},
        {"1,234.56", 1}, {"abc", 0},  {"", 0},          {" 12.50", 1250}, {"1.5.3", 15}, {"+7", 700},
    };
    for (const auto& c : cases) EXPECT_EQ(parseAmount(c.first), c.second) << "typed " << c.first;
}

TEST(ParseAmount, ClampsInsteadOfWrapping) {
    EXPECT_EQ(parseAmount("21474836.47"), INT32_MAX);
    EXPECT_EQ(parseAmount("21474836.48"), INT32_MAX);
    EXPECT_EQ(parseAmount("99999999999"), INT32_MAX);
    EXPECT_EQ(parseAmount("-21474836.48"), INT32_MIN);
    EXPECT_EQ(parseAmount("-99999999999"), INT32_MIN);
    EXPECT_TRUE(amountFits("21474836.47"));
    EXPECT_FALSE(amountFits("21474836.48"));
    EXPECT_FALSE(amountFits("-21474836.49"));
}

TEST(ReadTypedAmount, NumbersWithGroupedThousands) {
    const std::pair<const char*, int32_t> cases[] = {
        {"12", 1200},         {"12.5", 1250},         {"12.345", 1234},      {".5", 50},
        {"-3.25", -325},      {"-.5", -50},           {"+7", 700},           {"12.", 1200},
        {"1,250.00", 125000}, {"12,345,678.9", 1234567890}, {"-1,000", -100000}, {"0,500", 50000},
        {" \t12 ", 1200},     {"\r\n99.99\n", 9999},  {"007.10", 710},       {"21,474,836.47", INT32_MAX},
        {"-21474836.48", INT32_MIN},
    };
    for (const auto& c : cases) {
        int32_t cents = -1;
        double typed = -1;
        EXPECT_EQ(readTypedAmount(c.first, cents, typed), TypedAmount::number) << "typed " << c.first;
        EXPECT_EQ(cents, c.second) << "typed " << c.first;
    }
    int32_t cents = 0;
    double typed = 0;
    readTypedAmount(" 10.005 ", cents, typed);
    EXPECT_EQ(cents, 1000);
    EXPECT_DOUBLE_EQ(typed, 10.005);  // the tax is worked out on what was typed
    readTypedAmount("1,234.5", cents, typed);
    EXPECT_DOUBLE_EQ(typed, 1234.5);
}

TEST(ReadTypedAmount, RefusesWhatIsNotANumber) {
    for (const char* text : {"1 250", "12a", "1.5.3", "1,25", "1,2345", ",250", "1,,250", "1,250,", "12,34.5",
                             "1234,567", "abc", ".", "-", "+-1", "$12", "1e5", "12-", "1.2,5", "1 .5"}) {
        int32_t cents = 7;
        double typed = 7;
        EXPECT_EQ(readTypedAmount(text, cents, typed), TypedAmount::notNumber) << "typed " << text;
        EXPECT_EQ(cents, 0) << "typed " << text;
    }
    int32_t cents = 7;
    double typed = 7;
    for (const char* text : {"", "  ", "\t\r\n"}) {
        EXPECT_EQ(readTypedAmount(text, cents, typed), TypedAmount::empty) << "typed [" << text << "]";
        EXPECT_EQ(cents, 0);
    }
    for (const char* text : {"21474836.48", "-21,474,836.49", "99999999999999999999", "10000000000"})
        EXPECT_EQ(readTypedAmount(text, cents, typed), TypedAmount::outOfRange) << "typed " << text;
    // Every stored amount, shown, reads back as itself.
    for (int32_t v : {1, 99, 100, 123456, -1, -123456, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(readTypedAmount(formatAmount(v), cents, typed), TypedAmount::number) << v;
        EXPECT_EQ(cents, v);
    }
}

TEST(FormatAmount, StoredValues) {
    EXPECT_EQ(formatAmount(0), "");
    EXPECT_EQ(formatAmount(5), "0.05");
    EXPECT_EQ(formatAmount(50), "0.50");
    EXPECT_EQ(formatAmount(1234), "12.34");
    EXPECT_EQ(formatAmount(-5), "-0.05");
    EXPECT_EQ(formatAmount(-150), "-1.50");
    EXPECT_EQ(formatAmount(INT32_MIN), "-21474836.48");
    showZeroAmounts = true;
    EXPECT_EQ(formatAmount(0), "0.00");
    showZeroAmounts = false;
}

TEST(FormatAmount, ParsesBackToTheSameValue) {
    for (int32_t v : {0, 1, 9, 10, 99, 100, 101, 123456, -1, -99, -100, -123456, INT32_MAX, INT32_MIN + 1})
        EXPECT_EQ(parseAmount(formatAmount(v)), v) << v;
}

TEST(ReadNumber, LeadingNumericPart) {
    EXPECT_DOUBLE_EQ(readNumber(" \t\r\n12.5x"), 12.5);
    EXPECT_DOUBLE_EQ(readNumber("5a"), 5);
    EXPECT_DOUBLE_EQ(readNumber("1 250"), 1);
    EXPECT_DOUBLE_EQ(readNumber("-.25"), -0.25);
    EXPECT_DOUBLE_EQ(readNumber("1e5"), 1);
    EXPECT_DOUBLE_EQ(readNumber("."), 0);
    EXPECT_DOUBLE_EQ(readNumber("-"), 0);
}

TEST(FormatMask, RoundsToNearestAndHalvesToEven) {
    EXPECT_EQ(formatMask(1.249375, "0.00"), "1.25");
    EXPECT_EQ(formatMask(0.125, "0.00"), "0.12");
    EXPECT_EQ(formatMask(0.135, "0.00"), "0.14");
    EXPECT_EQ(formatMask(21.24, "0.00"), "21.24");
    EXPECT_EQ(formatMask(9.995, "0.00"), "9.99");  // 9.99499999999999993 to 18 digits
    EXPECT_EQ(formatMask(99.999, "0.00"), "100.00");
    EXPECT_EQ(formatMask(-1.249375, "0.00"), "-1.25");
    EXPECT_EQ(formatMask(-0.001, "0.00"), "0.00");
    EXPECT_EQ(formatMask(0, "0.00"), "0.00");
    EXPECT_EQ(formatMask(6.25, "0.000"), "6.250");
    EXPECT_EQ(formatMask(625, "0.000"), "625.000");
}

TEST(FormatMask, OptionalDigits) {
    EXPECT_EQ(formatMask(0.0625, "#.####"), ".0625");
    EXPECT_EQ(formatMask(0.06125, "#.####"), ".0612");
    EXPECT_EQ(formatMask(0.06, "#.####"), ".06");
    EXPECT_EQ(formatMask(6.25, "#.####"), "6.25");
    EXPECT_EQ(formatMask(0.0725, "#.######"), ".0725");
    EXPECT_EQ(formatMask(0.0000004, "#.######"), "0");
    EXPECT_EQ(formatMask(0, "#.####"), "0");
    for (double v : {0.0, 0.06, 0.0625, 0.07125, 1.5, 0.000001})
        EXPECT_DOUBLE_EQ(readNumber(formatMask(v, "#.######")), v) << v;
}

TEST(PlainNumberText, LeadingBlankWhenNotNegative) {
    EXPECT_EQ(plainNumberText(6.25), " 6.25");
    EXPECT_EQ(plainNumberText(7), " 7");
    EXPECT_EQ(plainNumberText(100 * 0.07), " 7");
    EXPECT_EQ(plainNumberText(0), " 0");
    EXPECT_EQ(plainNumberText(-2.5), "-2.5");
}

}  // namespace
