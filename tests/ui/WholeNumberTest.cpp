#include "WholeNumber.h"

#include <gtest/gtest.h>

namespace vorpane {
namespace {

TEST(WholeNumber, TheFieldRuleTable) {
    struct TCase {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const TCase cases[] = {
        {"800", 800},
        {" 12", 12},
        {"   7", 7},
        {"+7", 7},
        {"-0", 0},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"007", 7},
        {"$1F", 31},
        {"$1f", 31},
        {"0x10", 16},
        {"x10", 16},
        {"X10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$7FFFFFFF", INT32_MAX},
        {"1 2", std::nullopt},
        {"12 ", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"+", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"0x123456789", std::nullopt},
        {"$G", std::nullopt},
        {"\t5", std::nullopt},
        {"1.5", std::nullopt},
        {"--1", std::nullopt},
        {"0X10", std::nullopt},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ParseWholeNumber(c.text), c.value) << "'" << c.text << "'";
    }
}

TEST(WholeNumber, AFailureNamesTheText) {
    try {
        StrToInt("12a");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
    }
    try {
        StrToInt("");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
}

} // namespace
} // namespace vorpane
