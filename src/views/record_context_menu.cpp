#include "views/record_context_menu.h"

#include "models/model_context.h"
#include "models/record.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenu>

namespace vorla {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("RecordContextMenu", text);
}

} // namespace

std::optional<QUrl> webPage(const Record &record)
{
    if (!record.sourceURL())
        return std::nullopt;
    const QUrl url(*record.sourceURL(), QUrl::StrictMode);
    // Only web pages: a stored address must never launch another kind of handler.
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != u"https" && url.scheme() != u"http"))
        return std::nullopt;
    return url;
}

void fillRecordContextMenu(QMenu &menu, ModelContext &context, const QList<QUuid> &records,
                           const RecordActions &actions)
{
    if (records.isEmpty())
        return;
    // The menu may outlive the records it was opened for: look them up when an item is chosen.
    auto lookUp = [&context, records] {
        QList<Record *> found;
        for (const QUuid &id : records) {
            if (Record *record = context.record(id))
                found.append(record);
        }
        return found;
    };
    ModelContext *contextPointer = &context;

    if (records.size() == 1) {
        const QUuid id = records.first();
        const Record *record = context.record(id);
        // Left out while the editor is not part of the build, never shown dead.
        if (actions.edit)
            menu.addAction(tr("Edit…"), [actions, id] { actions.edit(id); });
        const bool favorite = record && record->isFavorite();
        menu.addAction(favorite ? tr("Remove from Favorites") : tr("Add to Favorites"),
                       [contextPointer, id, favorite] {
                           if (Record *target = contextPointer->record(id))
                               target->setIsFavorite(!favorite);
                       });
        if (record) {
            if (const std::optional<QUrl> url = webPage(*record)) {
                const QString source = record->sourceName().value_or(tr("Web"));
                QAction *link = menu.addAction(QCoreApplication::translate("RecordContextMenu", "Open on %1").arg(source),
                                               [target = *url] { QDesktopServices::openUrl(target); });
                link->setData(*url);
            }
        }
    } else {
        menu.addAction(tr("Add to Favorites"), [lookUp] {
            for (Record *record : lookUp())
                record->setIsFavorite(true);
        });
    }
    menu.addAction(tr("Refresh Metadata"), [actions, records] {
        if (actions.refresh)
            actions.refresh(records);
    });
    menu.addSeparator();
    const QString deleteText = records.size() == 1
        ? tr("Delete…")
        : QCoreApplication::translate("RecordContextMenu", "Delete %1 Records…").arg(records.size());
    menu.addAction(deleteText, [actions, records] {
        if (actions.deleteRecords)
            actions.deleteRecords(records);
    });
}

} // namespace vorla
