#include "scanner/photo_matcher.h"

#include "scanner/text_recognizer.h"
#include "services/text_util.h"

#include <algorithm>

namespace vorla::PhotoMatcher {

namespace {

constexpr qsizetype kFirstQueryWords = 8;

QSet<QString> wordSet(std::initializer_list<const char *> words)
{
    QSet<QString> set;
    for (const char *word : words)
        set.insert(QString::fromLatin1(word));
    return set;
}

} // namespace

const QSet<QString> &searchNoise()
{
    static const QSet<QString> words = wordSet(
        { "stereo", "mono", "lp", "rpm", "vinyl", "digitally", "remastered", "hi", "fi" });
    return words;
}

const QSet<QString> &noiseWords()
{
    static const QSet<QString> words
        = wordSet({ "stereo", "mono", "lp", "rpm", "records", "record", "recordings", "side",
            "vinyl", "album", "inc", "ltd", "made", "in", "usa", "uk", "the", "a", "an", "and",
            "of", "manufactured", "distributed", "by", "all", "rights", "reserved", "digitally",
            "remastered", "remaster", "deluxe", "edition", "high", "fidelity", "hi", "fi" });
    return words;
}

QStringList tokens(const QString &text)
{
    // Decomposed, so a letter's accents are marks of their own and fold away.
    const QString decomposed = text.toLower().normalized(QString::NormalizationForm_D);
    QStringList words;
    QString word;
    auto endWord = [&] {
        if (!word.isEmpty())
            words.append(word.normalized(QString::NormalizationForm_C));
        word.clear();
    };
    for (const char32_t c : decomposed.toUcs4()) {
        if (QChar::category(c) == QChar::Mark_NonSpacing)
            continue;
        if (c == U'&') {
            endWord();
            words.append(QStringLiteral("and"));
        } else if (QChar::isLetterOrNumber(c)) {
            word.append(QString::fromUcs4(&c, 1));
        } else {
            endWord();
        }
    }
    endWord();
    return words;
}

QStringList keywordQueries(const PhotoEvidence &evidence)
{
    QSet<QString> catalogWords;
    for (const QString &candidate : TextRecognizer::catalogNumberCandidates(evidence.lines)) {
        for (const QString &word : tokens(candidate))
            catalogWords.insert(word);
    }

    QStringList phrases;
    for (const QString &line : evidence.lines) {
        QStringList kept;
        qsizetype letters = 0;
        for (const QString &word : tokens(line)) {
            if (searchNoise().contains(word) || catalogWords.contains(word))
                continue;
            kept.append(word);
            letters
                += std::count_if(word.begin(), word.end(), [](QChar c) { return c.isLetter(); });
        }
        if (letters > 1)
            phrases.append(kept.join(u' '));
    }

    QStringList queries;
    const QString first
        = phrases.join(u' ').split(u' ', Qt::SkipEmptyParts).mid(0, kFirstQueryWords).join(u' ');
    if (!first.isEmpty())
        queries.append(first);
    if (phrases.size() >= 3)
        queries.append(phrases[0] + u' ' + phrases[1]);
    if (phrases.size() >= 2) {
        const QString *longest = &phrases.front();
        for (const QString &phrase : std::as_const(phrases)) {
            if (phrase.size() > longest->size())
                longest = &phrase;
        }
        queries.append(*longest);
    }
    return uniqued(queries);
}

} // namespace vorla::PhotoMatcher
