#include "scanner/text_reader.h"

#include <QCoreApplication>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>

namespace vorla {

namespace {

// Tesseract parallelises inside one reading with OpenMP, whose threads spin while they wait.
// Readings here run side by side on threads of their own, so those inner threads only
// oversubscribe the machine: on a busy one a reading then takes a hundred times longer. One
// level of parallelism is kept, ours. libgomp is already loaded with Tesseract.
void keepReadingsSingleThreaded()
{
    static std::once_flag once;
    std::call_once(once, [] {
        using SetLevels = void (*)(int);
        if (auto set = reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels")))
            set(0);
    });
}

// Engines are costly to start (the model is loaded per engine) and not thread-safe: each
// reading borrows one for its thread and gives it back.
class EnginePool
{
public:
    static constexpr size_t kMaxIdle = 4;

    struct Returner {
        EnginePool *pool;
        void operator()(tesseract::TessBaseAPI *engine) const { pool->giveBack(engine); }
    };
    using Engine = std::unique_ptr<tesseract::TessBaseAPI, Returner>;

    ~EnginePool() { close(); }

    // Ends the idle engines and every engine given back from now on, and starts no more.
    // Tesseract keeps caches in statics of its own that are destroyed before ours, so this
    // must run while the application still exists.
    void close()
    {
        std::vector<tesseract::TessBaseAPI *> idle;
        {
            std::lock_guard guard(m_lock);
            m_closed = true;
            idle.swap(m_idle);
        }
        for (tesseract::TessBaseAPI *engine : idle) {
            engine->End();
            delete engine;
        }
    }

    // Empty when the engine cannot start (no language data) or the pool is closed.
    Engine borrow()
    {
        {
            std::lock_guard guard(m_lock);
            if (m_closed)
                return Engine(nullptr, Returner{this});
            if (!m_idle.empty()) {
                tesseract::TessBaseAPI *engine = m_idle.back();
                m_idle.pop_back();
                return Engine(engine, Returner{this});
            }
        }
        keepReadingsSingleThreaded();
        auto engine = std::make_unique<tesseract::TessBaseAPI>();
        // No dictionaries: catalog numbers are no words, and loading them dominates start-up.
        const std::vector<std::string> names = {
            "load_system_dawg", "load_freq_dawg",  "load_punc_dawg",   "load_number_dawg",
            "load_unambig_dawg", "load_bigram_dawg", "debug_file", "user_defined_dpi"};
        const std::vector<std::string> values = {"0", "0", "0", "0", "0", "0", "/dev/null", "300"};
        if (engine->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values,
                         false)
            != 0)
            return Engine(nullptr, Returner{this});
        engine->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
        return Engine(engine.release(), Returner{this});
    }

    size_t idle()
    {
        std::lock_guard guard(m_lock);
        return m_idle.size();
    }

private:
    void giveBack(tesseract::TessBaseAPI *engine)
    {
        engine->Clear();
        {
            std::lock_guard guard(m_lock);
            if (!m_closed && m_idle.size() < kMaxIdle) {
                m_idle.push_back(engine);
                return;
            }
        }
        engine->End();
        delete engine;
    }

    std::mutex m_lock;
    std::vector<tesseract::TessBaseAPI *> m_idle;
    bool m_closed = false;
};

class TesseractTextReader final : public TextReader
{
public:
    QList<TextObservation> read(const QImage &image, double minimumTextHeight) const override
    {
        QList<TextObservation> lines;
        if (image.isNull() || image.width() < 3 || image.height() < 3)
            return lines;
        EnginePool::Engine engine = m_pool.borrow();
        if (!engine)
            return lines;
        const QImage gray = image.format() == QImage::Format_Grayscale8
            ? image
            : image.convertToFormat(QImage::Format_Grayscale8);
        engine->SetImage(gray.constBits(), gray.width(), gray.height(), 1, gray.bytesPerLine());
        engine->SetSourceResolution(300);
        if (engine->Recognize(nullptr) != 0)
            return lines;
        const int minimumHeight = static_cast<int>(minimumTextHeight * gray.height());
        std::unique_ptr<tesseract::ResultIterator> it(engine->GetIterator());
        if (!it)
            return lines;
        do {
            int left = 0, top = 0, right = 0, bottom = 0;
            if (!it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom))
                continue;
            if (bottom - top < minimumHeight)
                continue;
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!text)
                continue;
            const QRectF box(double(left) / gray.width(), double(top) / gray.height(),
                             double(right - left) / gray.width(), double(bottom - top) / gray.height());
            lines.append({QString::fromUtf8(text.get()),
                          confidenceFromTesseract(it->Confidence(tesseract::RIL_TEXTLINE)), box});
        } while (it->Next(tesseract::RIL_TEXTLINE));
        return lines;
    }

    // Starting an engine costs more than a reading: until the warm-up (or earlier readings)
    // started several, the orientations share one engine in turn.
    int parallelism() const override { return std::max<int>(1, static_cast<int>(m_pool.idle())); }

    void close() const { m_pool.close(); }

private:
    mutable EnginePool m_pool;
};

} // namespace

double confidenceFromTesseract(float confidence)
{
    constexpr double kNoise = 50.0;
    constexpr double kCertain = 100.0;
    return std::clamp((confidence - kNoise) / (kCertain - kNoise), 0.0, 1.0);
}

std::shared_ptr<const TextReader> tesseractTextReader()
{
    static const std::shared_ptr<const TesseractTextReader> reader = [] {
        auto made = std::make_shared<TesseractTextReader>();
        // Readings still running then end their engines when they give them back.
        qAddPostRoutine([] { reader->close(); });
        return made;
    }();
    return reader;
}

} // namespace vorla
