#include "scanner/photo_matcher.h"

#include "models/error.h"
#include "scanner/text_recognizer.h"
#include "services/barcode.h"
#include "services/release_query.h"
#include "core/text_util.h"

#include <QHash>
#include <QTextBoundaryFinder>
#include <QtAlgorithms>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

namespace vorla::PhotoMatcher {

namespace {

constexpr qsizetype kFirstQueryWords = 8;
// Searches by the first two catalog numbers read.
constexpr qsizetype kCatalogQueries = 2;
// Tracklists are compared only for evidence of this many lines or more, for this many of
// the best candidates.
constexpr qsizetype kTracklistLines = 4;
constexpr qsizetype kTracklistRequests = 2;

QSet<QString> wordSet(std::initializer_list<const char *> words)
{
    QSet<QString> set;
    for (const char *word : words)
        set.insert(QString::fromLatin1(word));
    return set;
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

QStringList asciiTokens(const QString &text)
{
    QStringList words;
    words.reserve(text.size() / 4 + 1);
    QString word;
    const auto endWord = [&] {
        if (!word.isEmpty())
            words.append(std::exchange(word, QString()));
    };
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z') {
            word.append(QChar(u + (u'a' - u'A')));
        } else if ((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9')) {
            word.append(c);
        } else {
            endWord();
            if (u == u'&')
                words.append(QStringLiteral("and"));
        }
    }
    endWord();
    return words;
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
    // Most text read or looked up is plain ASCII, which has nothing to fold.
    if (isAscii(text))
        return asciiTokens(text);
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

namespace {

// A word prepared for the tolerant comparison: its characters (grapheme clusters) as
// numbers, so distances are counted without building strings.
struct Word
{
    QString text;
    std::vector<quint64> characters;

    qsizetype length() const { return qsizetype(characters.size()); }
};

Word prepareWord(const QString &text)
{
    Word word;
    word.text = text;
    const bool simple = std::none_of(text.begin(), text.end(),
        [](QChar c) { return c.unicode() >= 0x300 && (c.isSurrogate() || c.isMark()); });
    if (simple) {
        word.characters.reserve(size_t(text.size()));
        for (const QChar c : text)
            word.characters.push_back(c.unicode());
        return word;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        const QStringView cluster = QStringView(text).mid(start, end - start);
        const QList<uint> points = cluster.toUcs4();
        // One code point stands for itself; a longer cluster by its hash, above all of them.
        word.characters.push_back(
            points.size() == 1 ? quint64(points.front()) : (quint64(1) << 32) | qHash(cluster));
        start = end;
    }
    return word;
}

std::vector<Word> prepareWords(const QStringList &texts)
{
    std::vector<Word> words;
    words.reserve(size_t(texts.size()));
    for (const QString &text : texts)
        words.push_back(prepareWord(text));
    return words;
}

// The Levenshtein distance, or limit + 1 as soon as it is sure to exceed limit. `rows` holds
// two rows of m + 1 cells.
int distance(const quint64 *a, size_t n, const quint64 *b, size_t m, int limit, int *rows)
{
    if (n == 0 || m == 0)
        return int(std::min<size_t>(std::max(n, m), size_t(limit) + 1));
    int *previous = rows;
    int *current = rows + m + 1;
    for (size_t j = 0; j <= m; ++j)
        previous[j] = int(j);
    for (size_t i = 1; i <= n; ++i) {
        current[0] = int(i);
        int rowMinimum = current[0];
        for (size_t j = 1; j <= m; ++j) {
            const int substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({ previous[j] + 1, current[j - 1] + 1, substitution });
            rowMinimum = std::min(rowMinimum, current[j]);
        }
        if (rowMinimum > limit)
            return limit + 1;
        std::swap(previous, current);
    }
    return std::min(previous[m], limit + 1);
}

int distance(const std::vector<quint64> &a, const std::vector<quint64> &b, int limit)
{
    // Words are short: their rows fit on the stack.
    constexpr size_t kShort = 48;
    if (b.size() < kShort) {
        std::array<int, 2 * kShort> rows;
        return distance(a.data(), a.size(), b.data(), b.size(), limit, rows.data());
    }
    std::vector<int> rows(2 * (b.size() + 1));
    return distance(a.data(), a.size(), b.data(), b.size(), limit, rows.data());
}

// Equal words match; words of 5 to 8 characters may differ by one edit, longer ones by two.
bool tolerantMatch(const Word &w, const Word &t)
{
    if (w.text == t.text)
        return true;
    const qsizetype longer = std::max(w.length(), t.length());
    if (longer < 5)
        return false;
    const int allowance = longer > 8 ? 2 : 1;
    if (std::abs(w.length() - t.length()) > allowance)
        return false;
    return distance(w.characters, t.characters, allowance) <= allowance;
}

// Only a word of 4 characters or more can match another than itself.
bool mayMatchTolerantly(const Word &w)
{
    return w.length() >= 4;
}

// The evidence's text, prepared once for all the candidates scored against it. Search
// results repeat their artists, titles and labels, so what a text scores is kept.
class EvidenceText
{
public:
    explicit EvidenceText(const PhotoEvidence &evidence)
        : m_words(prepareWords(tokens(evidence.lines.join(u' '))))
        , m_barcodes(evidence.barcodes)
    {
        for (const Word &word : m_words) {
            m_exact.insert(word.text);
            m_joined.append(word.text);
            if (word.length() >= 2 && !noiseWords().contains(word.text))
                m_own.push_back(&word);
        }
        for (const QString &number : TextRecognizer::catalogNumberCandidates(evidence.lines)) {
            const QString key = ReleaseQuery::normalizedCatalogNumber(number);
            if (!key.isEmpty())
                m_catalogKeys.insert(key);
        }
    }
    EvidenceText(const EvidenceText &) = delete;
    EvidenceText &operator=(const EvidenceText &) = delete;

    bool found(const Word &w) const
    {
        if (m_exact.contains(w.text))
            return true;
        if (!mayMatchTolerantly(w))
            return false;
        for (const Word &e : m_words) {
            if (tolerantMatch(w, e))
                return true;
        }
        // Words the reader glued together or split apart are still inside the joined text.
        return m_joined.contains(w.text);
    }

    // The share of the words found; 0 for no words.
    double fraction(const std::vector<Word> &list) const
    {
        if (list.empty())
            return 0;
        const auto count
            = std::count_if(list.begin(), list.end(), [this](const Word &w) { return found(w); });
        return double(count) / double(list.size());
    }

    // fraction() of a title's or an artist's significant words.
    double share(const QString &text) const { return significant(text).share; }
    bool hasSignificantWords(const QString &text) const { return significant(text).words > 0; }

    // The share of the evidence's own words that match some word of the texts.
    double coverage(const QStringList &texts) const
    {
        if (m_own.empty())
            return 0;
        std::vector<quint64> matched(maskSize(), 0);
        for (const QString &text : texts) {
            for (const QString &word : textTokens(text)) {
                const std::vector<quint64> &mask = ownMatches(word);
                for (size_t i = 0; i < matched.size(); ++i)
                    matched[i] |= mask[i];
            }
        }
        qsizetype count = 0;
        for (const quint64 bits : matched)
            count += qPopulationCount(bits);
        return double(count) / double(m_own.size());
    }

    bool readCatalogNumber(const QString &catalogNumber) const
    {
        const QString key = ReleaseQuery::normalizedCatalogNumber(catalogNumber);
        return !key.isEmpty() && m_catalogKeys.contains(key);
    }

    bool matchesBarcode(const QString &barcode) const
    {
        if (barcode.isEmpty())
            return false;
        return std::any_of(m_barcodes.begin(), m_barcodes.end(),
            [&barcode](const QString &code) { return Barcode::matches(code, barcode); });
    }

private:
    struct Significant
    {
        double share = 0;
        qsizetype words = 0;
    };

    const Significant &significant(const QString &text) const
    {
        auto kept = m_significant.find(text);
        if (kept == m_significant.end()) {
            const std::vector<Word> words = prepareWords(significantTokens(text));
            kept = m_significant.insert(text, { fraction(words), qsizetype(words.size()) });
        }
        return *kept;
    }

    size_t maskSize() const { return (m_own.size() + 63) / 64; }

    const QStringList &textTokens(const QString &text) const
    {
        auto kept = m_tokens.find(text);
        if (kept == m_tokens.end())
            kept = m_tokens.insert(text, tokens(text));
        return *kept;
    }

    // One bit per own word that the word matches.
    const std::vector<quint64> &ownMatches(const QString &word) const
    {
        auto kept = m_ownMatches.find(word);
        if (kept != m_ownMatches.end())
            return *kept;
        std::vector<quint64> mask(maskSize(), 0);
        const Word prepared = prepareWord(word);
        for (size_t i = 0; i < m_own.size(); ++i) {
            const Word &own = *m_own[i];
            if (own.text == word || (mayMatchTolerantly(own) && tolerantMatch(own, prepared)))
                mask[i / 64] |= quint64(1) << (i % 64);
        }
        return *m_ownMatches.insert(word, std::move(mask));
    }

    const std::vector<Word> m_words;
    const QStringList m_barcodes;
    QSet<QString> m_exact;
    QString m_joined;
    // 2 characters or more and not noise, repeats included; they point into m_words.
    std::vector<const Word *> m_own;
    QSet<QString> m_catalogKeys;
    mutable QHash<QString, Significant> m_significant;
    mutable QHash<QString, QStringList> m_tokens;
    mutable QHash<QString, std::vector<quint64>> m_ownMatches;
};

bool hasUsableTitle(const ReleaseCandidate &candidate)
{
    return !significantTokens(candidate.title).isEmpty();
}

bool isVarious(const QString &artist)
{
    // Normalising is costly; plain ASCII without the word cannot start with it.
    const bool ascii
        = std::all_of(artist.begin(), artist.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii && !artist.contains(QLatin1String("various"), Qt::CaseInsensitive))
        return false;
    return ReleaseQuery::normalizedName(artist).startsWith(QLatin1String("various"));
}

struct Scored
{
    qsizetype index = 0; // in the list that was scored
    Score score;
    bool barcode = false;
};

Scored scoreCandidate(const ReleaseCandidate &candidate, const EvidenceText &evidence)
{
    Scored scored;
    Score &s = scored.score;
    s.title = evidence.share(candidate.title);
    s.artist = isVarious(candidate.artist) ? s.title : evidence.share(candidate.artist);
    s.catalogNumber = evidence.readCatalogNumber(candidate.catalogNumber);
    scored.barcode = evidence.matchesBarcode(candidate.barcode);
    s.coverage = evidence.coverage(
        { candidate.artist, candidate.title, candidate.label, candidate.catalogNumber });

    if (!evidence.hasSignificantWords(candidate.title))
        s.certain = false; // nothing to show for it, whatever its barcode says
    else if (scored.barcode)
        s.certain = true;
    else if (s.title >= 0.75 && s.artist >= 0.75)
        s.certain = true;
    else
        s.certain = s.catalogNumber && (s.title >= 0.5 || s.artist >= 0.5);
    return scored;
}

std::vector<Scored> rankScored(
    const QList<ReleaseCandidate> &candidates, const EvidenceText &evidence)
{
    std::vector<Scored> scored;
    scored.reserve(size_t(candidates.size()));
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        scored.push_back(scoreCandidate(candidates[i], evidence));
        scored.back().index = i;
    }
    std::stable_sort(scored.begin(), scored.end(),
        [](const Scored &a, const Scored &b) { return b.score < a.score; });
    return scored;
}

QString releaseKey(const ReleaseCandidate &candidate)
{
    return ReleaseQuery::normalizedName(candidate.artist) + u'|'
        + ReleaseQuery::normalizedName(candidate.title);
}

bool unambiguouslyCertain(
    const std::vector<Scored> &ranked, const QList<ReleaseCandidate> &candidates)
{
    if (ranked.empty() || !ranked.front().score.certain)
        return false;
    if (ranked.size() == 1)
        return true;
    const Scored &first = ranked.front();
    const double firstSum = first.score.sum();
    const QString firstKey = releaseKey(candidates[first.index]);
    for (auto other = ranked.begin() + 1; other != ranked.end(); ++other) {
        // Pressings that share the barcode can only be told apart by a catalog number read
        // on this one.
        if (first.barcode && other->barcode
            && !(first.score.catalogNumber && !other->score.catalogNumber))
            return false;
        if (other->score.certain && std::abs(other->score.sum() - firstSum) < 0.01
            && releaseKey(candidates[other->index]) != firstKey)
            return false;
    }
    return true;
}

QList<ReleaseCandidate> inOrder(
    const std::vector<Scored> &ranked, const QList<ReleaseCandidate> &candidates)
{
    QList<ReleaseCandidate> result;
    result.reserve(qsizetype(ranked.size()));
    for (const Scored &s : ranked)
        result.append(candidates[s.index]);
    return result;
}

Outcome certainOutcome(QList<ReleaseCandidate> candidates)
{
    Outcome outcome;
    outcome.best = candidates.first();
    outcome.candidates = std::move(candidates);
    outcome.isCertain = true;
    return outcome;
}

void throwIfStopped(std::stop_token stop)
{
    if (stop.stop_requested())
        throw CancelledError();
}

} // namespace

double Score::sum() const
{
    return artist + title + coverage + (catalogNumber ? 1.0 : 0.0);
}

bool operator<(const Score &a, const Score &b)
{
    if (a.certain != b.certain)
        return !a.certain;
    return a.sum() < b.sum();
}

QStringList significantTokens(const QString &text)
{
    // Only a text that ends in ")" can carry the number to drop; tokens() ignores the
    // spaces that cleaning would trim.
    const bool mayEndInNumber = TextUtil::trimmedWhitespaceAndNewlines(text).endsWith(u')');
    const QStringList all = tokens(mayEndInNumber ? TextUtil::cleanArtistName(text) : text);
    QStringList significant;
    for (const QString &word : all) {
        if (!noiseWords().contains(word))
            significant.append(word);
    }
    return significant.isEmpty() ? all : significant;
}

int editDistance(const QString &a, const QString &b)
{
    const Word wa = prepareWord(a);
    const Word wb = prepareWord(b);
    const int longest = int(std::max(wa.length(), wb.length()));
    return distance(wa.characters, wb.characters, longest);
}

Score score(const ReleaseCandidate &candidate, const PhotoEvidence &evidence)
{
    return scoreCandidate(candidate, EvidenceText(evidence)).score;
}

QList<ReleaseCandidate> rank(
    const QList<ReleaseCandidate> &candidates, const PhotoEvidence &evidence)
{
    return inOrder(rankScored(candidates, EvidenceText(evidence)), candidates);
}

bool isUnambiguouslyCertain(const QList<ReleaseCandidate> &ranked, const PhotoEvidence &evidence)
{
    // Scored again, but not reordered: the list is taken in the order given.
    const EvidenceText text(evidence);
    std::vector<Scored> scored;
    for (qsizetype i = 0; i < ranked.size(); ++i) {
        scored.push_back(scoreCandidate(ranked[i], text));
        scored.back().index = i;
    }
    return unambiguouslyCertain(scored, ranked);
}

bool tracklistConfirms(const QList<Track> &tracks, const PhotoEvidence &evidence)
{
    const EvidenceText text(evidence);
    int usable = 0;
    int fullyRead = 0;
    for (const Track &track : tracks) {
        const std::vector<Word> words = prepareWords(significantTokens(track.title));
        if (words.empty())
            continue;
        ++usable;
        if (std::all_of(words.begin(), words.end(), [&](const Word &w) { return text.found(w); }))
            ++fullyRead;
    }
    if (usable == 0)
        return false;
    return fullyRead >= 3 || (fullyRead == 2 && usable < 5);
}

Outcome match(const PhotoEvidence &evidence, const Sources &sources, std::stop_token stop)
{
    const EvidenceText text(evidence);
    std::exception_ptr lastError;
    QList<ReleaseCandidate> pool;
    QSet<QString> pooled;

    // Runs one request; a failure is remembered and passed over, a stop is not.
    const auto ask = [&](auto request) -> QList<ReleaseCandidate> {
        throwIfStopped(stop);
        try {
            return request();
        } catch (const CancelledError &) {
            throw;
        } catch (const Error &) {
            lastError = std::current_exception();
            return {};
        }
    };
    // Adds what is new to the pool; the certain outcome when the pool now has one.
    const auto pooledCertainly = [&](const QList<ReleaseCandidate> &found) {
        bool added = false;
        for (const ReleaseCandidate &candidate : found) {
            if (!pooled.contains(candidate.id())) {
                pooled.insert(candidate.id());
                pool.append(candidate);
                added = true;
            }
        }
        if (!added)
            return std::optional<Outcome>();
        const std::vector<Scored> ranked = rankScored(pool, text);
        if (!unambiguouslyCertain(ranked, pool))
            return std::optional<Outcome>();
        return std::optional<Outcome>(certainOutcome(inOrder(ranked, pool)));
    };

    for (const QString &barcode : evidence.barcodes) {
        QList<ReleaseCandidate> found = ask([&] { return sources.lookupBarcode(barcode, stop); });
        // A release found by the code carries it, even when the answer did not list it.
        for (ReleaseCandidate &candidate : found) {
            if (candidate.barcode.isEmpty())
                candidate.barcode = Barcode::digits(barcode);
        }
        if (const std::optional<Outcome> certain = pooledCertainly(found))
            return *certain;
    }

    QList<ReleaseQuery> queries;
    for (const QString &number :
        TextRecognizer::catalogNumberCandidates(evidence.lines).mid(0, kCatalogQueries)) {
        ReleaseQuery query;
        query.catalogNumber = number;
        queries.append(query);
    }
    for (const QString &keywords : keywordQueries(evidence)) {
        ReleaseQuery query;
        query.text = keywords;
        queries.append(query);
    }
    for (const ReleaseQuery &query : uniqued(queries)) {
        const QList<ReleaseCandidate> found = ask([&] { return sources.search(query, stop); });
        if (const std::optional<Outcome> certain = pooledCertainly(found))
            return *certain;
    }

    if (pool.isEmpty() && lastError)
        std::rethrow_exception(lastError);
    const QList<ReleaseCandidate> ranked = inOrder(rankScored(pool, text), pool);

    if (evidence.lines.size() >= kTracklistLines) {
        for (const ReleaseCandidate &candidate : ranked.mid(0, kTracklistRequests)) {
            // A release without a usable title is never certain, so its tracks are not asked.
            if (!hasUsableTitle(candidate))
                continue;
            throwIfStopped(stop);
            QList<Track> tracks;
            try {
                tracks = sources.tracklist(candidate, stop);
            } catch (const CancelledError &) {
                throw;
            } catch (const Error &) {
                continue;
            }
            if (tracklistConfirms(tracks, evidence)) {
                QList<ReleaseCandidate> confirmed { candidate };
                for (const ReleaseCandidate &other : ranked) {
                    if (other.id() != candidate.id())
                        confirmed.append(other);
                }
                return certainOutcome(confirmed);
            }
        }
    }

    Outcome outcome;
    outcome.candidates = ranked;
    if (!ranked.isEmpty())
        outcome.best = ranked.first();
    return outcome;
}

} // namespace vorla::PhotoMatcher
