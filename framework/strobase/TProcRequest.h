#pragma once

#include "TSMat.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QVariantMap>

class TSFbo;

// Where a running request reports to while it works.
class TProcReporter {
public:
    virtual ~TProcReporter() = default;
    virtual void progress(int percent, const QString& text) = 0;
    // An intermediate result; the reporter must copy what it keeps.
    virtual void preview(const TSFbo& image) = 0;
    // A newer request has made this one's result useless: a preview whose
    // effect has a newer preview waiting may stop where it is.
    virtual bool superseded() const { return false; }
};

// One processing request: a copy of the effect's state and input, taken on
// the GUI thread when the request was made.
struct TProcRequest {
    enum Mode { Preview, Output, Preset };

    quint64 effectId = 0;
    QString className;
    Mode mode = Preview;
    QVariantMap state;
    TSMat input;
    int decimation = 1;
    // The part of the input a preview must show, in full-resolution pixels
    // (empty: all of it); a worker may leave the rest as it likes.
    QRect region;
    int maskType = 0;
    QImage mask;
    quint64 serial = 0;
    // Runs only while no other request waits (thumbnails, not what the
    // user asked for).
    bool background = false;
    TProcReporter* reporter = nullptr;

    // "PREVIEW", "OUTPUT" or "PRESET".
    static QString modeName(Mode mode);
    QString modeName() const { return modeName(mode); }
};
