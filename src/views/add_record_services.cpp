#include "views/add_record_services.h"

#include "app/app_settings.h"
#include "scanner/barcode_scanner.h"
#include "services/discogs_token.h"
#include "services/http.h"
#include "services/metadata_service.h"

namespace vorla {

AddRecordServices::~AddRecordServices() = default;

namespace {

class FacadeServices : public AddRecordServices
{
public:
    // The facade is built at each call, on the worker: the token may wait on the keyring, and
    // a token or setting changed meanwhile applies to the next lookup.
    QList<ReleaseCandidate> lookup(const QString &barcode, std::stop_token stop) const override
    {
        return MetadataService::current().lookup(barcode, stop);
    }
    QList<ReleaseCandidate> search(const ReleaseQuery &query, std::stop_token stop) const override
    {
        return MetadataService::current().search(query, stop);
    }
    RecordDraft details(const ReleaseCandidate &candidate, std::stop_token stop) const override
    {
        return MetadataService::current().details(candidate, stop);
    }
    void attachCover(RecordDraft &draft, std::stop_token stop) const override
    {
        MetadataService::current().attachCover(draft, std::nullopt, stop);
    }
    QByteArray thumbnail(const QUrl &url, std::stop_token stop) const override
    {
        try {
            return HTTP::data(url, {}, stop);
        } catch (const std::exception &) {
            // A missing thumbnail shows the placeholder; nothing to report.
            return {};
        }
    }
    bool hasDiscogsToken() const override { return DiscogsToken::value().has_value(); }
    bool useMusicBrainz() const override { return AppSettings::shared().useMusicBrainz(); }

    QStringList scanImage(const QString &path) const override
    {
        return BarcodeScanner::scanImage(path);
    }
    RecognizedText recognize(const QString &path) const override
    {
        return TextRecognizer::recognize(path);
    }
    RecognizedText recognize(const QImage &image) const override
    {
        return TextRecognizer::recognize(image);
    }
};

} // namespace

std::shared_ptr<const AddRecordServices> AddRecordServices::facade()
{
    static const auto services = std::make_shared<const FacadeServices>();
    return services;
}

} // namespace vorla
