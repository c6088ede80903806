#include "measure/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ts {
namespace {

std::string Fixed(double v, int decimals, int significant, char sep = ',') {
    char out[kNumberTextCapacity];
    return std::string(out, FormatFixed(v, decimals, significant, sep, out));
}

TEST(NumberFormatTest, ReadoutValuesWithEitherSeparator) {
    EXPECT_EQ(FormatReadout(0.0, '.'), "0.000");
    EXPECT_EQ(FormatReadout(0.0, ','), "0,000");
    EXPECT_EQ(FormatReadout(1234.5, ','), "1234,500");
    EXPECT_EQ(FormatReadout(-3.25, ','), "-3,250");
    EXPECT_EQ(FormatReadout(512 * 100.0 / 1023, '.'), "50.049");
    EXPECT_EQ(FormatReadout(102.3, '.'), "102.300");
}

TEST(NumberFormatTest, RoundsToTenSignificantDigitsBeforeTheDecimals) {
    EXPECT_EQ(FormatReadout(12345678.9876, ','), "12345678,990");
    EXPECT_EQ(FormatReadout(123456789.987, ','), "123456790,000");
    EXPECT_EQ(FormatReadout(0.0005, '.'), "0.001");
    EXPECT_EQ(FormatReadout(0.0004999, '.'), "0.000");
    EXPECT_EQ(FormatReadout(9.9996, '.'), "10.000");
    EXPECT_EQ(FormatReadout(999.9999, '.'), "1000.000");
}

TEST(NumberFormatTest, NegativeValuesAndTinyNegativesThatRoundToZero) {
    EXPECT_EQ(FormatReadout(-0.0001, '.'), "0.000");
    EXPECT_EQ(FormatReadout(-0.0, '.'), "0.000");
    EXPECT_EQ(FormatReadout(-0.0006, '.'), "-0.001");
    EXPECT_EQ(FormatReadout(-1023.0, '.'), "-1023.000");
}

TEST(NumberFormatTest, ScientificPastTenIntegerDigits) {
    EXPECT_EQ(FormatReadout(9999999999.0, '.'), "9999999999.000");
    EXPECT_EQ(FormatReadout(12345678901.5, ','), "1,234567890E+010");
    EXPECT_EQ(FormatReadout(-1e20, '.'), "-1.000000000E+020");
}

TEST(NumberFormatTest, TimeFieldDigits) {
    EXPECT_EQ(Fixed(0.0, 10, 15), "0,0000000000");
    EXPECT_EQ(Fixed(1.0000000080000001, 10, 15), "1,0000000080");
    EXPECT_EQ(Fixed(0.041666667, 10, 15), "0,0416666670");
    EXPECT_EQ(Fixed(2.3148148e-8, 10, 15), "0,0000000231");
}

TEST(NumberFormatTest, SurvivesNanAndInfinities) {
    EXPECT_EQ(FormatReadout(std::numeric_limits<double>::quiet_NaN(), '.'), "NAN");
    EXPECT_EQ(FormatReadout(std::numeric_limits<double>::infinity(), '.'), "INF");
    EXPECT_EQ(FormatReadout(-std::numeric_limits<double>::infinity(), '.'), "-INF");
    EXPECT_EQ(FormatReadout(std::numeric_limits<double>::max(), '.').substr(0, 4), "1.79");
    EXPECT_EQ(FormatReadout(std::numeric_limits<double>::denorm_min(), '.'), "0.000");
}

}  // namespace
}  // namespace ts
