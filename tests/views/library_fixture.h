// What the inspector and editor tests share: a library file on disk (so a second connection
// sees what autosaving wrote, and when), private settings in a fixed locale, and records
// made in one line.
#pragma once

#include "isolated_settings.h"
#include "test_images.h"
#include "views/collection_view_fixture.h"

#include "app/app_settings.h"
#include "models/model_context.h"
#include "models/record.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace vorla::test {

class LibraryTest : public testing::Test
{
protected:
    LibraryTest()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        settings.setCurrencyCode(QStringLiteral("USD"));
    }
    ~LibraryTest() override { QLocale::setDefault(QLocale::system()); }

    QString path() const { return dir.filePath(QStringLiteral("Vorla.store")); }
    Record *add(const QString &title, const QString &artist = {})
    {
        auto record = std::make_unique<Record>();
        record->setTitle(title);
        record->setArtist(artist);
        Record *inserted = context->insert(std::move(record));
        context->save();
        return inserted;
    }
    // The record as another connection to the file reads it now.
    std::unique_ptr<ModelContext> reopened() const
    {
        return std::make_unique<ModelContext>(path());
    }
    // Runs `check` on the record as the file holds it now.
    template <typename Check> void expectStored(const QUuid &id, Check check)
    {
        const auto other = reopened();
        const Record *stored = other->record(id);
        ASSERT_NE(stored, nullptr);
        check(*stored);
    }
    // Waits for the automatic save and reads the record through a second connection.
    template <typename Check> void expectSaved(const QUuid &id, Check check)
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !context->hasChanges(); }, 5000));
        expectStored(id, check);
    }

    IsolatedSettings isolated;
    AppSettings &settings = AppSettings::shared();
    QTemporaryDir dir;
    std::unique_ptr<ModelContext> context = std::make_unique<ModelContext>(path());
    RecordedActions calls;
};

} // namespace vorla::test
