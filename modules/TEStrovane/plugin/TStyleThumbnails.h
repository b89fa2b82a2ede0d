#pragma once

#include <TSMat.h>

#include <QHash>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QVariantList>

#include <memory>

class TStrovane;

// Paints every style on the open picture at thumbnail size, in the
// background: one style at a time, each request waiting behind whatever
// the user asked for, the styles in sight first. Thumbnails are kept in
// memory and on disk under the cache folder, by the picture's content and
// the style's values, so that a picture seen before has them at once.
class TStyleThumbnails : public QObject {
    Q_OBJECT
    Q_PROPERTY(TSMat picture READ picture WRITE setPicture NOTIFY pictureChanged)
    // [{guid, preset}] in the order the panel shows them.
    Q_PROPERTY(QVariantList styles READ styles WRITE setStyles NOTIFY stylesChanged)
    // Grows whenever a thumbnail became ready or the picture changed.
    Q_PROPERTY(int revision READ revision NOTIFY revisionChanged)
    // While true no thumbnail starts (the user's painting is under way);
    // the queue goes on when it turns false.
    Q_PROPERTY(bool paused READ paused WRITE setPaused NOTIFY pausedChanged)
public:
    // The longer side of a thumbnail.
    static constexpr int kSide = 240;

    explicit TStyleThumbnails(QObject* parent = nullptr);
    ~TStyleThumbnails() override;

    TSMat picture() const { return m_picture; }
    void setPicture(const TSMat& picture);
    QVariantList styles() const { return m_styles; }
    void setStyles(const QVariantList& styles);
    int revision() const { return m_revision; }
    bool paused() const { return m_paused; }
    void setPaused(bool paused);

    // The style's thumbnail of the picture; empty while it is being made.
    Q_INVOKABLE QUrl source(const QString& guid) const;
    Q_INVOKABLE bool pending(const QString& guid) const;
    // These styles next, in this order (the tiles in sight); said when the
    // picture or the styles changed, before the painting begins.
    Q_INVOKABLE void prefer(const QStringList& guids);

    // The picture as the thumbnails are painted from.
    static cv::Mat reduced(const cv::Mat& picture);

signals:
    void pictureChanged();
    void stylesChanged();
    void revisionChanged();
    void pausedChanged();

private:
    // "style-thumbnails" in the application's cache folder.
    static QString folder();
    QString keyOf(const QString& guid) const;
    QString pathOf(const QString& key) const;
    void restart();
    void paintNext();
    void finished(const QString& mode, const QString& error);

    TSMat m_picture;
    TSMat m_small;
    QString m_pictureKey;
    QVariantList m_styles;
    QHash<QString, QString> m_styleKeys; // guid -> key of its values
    QStringList m_queue;                 // guids still to paint
    QString m_running;                   // thumbnail key being painted
    int m_revision = 0;
    bool m_paused = false;
    std::unique_ptr<TStrovane> m_effect;
};
