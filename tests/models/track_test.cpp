#include "models/record.h"
#include "models/track.h"

#include <gtest/gtest.h>

using namespace vorla;

TEST(Track, RoundTripKeepsFieldsAndOrderWithNewIDs)
{
    const QList<Track> tracks = {
        Track{QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("Intro"), QStringLiteral("1:02")},
        Track{QUuid::createUuid(), QStringLiteral("B1"), QStringLiteral("Ünïcode \"quoted\""), QString()},
    };
    Record record;
    record.setTracks(tracks);
    ASSERT_TRUE(record.tracklistData());
    const QList<Track> decoded = record.tracks();
    ASSERT_EQ(decoded.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(decoded[i].position, tracks[i].position);
        EXPECT_EQ(decoded[i].title, tracks[i].title);
        EXPECT_EQ(decoded[i].duration, tracks[i].duration);
        EXPECT_NE(decoded[i].id, tracks[i].id);
    }
}

TEST(Track, EmptyListStoresNone)
{
    Record record;
    record.setTracks({Track{}});
    record.setTracks({});
    EXPECT_EQ(record.tracklistData(), std::nullopt);
    EXPECT_TRUE(record.tracks().isEmpty());
}

TEST(Track, InvalidDataReadsAsEmpty)
{
    const char *cases[] = {
        "[]",
        "not json",
        "{\"position\":\"A1\",\"title\":\"x\",\"duration\":\"\"}",
        "[{\"position\":\"A1\",\"title\":\"x\",\"duration\":\"1:00\"},{\"position\":\"A2\",\"title\":\"y\"}]",
        "[{\"position\":1,\"title\":\"x\",\"duration\":\"\"}]",
    };
    for (const char *data : cases) {
        SCOPED_TRACE(data);
        EXPECT_TRUE(decodeTracklist(QByteArray(data)).isEmpty());
    }
    const QList<Track> extra = decodeTracklist(
        "[{\"position\":\"A1\",\"title\":\"x\",\"duration\":\"\",\"extra\":3}]");
    ASSERT_EQ(extra.size(), 1);
    EXPECT_EQ(extra[0].title, QStringLiteral("x"));
}
