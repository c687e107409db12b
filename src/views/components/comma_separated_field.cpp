#include "views/components/comma_separated_field.h"

#include "core/text_util.h"

namespace vorla {

CommaSeparatedField::CommaSeparatedField(const QString &title, QWidget *parent)
    : QLineEdit(parent)
    , m_title(title)
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
        QString value = TextUtil::trimmedSpacesAndTabs(piece);
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
