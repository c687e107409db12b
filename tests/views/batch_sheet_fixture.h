// The batch import sheet over a real batch matcher whose lookups and photo analysis are
// scripted, with items in any state and a store a second connection can check.
#pragma once

#include "app/app_settings.h"
#include "app/batch_matcher_fixture.h"
#include "isolated_settings.h"
#include "views/batch_import_sheet.h"
#include "views/batch_input_pane.h"
#include "views/batch_review_pane.h"

#include <QAbstractButton>
#include <QLabel>

namespace vorla::test {

class BatchSheetTest : public BatchMatcherTest
{
protected:
    using Kind = BatchItem::Status::Kind;

    static BatchItem item(const char *line, BatchItem::Status status, bool include = true,
        QList<ReleaseCandidate> candidates = {})
    {
        BatchItem result;
        result.line = QString::fromUtf8(line);
        result.query = ReleaseQuery::parse(result.line);
        result.status = status;
        result.include = include;
        result.candidates = std::move(candidates);
        if (!result.candidates.isEmpty())
            result.chosenID = result.candidates.first().id();
        return result;
    }
    static BatchItem added(const char *line, const QUuid &record = QUuid::createUuid())
    {
        BatchItem result = item(line, BatchItem::Status::matched(), false,
            { candidate(QStringLiteral("9"), QStringLiteral("A"), QString::fromUtf8(line)) });
        result.addedRecordID = record;
        return result;
    }

    BatchImportSheet &sheet(bool startWithPhotoPicker = false)
    {
        if (!m_sheet) {
            m_sheet = std::make_unique<BatchImportSheet>(
                &matcher, startWithPhotoPicker, BatchImportSheet::Options {});
            m_sheet->show();
        }
        return *m_sheet;
    }
    BatchReviewPane &review() { return *sheet().reviewPane(); }
    BatchInputPane &input() { return *sheet().inputPane(); }

    template <typename T = QWidget> T *find(QWidget *in, const char *name)
    {
        T *found = in->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(QWidget *in, const char *name)
    {
        if (auto *label = find<QLabel>(in, name))
            return label->text();
        return {};
    }
    QString buttonText(QWidget *in, const char *name)
    {
        if (auto *button = find<QAbstractButton>(in, name))
            return button->text();
        return {};
    }
    QStringList filterTitles()
    {
        QStringList titles;
        for (const auto filter : BatchReview::allFilters)
            titles.append(buttonText(&review(), QStringLiteral("filter%1").arg(int(filter)).toLatin1().constData()));
        return titles;
    }
    QStringList itemLines() const
    {
        QStringList lines;
        for (const BatchItem &i : matcher.items())
            lines.append(i.line);
        return lines;
    }

    IsolatedSettings settings;
    std::unique_ptr<BatchImportSheet> m_sheet;
};

} // namespace vorla::test
