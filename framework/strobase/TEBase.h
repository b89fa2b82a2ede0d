#pragma once

#include "TParamType.h"
#include "TTreeNode.h"
#include "TVersion.h"

#include <QColor>
#include <QPointF>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <map>
#include <type_traits>

// Base of every effect: the state data (a map whose "params" entry holds the
// registered parameters), parameter registration with defaults, presets with
// their version convertors, and undo points over parameter snapshots.
class STROBASE_EXPORT TEBase : public TTreeNode {
    Q_OBJECT
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY undoStateChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY undoStateChanged)
    // Undo points up to the current one: 1 at the first, the defaults. What
    // was saved can be told from what changed since by this count.
    Q_PROPERTY(int undoCount READ undoCount NOTIFY undoStateChanged)
    Q_PROPERTY(bool notificationEnabled READ notificationEnabled WRITE setNotificationEnabled)
public:
    using PresetConvertor = std::function<QVariantMap(const QVariantMap&)>;

    explicit TEBase(QObject* parent = nullptr);

    static TVersion ver(int major, int minor) { return TVersion{major, minor}; }

    QString className() const { return m_className; }
    TVersion version() const { return m_version; }

    QVariantMap stateData() const { return m_state; }
    // Replaces the whole state; parameters not in it fall back to their
    // defaults. Emits the change signal of every parameter that changed.
    void setStateData(const QVariantMap& state);
    QVariantMap params() const;

    // Registered keys in registration order, their types and defaults.
    QStringList paramKeys() const { return m_keys; }
    bool hasParam(const QString& key) const { return m_specs.count(key) != 0; }
    TParamType paramType(const QString& key) const;
    // The stored value converted to the parameter's type (zero value when
    // missing or unconvertible).
    QVariant paramValue(const QString& key) const;
    Q_INVOKABLE QVariant defaultValue(const QString& key) const;

    // Off: parameter writes are stored silently (no signal, no preview).
    // Off during construction; finalizing the effect turns it on.
    bool notificationEnabled() const { return m_notify; }
    void setNotificationEnabled(bool on) { m_notify = on; }

    // The framework asks for a preview of the current state.
    void paramsChanged();

    void addPresetConvertor(TVersion from, TVersion to, PresetConvertor convertor);
    // Brings a preset ({"version": "M.m", "params": {...}}) to the current
    // version through the convertor chain. False with a reason when the
    // version is unreadable, newer than ours, or has no convertor.
    bool presetToParams(const QVariantMap& preset, QVariantMap* params, QString* error = nullptr) const;
    Q_INVOKABLE QVariantMap getPreset() const;
    Q_INVOKABLE bool setPreset(const QVariantMap& preset);
    // Whether applying the preset would change nothing (floats and points
    // compared as writes compare them).
    Q_INVOKABLE bool matchesPreset(const QVariantMap& preset) const;
    Q_INVOKABLE void resetParams();

    Q_INVOKABLE void setUndoPoint();
    Q_INVOKABLE void undo();
    Q_INVOKABLE void redo();
    Q_INVOKABLE bool canUndo() const;
    Q_INVOKABLE bool canRedo() const;
    int undoCount() const { return m_undoIndex + 1; }

signals:
    void undoStateChanged();
    // Emitted whenever the parameters changed in a way the view must follow.
    void paramsModified();

protected:
    template <typename T>
    void registerParam(const QString& key, const T& defaultValue, bool savedInPresets);

    // The write of one parameter: no change (fuzzy for floats and points)
    // writes nothing; otherwise the value is stored, and with notifications
    // on the framework is asked for a preview. True when the caller should
    // emit the parameter's change signal.
    bool writeParam(const QString& key, const QVariant& value);
    void setStateEntry(const QString& key, const QVariant& value);

    void setClassVersion(const QString& className, TVersion version);
    // Where a preview request goes; the effect layer connects it to the
    // processing queue.
    virtual void requestPreview();
    // State besides the parameters that undo points keep and undo and redo
    // bring back (a painted mask); comparable with ==.
    virtual QVariant undoExtra() const { return QVariant(); }
    virtual void restoreUndoExtra(const QVariant&) {}

private:
    struct ParamSpec {
        TParamType type;
        QVariant defaultValue;
        bool savedInPresets;
    };
    void addParam(const QString& key, TParamType type, const QVariant& defaultValue, bool savedInPresets);
    // Stores a complete parameter map and tells every listener what changed.
    void replaceParams(const QVariantMap& params);
    QVariantMap normalizedParams(const QVariantMap& params) const;
    void emitParamChanged(const QString& key);

    QVariantMap m_state;
    QStringList m_keys;
    std::map<QString, ParamSpec> m_specs;
    std::map<TVersion, std::pair<TVersion, PresetConvertor>> m_convertors;
    QString m_className;
    TVersion m_version;
    bool m_notify = false;
    struct UndoPoint {
        QVariantMap params;
        QVariant extra;
        bool operator==(const UndoPoint& o) const { return params == o.params && extra == o.extra; }
    };
    UndoPoint currentUndoPoint() const { return {params(), undoExtra()}; }
    void restore(const UndoPoint& point);
    QList<UndoPoint> m_undoStack;
    int m_undoIndex = -1;
};

template <typename T>
struct TParamTypeOf;
template <> struct TParamTypeOf<float> { static constexpr TParamType value = TParamType::Float; };
template <> struct TParamTypeOf<int> { static constexpr TParamType value = TParamType::Int; };
template <> struct TParamTypeOf<bool> { static constexpr TParamType value = TParamType::Bool; };
template <> struct TParamTypeOf<QString> { static constexpr TParamType value = TParamType::String; };
template <> struct TParamTypeOf<QPointF> { static constexpr TParamType value = TParamType::Point; };
template <> struct TParamTypeOf<QColor> { static constexpr TParamType value = TParamType::Colour; };

template <typename T>
void TEBase::registerParam(const QString& key, const T& defaultValue, bool savedInPresets)
{
    addParam(key, TParamTypeOf<T>::value, QVariant::fromValue<T>(defaultValue), savedInPresets);
}
