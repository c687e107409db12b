// Widgets that show a cover as a square with rounded corners, or the vinyl placeholder
// when there is no artwork.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QWidget>

#include <stop_token>

namespace vorla {

// The generated disc picture alone, filling the widget.
class VinylPlaceholder : public QWidget
{
    Q_OBJECT

public:
    explicit VinylPlaceholder(const QString &seed = {}, QWidget *parent = nullptr);

    QString seed() const { return m_seed; }
    void setSeed(const QString &seed);
    double hue() const;
    QSize sizeHint() const override { return { 64, 64 }; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_seed;
};

// A square cover centred in the widget; subclasses decide where the image comes from.
class SquareCover : public QWidget
{
    Q_OBJECT

public:
    explicit SquareCover(QWidget *parent = nullptr);

    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width; }
    QSize sizeHint() const override { return { 160, 160 }; }

protected:
    virtual QImage image() const = 0;
    virtual QString seed() const = 0;
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_cornerRadius = 6;
};

// Encoded image bytes that are not stored yet (the editor's unsaved cover). They are decoded
// on the thread pool; until then the previous image stays, and bytes that do not decode show
// the placeholder.
class DataCover : public SquareCover
{
    Q_OBJECT

public:
    explicit DataCover(QWidget *parent = nullptr);
    ~DataCover() override;

    void setData(const QByteArray &data);
    void setSeed(const QString &seed);
    QString seed() const override { return m_seed; }
    // The bytes given last are still being decoded.
    bool isDecoding() const { return m_decoding; }

signals:
    // The bytes given last are decoded and shown (or the placeholder, when they did not decode).
    void imageShown();

protected:
    QImage image() const override { return m_image; }

private:
    QByteArray m_data;
    QImage m_image;
    QString m_seed;
    bool m_decoding = false;
    std::stop_source m_decode;
};

} // namespace vorla
