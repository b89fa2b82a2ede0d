#pragma once

#include "TSFbo.h"

#include <QHash>
#include <QObject>

// Where previews meet the views that show them: an effect publishes its
// latest preview under the uid of the view it feeds (its previewerUid), and
// the view with that uid takes the GPU image as it is, without a read-back.
// GUI thread only.
class STROBASE_EXPORT TPreviewHub : public QObject {
    Q_OBJECT
public:
    static TPreviewHub* instance();
    // A uid no other view of this process has.
    static QString newViewerUid();

    void publish(const QString& viewerUid, const TSFbo& image);
    TSFbo latest(const QString& viewerUid) const { return m_latest.value(viewerUid); }
    // The view is gone: its image is dropped.
    void forget(const QString& viewerUid);

signals:
    void published(const QString& viewerUid);

private:
    using QObject::QObject;
    QHash<QString, TSFbo> m_latest;
};
