#include "services/lookup_error.h"

#include <gtest/gtest.h>

using namespace vorla;

TEST(LookupError, MessagesAreExact)
{
    const struct {
        LookupError error;
        const char *message;
    } cases[] = {
        {LookupError::http(503), "The metadata service returned an error (HTTP 503)."},
        {LookupError::http(0), "The metadata service returned an error (HTTP 0)."},
        {LookupError::http(-7), "The metadata service returned an error (HTTP -7)."},
        {LookupError::missingToken(),
         "Discogs requires a personal access token for this request. Add one in Settings."},
        {LookupError::unauthorized(), "Discogs rejected the access token. Check it in Settings."},
        {LookupError::rateLimited(),
         "The metadata service is rate limiting requests. Wait a moment and try again."},
        {LookupError::notFound(), "The release could not be found."},
        {LookupError::insecureURL(), "Refusing to make a non-HTTPS request."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_STREQ(c.error.what(), c.message);
    }
}

TEST(LookupError, EqualityComparesCaseAndHttpCode)
{
    EXPECT_EQ(LookupError::http(404), LookupError::http(404));
    EXPECT_NE(LookupError::http(404), LookupError::http(500));
    EXPECT_NE(LookupError::http(404), LookupError::notFound());
    EXPECT_EQ(LookupError::rateLimited(), LookupError(LookupError::Kind::rateLimited, 12));
    EXPECT_EQ(LookupError::http(429).statusCode(), 429);
}

TEST(LookupError, IsAVorlaError)
{
    try {
        throw LookupError::notFound();
    } catch (const Error &error) {
        EXPECT_EQ(error.message(), QStringLiteral("The release could not be found."));
    }
}
