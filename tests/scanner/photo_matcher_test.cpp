#include "scanner/photo_matcher.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vorla;
using namespace Qt::StringLiterals;

namespace {

PhotoEvidence evidenceOf(const QStringList &lines)
{
    PhotoEvidence evidence;
    evidence.kind = PhotoEvidence::Kind::spine;
    evidence.lines = lines;
    return evidence;
}

} // namespace

TEST(PhotoMatcher, CutsTextIntoFoldedWords)
{
    const struct
    {
        QString text;
        QStringList words;
    } cases[] = {
        { u"Ana Lúa & The Tides – Low Harbour"_s,
            { u"ana"_s, u"lua"_s, u"and"_s, u"the"_s, u"tides"_s, u"low"_s, u"harbour"_s } },
        { u""_s, {} },
        { u" -–—!?. "_s, {} },
        { u"Rock&Roll"_s, { u"rock"_s, u"and"_s, u"roll"_s } },
        { u"MÖTLEY Crüe, Ça va"_s, { u"motley"_s, u"crue"_s, u"ca"_s, u"va"_s } },
        // Decomposed input folds the same as composed input.
        { u"Lu\u0301a"_s, { u"lua"_s } },
        { u"SIDE A 1. Northbound 2.Lanterns"_s,
            { u"side"_s, u"a"_s, u"1"_s, u"northbound"_s, u"2"_s, u"lanterns"_s } },
        { u"Vol. 2 – 1975 the the"_s, { u"vol"_s, u"2"_s, u"1975"_s, u"the"_s, u"the"_s } },
        { u"Straße ½"_s, { u"straße"_s, u"½"_s } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(PhotoMatcher::tokens(c.text), c.words);
    }
}

TEST(PhotoMatcher, WordListsAreFixedAndSafeToReachFromTwoThreads)
{
    const QSet<QString> *search[2] = {};
    const QSet<QString> *noise[2] = {};
    std::thread a([&] {
        search[0] = &PhotoMatcher::searchNoise();
        noise[0] = &PhotoMatcher::noiseWords();
    });
    std::thread b([&] {
        noise[1] = &PhotoMatcher::noiseWords();
        search[1] = &PhotoMatcher::searchNoise();
    });
    a.join();
    b.join();
    EXPECT_EQ(search[0], search[1]);
    EXPECT_EQ(noise[0], noise[1]);

    EXPECT_EQ(PhotoMatcher::searchNoise().size(), 9);
    EXPECT_EQ(PhotoMatcher::noiseWords().size(), 36);
    for (const char *word :
        { "stereo", "mono", "lp", "rpm", "vinyl", "digitally", "remastered", "hi", "fi" }) {
        EXPECT_TRUE(PhotoMatcher::searchNoise().contains(QString::fromLatin1(word))) << word;
        EXPECT_TRUE(PhotoMatcher::noiseWords().contains(QString::fromLatin1(word))) << word;
    }
    for (const char *word : { "the", "and", "side", "records", "manufactured", "fidelity" })
        EXPECT_TRUE(PhotoMatcher::noiseWords().contains(QString::fromLatin1(word))) << word;
    // "side" and "the" carry no identity but still narrow a search.
    EXPECT_FALSE(PhotoMatcher::searchNoise().contains(u"side"_s));
    EXPECT_FALSE(PhotoMatcher::searchNoise().contains(u"the"_s));
    EXPECT_FALSE(PhotoMatcher::noiseWords().contains(u"Stereo"_s));
}

TEST(PhotoMatcher, KeywordQueriesLeaveOutNoiseAndCatalogNumbers)
{
    const PhotoEvidence evidence = evidenceOf({ u"STEREO"_s, u"Low Harbour"_s,
        u"Ana Lua and the Tides"_s, u"SIDE A 1. Northbound 2. Lanterns"_s, u"ABC-1234"_s });
    EXPECT_EQ(PhotoMatcher::keywordQueries(evidence),
        (QStringList { u"low harbour ana lua and the tides side"_s,
            u"low harbour ana lua and the tides"_s, u"side a 1 northbound 2 lanterns"_s }));
}

TEST(PhotoMatcher, KeywordQueriesGrowWithTheNumberOfPhrases)
{
    const struct
    {
        const char *name;
        QStringList lines;
        QStringList queries;
    } cases[] = {
        { "no lines", {}, {} },
        { "digits, single letters and noise only", { u"1975"_s, u"A"_s, u"Stereo LP"_s, u"x 12"_s },
            {} },
        { "one phrase gives its first eight words",
            { u"one two three four five six seven eight nine ten"_s },
            { u"one two three four five six seven eight"_s } },
        { "two phrases: all words, then the longer",
            { u"Low Harbour"_s, u"Ana Lua and the Tides"_s },
            { u"low harbour ana lua and the tides"_s, u"ana lua and the tides"_s } },
        { "two equal phrases: the longest is not repeated", { u"Low Harbour"_s, u"low-harbour!"_s },
            { u"low harbour low harbour"_s, u"low harbour"_s } },
        { "equally long phrases: the earliest is the longest", { u"abcd"_s, u"wxyz"_s },
            { u"abcd wxyz"_s, u"abcd"_s } },
        { "a whole query equal to the longest phrase is made once",
            { u"Low Harbour Ana Lua"_s, u"1975"_s, u"ok"_s },
            { u"low harbour ana lua ok"_s, u"low harbour ana lua"_s } },
        { "two letters among digits make a phrase", { u"a 1 b"_s, u"Tide"_s },
            { u"a 1 b tide"_s, u"a 1 b"_s } },
        { "search noise goes, other noise words stay",
            { u"Digitally Remastered Hi-Fi Stereo The Tides of Side"_s },
            { u"the tides of side"_s } },
        { "catalog number words leave every line",
            { u"QRS 4410"_s, u"Northbound - qrs 4410 - Lanterns"_s },
            { u"northbound lanterns"_s } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PhotoMatcher::keywordQueries(evidenceOf(c.lines)), c.queries);
    }
}

TEST(PhotoMatcher, KeywordQueriesReadOnlyTheLines)
{
    PhotoEvidence evidence = evidenceOf({ u"Low Harbour"_s });
    evidence.kind = PhotoEvidence::Kind::cover;
    evidence.barcodes = { u"4006381333931"_s };
    evidence.crop = QImage(4, 4, QImage::Format_RGB32);
    EXPECT_EQ(PhotoMatcher::keywordQueries(evidence), QStringList { u"low harbour"_s });
}
