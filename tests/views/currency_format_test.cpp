#include "views/currency_format.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace vorla;

TEST(CurrencyFormat, FormatsAndReadsPricesInTheLocale)
{
    const struct
    {
        QLocale locale;
        const char *code;
        double amount;
        CurrencyFormat::Precision precision;
        const char *shown;
    } cases[] = {
        { QLocale(QLocale::English, QLocale::UnitedStates), "USD", 20.80,
            CurrencyFormat::Precision::wholeUnits, "$21" },
        { QLocale(QLocale::English, QLocale::UnitedStates), "SEK", 99.5,
            CurrencyFormat::Precision::standard, "SEK\u00A099.50" },
        { QLocale(QLocale::French, QLocale::France), "EUR", 1234.5,
            CurrencyFormat::Precision::standard, "1\u202F234,50\u00A0€" },
        // A code ICU does not know still shows, before the number.
        { QLocale(QLocale::English, QLocale::UnitedStates), "usd", 3,
            CurrencyFormat::Precision::standard, "usd 3.00" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown);
        QLocale::setDefault(c.locale);
        const QString shown
            = CurrencyFormat::format(c.amount, QString::fromLatin1(c.code), c.precision);
        EXPECT_EQ(shown, QString::fromUtf8(c.shown));
        if (c.precision == CurrencyFormat::Precision::standard) {
            const std::optional<double> read
                = CurrencyFormat::parse(shown, QString::fromLatin1(c.code));
            ASSERT_TRUE(read);
            EXPECT_DOUBLE_EQ(*read, c.amount);
        }
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CurrencyFormat::parse(QStringLiteral("   "), QStringLiteral("USD")), std::nullopt);
    EXPECT_EQ(CurrencyFormat::parse(QStringLiteral("abc"), QStringLiteral("USD")), std::nullopt);
    EXPECT_EQ(CurrencyFormat::parse(QStringLiteral("1e400"), QStringLiteral("USD")), std::nullopt);
    EXPECT_EQ(CurrencyFormat::parse(QStringLiteral("12ab34"), QStringLiteral("USD")), std::nullopt);
    EXPECT_EQ(CurrencyFormat::parse(QStringLiteral("US$ 8"), QStringLiteral("USD")), 8);
    EXPECT_EQ(CurrencyFormat::parse(QStringLiteral("2,50"), QStringLiteral("USD")), 2.5);
    EXPECT_EQ(CurrencyFormat::parse(QStringLiteral("1,234"), QStringLiteral("USD")), 1234);
    EXPECT_EQ(CurrencyFormat::parse(QStringLiteral("-3.5 USD"), QStringLiteral("USD")), -3.5);
    EXPECT_EQ(CurrencyFormat::name(QStringLiteral("JPY")), QStringLiteral("Japanese Yen"));
    EXPECT_EQ(CurrencyFormat::name(QStringLiteral("XQZ")), QStringLiteral("XQZ"));
    QLocale::setDefault(QLocale::system());
}
