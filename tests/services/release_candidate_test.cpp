#include "models/record_draft.h"
#include "services/release_candidate.h"

#include <gtest/gtest.h>

using namespace vorla;

namespace {

ReleaseCandidate discogsCandidate(const QString &id)
{
    ReleaseCandidate c;
    c.source = MetadataSource::discogs;
    c.sourceID = id;
    c.title = QStringLiteral("Title");
    c.artist = QStringLiteral("Artist");
    c.year = 1971;
    c.format = QString();
    c.coverURL = QUrl(QStringLiteral("https://img.example/cover.jpg"));
    c.thumbnailURL = QUrl(QStringLiteral("https://img.example/thumb.jpg"));
    c.webURL = QUrl(QStringLiteral("https://www.discogs.com/release/") + id);
    c.owners = 12;
    return c;
}

} // namespace

TEST(ReleaseCandidate, DraftFromCandidate)
{
    const struct { const char *id; std::optional<qint64> expected; } cases[] = {
        {"12345", 12345}, {"+7", 7}, {"-3", -3}, {"r123", std::nullopt}, {"", std::nullopt},
        {"12 ", std::nullopt}, {"99999999999999999999", std::nullopt}, {"+", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        const RecordDraft draft = draftFromCandidate(discogsCandidate(QString::fromUtf8(c.id)));
        EXPECT_EQ(draft.discogsReleaseID, c.expected);
        EXPECT_EQ(draft.musicBrainzID, std::nullopt);
    }
    const RecordDraft draft = draftFromCandidate(discogsCandidate(QStringLiteral("5")));
    EXPECT_EQ(draft.format, QString());
    EXPECT_EQ(draft.year, 1971);
    EXPECT_EQ(draft.coverURL, QUrl(QStringLiteral("https://img.example/cover.jpg")));
    EXPECT_EQ(draft.sourceURL, QStringLiteral("https://www.discogs.com/release/5"));

    ReleaseCandidate mb = discogsCandidate(QStringLiteral("0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b"));
    mb.source = MetadataSource::musicBrainz;
    mb.webURL.reset();
    const RecordDraft fromMB = draftFromCandidate(mb);
    EXPECT_EQ(fromMB.musicBrainzID, mb.sourceID);
    EXPECT_EQ(fromMB.discogsReleaseID, std::nullopt);
    EXPECT_EQ(fromMB.sourceURL, std::nullopt);
}
