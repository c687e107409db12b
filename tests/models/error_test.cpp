#include "models/error.h"

#include <gtest/gtest.h>

using namespace vorla;

TEST(Error, MessageKeepsNonAsciiText)
{
    const QString text = QStringLiteral("Café — “Blue” · 東京");
    try {
        throw NetworkError(text);
    } catch (const Error &error) {
        EXPECT_EQ(error.message(), text);
        EXPECT_STREQ(error.what(), text.toUtf8().constData());
    }
}
