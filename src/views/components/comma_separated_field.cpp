#include "views/components/comma_separated_field.h"

namespace vorla {

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimSpacesAndTabs(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isSpaceOrTab(text[start]))
        ++start;
    while (end > start && isSpaceOrTab(text[end - 1]))
        --end;
    return text.sliced(start, end - start).toString();
}

} // namespace

CommaSeparatedField::CommaSeparatedField(const QString &title, QWidget *parent)
    : QLineEdit(parent), m_title(title)
{
    setPlaceholderText(tr("Separate with commas"));
    setAccessibleName(title);
    connect(this, &QLineEdit::textChanged, this, &CommaSeparatedField::textChangedByUser);
}

void CommaSeparatedField::setValues(const QStringList &values)
{
    m_values = values;
}

QStringList CommaSeparatedField::parse(const QString &text)
{
    QStringList values;
    for (const QStringView piece : QStringView(text).split(u',', Qt::SkipEmptyParts)) {
        QString value = trimSpacesAndTabs(piece);
        if (!value.isEmpty())
            values.append(std::move(value));
    }
    return values;
}

void CommaSeparatedField::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        m_loading = true;
        setText(m_values.join(QStringLiteral(", ")));
        m_loading = false;
        m_loaded = true;
    }
    QLineEdit::showEvent(event);
}

void CommaSeparatedField::textChangedByUser(const QString &text)
{
    if (m_loading)
        return;
    m_values = parse(text);
    emit valuesChanged(m_values);
}

} // namespace vorla
