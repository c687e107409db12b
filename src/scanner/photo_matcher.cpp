#include "scanner/photo_matcher.h"

#include "models/error.h"
#include "scanner/text_recognizer.h"
#include "services/barcode.h"
#include "services/release_query.h"
#include "services/text_util.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cstdlib>
#include <exception>
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
    const bool simple = std::none_of(
        text.begin(), text.end(), [](QChar c) { return c.isSurrogate() || c.isMark(); });
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
        word.characters.push_back(points.size() == 1 ? quint64(points.front())
                                                     : (quint64(1) << 32) | qHash(cluster));
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

// The Levenshtein distance, or limit + 1 as soon as it is sure to exceed limit.
int distance(const std::vector<quint64> &a, const std::vector<quint64> &b, int limit)
{
    const size_t n = a.size();
    const size_t m = b.size();
    if (n == 0 || m == 0)
        return int(std::min<size_t>(std::max(n, m), size_t(limit) + 1));
    std::vector<int> previous(m + 1);
    std::vector<int> current(m + 1);
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

// The evidence's text, prepared once for all the candidates scored against it.
struct EvidenceText
{
    explicit EvidenceText(const PhotoEvidence &evidence)
        : words(prepareWords(tokens(evidence.lines.join(u' '))))
        , barcodes(evidence.barcodes)
    {
        for (const Word &word : words) {
            exact.insert(word.text);
            joined.append(word.text);
            if (word.length() >= 2 && !noiseWords().contains(word.text))
                own.push_back(&word);
        }
        for (const QString &number : TextRecognizer::catalogNumberCandidates(evidence.lines)) {
            const QString key = ReleaseQuery::normalizedCatalogNumber(number);
            if (!key.isEmpty())
                catalogKeys.insert(key);
        }
    }
    EvidenceText(const EvidenceText &) = delete;
    EvidenceText &operator=(const EvidenceText &) = delete;

    bool found(const Word &w) const
    {
        if (exact.contains(w.text))
            return true;
        if (!mayMatchTolerantly(w))
            return false;
        for (const Word &e : words) {
            if (tolerantMatch(w, e))
                return true;
        }
        // Words the reader glued together or split apart are still inside the joined text.
        return joined.contains(w.text);
    }

    // The share of the words found; 0 for no words.
    double fraction(const std::vector<Word> &list) const
    {
        if (list.empty())
            return 0;
        const auto count = std::count_if(
            list.begin(), list.end(), [this](const Word &w) { return found(w); });
        return double(count) / double(list.size());
    }

    bool matchesBarcode(const QString &barcode) const
    {
        if (barcode.isEmpty())
            return false;
        return std::any_of(barcodes.begin(), barcodes.end(),
            [&barcode](const QString &code) { return Barcode::matches(code, barcode); });
    }

    const std::vector<Word> words;
    QSet<QString> exact;
    QString joined;
    // The evidence's own words: 2 characters or more, not noise. Point into `words`.
    std::vector<const Word *> own;
    QSet<QString> catalogKeys;
    const QStringList barcodes;
};

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
    const std::vector<Word> titleWords = prepareWords(significantTokens(candidate.title));
    s.title = evidence.fraction(titleWords);
    s.artist = isVarious(candidate.artist)
        ? s.title
        : evidence.fraction(prepareWords(significantTokens(candidate.artist)));
    const QString catalogKey = ReleaseQuery::normalizedCatalogNumber(candidate.catalogNumber);
    s.catalogNumber = !catalogKey.isEmpty() && evidence.catalogKeys.contains(catalogKey);
    scored.barcode = evidence.matchesBarcode(candidate.barcode);

    if (!evidence.own.empty()) {
        const QStringList texts = { candidate.artist, candidate.title, candidate.label,
            candidate.catalogNumber };
        const QStringList words = tokens(texts.join(u' '));
        const QSet<QString> exact(words.begin(), words.end());
        std::vector<Word> tolerant;
        for (const QString &word : exact) {
            const Word prepared = prepareWord(word);
            if (mayMatchTolerantly(prepared))
                tolerant.push_back(prepared);
        }
        const auto matched = std::count_if(evidence.own.begin(), evidence.own.end(),
            [&](const Word *u) {
                if (exact.contains(u->text))
                    return true;
                if (!mayMatchTolerantly(*u))
                    return false;
                return std::any_of(tolerant.begin(), tolerant.end(),
                    [u](const Word &c) { return tolerantMatch(*u, c); });
            });
        s.coverage = double(matched) / double(evidence.own.size());
    }

    if (titleWords.empty())
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
    const QStringList all = tokens(TextUtil::cleanArtistName(text));
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

QList<ReleaseCandidate> rank(const QList<ReleaseCandidate> &candidates, const PhotoEvidence &evidence)
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
        QList<ReleaseCandidate> found
            = ask([&] { return sources.lookupBarcode(barcode, stop); });
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
            if (significantTokens(candidate.title).isEmpty())
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
