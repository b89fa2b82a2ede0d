#pragma once

#include "TEBaseWorker.h"

#include <map>
#include <tuple>
#include <memory>

class GLProg;

// Worker of an effect with one input image.
class STROBASE_EXPORT TEffectWorker : public TEBaseWorker {
    Q_OBJECT
public:
    TEffectWorker(const QString& name, unsigned effectId, unsigned flags);
    ~TEffectWorker() override;

    // Lays the result over the input by the effect's blend mode and opacity.
    void postProc(TSFbo& output) override;

protected:
    // The request's input reduced by an integer factor, in the given GL
    // internal format; its uid changes only with the image. nearest: sample
    // instead of averaging when reducing. Empty when there is no input.
    TSFbo inputFbo(int decimation, bool nearest, GLenum internalFormat);
    int decimation() const { return request().decimation; }
    // What a preview must show, in full-resolution pixels; empty: all.
    QRect region() const { return request().region; }
    // "PREVIEW", "OUTPUT" or "PRESET".
    QString procMode() const { return request().modeName(); }
    void blockingProcProgress(int percent, const QString& text);
    void drawPreview(const TSFbo& image);
    // A newer preview waits: this one's work may stop.
    bool superseded() const;

    void blendOverInput(TSFbo& output, bool withMask);

private:
    struct InputKey {
        quint32 uid;
        int decimation;
        GLenum format;
        bool nearest;
        bool operator<(const InputKey& o) const
        {
            return std::tie(uid, decimation, format, nearest) < std::tie(o.uid, o.decimation, o.format, o.nearest);
        }
    };
    // Uploads of the current image, so that a preview does not upload the
    // photograph again.
    std::map<InputKey, TSFbo> m_inputs;
    std::unique_ptr<GLProg> m_blend;
};

// Worker of an effect whose result is limited to a painted mask.
class STROBASE_EXPORT TEffectMaskWorker : public TEffectWorker {
    Q_OBJECT
public:
    TEffectMaskWorker(const QString& name, unsigned effectId, unsigned flags);

    void postProc(TSFbo& output) override;
};
