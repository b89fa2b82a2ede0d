#include "TEBase.h"

#include <QMetaMethod>
#include <QMetaProperty>

static const QString kParams = QStringLiteral("params");

TEBase::TEBase(QObject* parent)
    : TTreeNode(parent)
{
    m_state.insert(kParams, QVariantMap());
}

QVariantMap TEBase::params() const
{
    return m_state.value(kParams).toMap();
}

TParamType TEBase::paramType(const QString& key) const
{
    const auto it = m_specs.find(key);
    return it == m_specs.end() ? TParamType::String : it->second.type;
}

QVariant TEBase::paramValue(const QString& key) const
{
    const auto it = m_specs.find(key);
    if (it == m_specs.end())
        return params().value(key);
    return TParam::convert(params().value(key), it->second.type);
}

QVariant TEBase::defaultValue(const QString& key) const
{
    const auto it = m_specs.find(key);
    return it == m_specs.end() ? QVariant() : it->second.defaultValue;
}

void TEBase::addParam(const QString& key, TParamType type, const QVariant& defaultValue, bool savedInPresets)
{
    if (m_specs.count(key) == 0)
        m_keys.append(key);
    m_specs[key] = ParamSpec{type, defaultValue, savedInPresets};
    QVariantMap p = params();
    p.insert(key, defaultValue);
    m_state.insert(kParams, p);
}

void TEBase::setStateEntry(const QString& key, const QVariant& value)
{
    m_state.insert(key, value);
}

void TEBase::setClassVersion(const QString& className, TVersion version)
{
    m_className = className;
    m_version = version;
    m_undoStack = {currentUndoPoint()};
    m_undoIndex = 0;
    m_notify = true;
}

namespace {

bool differ(TParamType type, const QVariant& a, const QVariant& b)
{
    const QVariant x = TParam::convert(a, type), y = TParam::convert(b, type);
    if (type == TParamType::Float)
        return TParam::isDifferent(x.toFloat(), y.toFloat());
    if (type == TParamType::Point)
        return TParam::isDifferent(x.toPointF(), y.toPointF());
    return x != y;
}

} // namespace

bool TEBase::writeParam(const QString& key, const QVariant& value)
{
    const auto it = m_specs.find(key);
    if (it == m_specs.end())
        return false;
    const TParamType type = it->second.type;
    const QVariant next = TParam::convert(value, type);
    if (!differ(type, params().value(key), next))
        return false;

    QVariantMap p = params();
    p.insert(key, next);
    if (p != params())
        m_state.insert(kParams, p);
    if (!m_notify)
        return false;
    paramsChanged();
    return true;
}

void TEBase::paramsChanged()
{
    emit paramsModified();
    requestPreview();
}

void TEBase::requestPreview()
{
}

QVariantMap TEBase::normalizedParams(const QVariantMap& source) const
{
    QVariantMap result;
    for (const QString& key : m_keys) {
        const ParamSpec& spec = m_specs.at(key);
        const QVariant v = source.value(key);
        result.insert(key, v.isValid() ? TParam::convert(v, spec.type) : spec.defaultValue);
    }
    return result;
}

void TEBase::emitParamChanged(const QString& key)
{
    const QMetaObject* mo = metaObject();
    const int index = mo->indexOfProperty(key.toUtf8().constData());
    if (index < 0)
        return;
    const QMetaProperty property = mo->property(index);
    if (!property.hasNotifySignal())
        return;
    const QVariant value = property.read(this);
    const QMetaMethod signal = property.notifySignal();
    if (signal.parameterCount() == 0)
        signal.invoke(this, Qt::DirectConnection);
    else
        signal.invoke(this, Qt::DirectConnection, QGenericArgument(value.typeName(), value.constData()));
}

void TEBase::replaceParams(const QVariantMap& next)
{
    const QVariantMap before = params();
    if (before == next)
        return;
    m_state.insert(kParams, next);
    for (const QString& key : m_keys) {
        if (before.value(key) != next.value(key))
            emitParamChanged(key);
    }
    paramsChanged();
}

void TEBase::setStateData(const QVariantMap& state)
{
    const QVariantMap next = normalizedParams(state.value(kParams).toMap());
    QVariantMap merged = state;
    merged.insert(kParams, params());
    m_state = merged;
    replaceParams(next);
}

void TEBase::addPresetConvertor(TVersion from, TVersion to, PresetConvertor convertor)
{
    m_convertors[from] = {to, std::move(convertor)};
}

bool TEBase::presetToParams(const QVariantMap& preset, QVariantMap* out, QString* error) const
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    TVersion v;
    const QString versionText = preset.value(QStringLiteral("version")).toString();
    if (!TVersion::parse(versionText, &v))
        return fail(QStringLiteral("unreadable preset version \"%1\"").arg(versionText));
    if (m_version < v)
        return fail(QStringLiteral("preset version %1 is newer than %2").arg(v.toString(), m_version.toString()));
    QVariantMap p = preset.value(kParams).toMap();
    while (v != m_version) {
        const auto it = m_convertors.find(v);
        if (it == m_convertors.end() || !(v < it->second.first))
            return fail(QStringLiteral("no convertor for preset version %1").arg(v.toString()));
        p = it->second.second(p);
        v = it->second.first;
    }
    *out = p;
    return true;
}

QVariantMap TEBase::getPreset() const
{
    QVariantMap p;
    const QVariantMap current = params();
    for (const QString& key : m_keys) {
        if (m_specs.at(key).savedInPresets)
            p.insert(key, current.value(key));
    }
    return {{QStringLiteral("version"), m_version.toString()}, {kParams, p}};
}

bool TEBase::matchesPreset(const QVariantMap& preset) const
{
    QVariantMap p;
    if (!presetToParams(preset, &p))
        return false;
    const QVariantMap wanted = normalizedParams(p);
    const QVariantMap current = params();
    for (const QString& key : m_keys) {
        const ParamSpec& spec = m_specs.at(key);
        if (spec.savedInPresets && differ(spec.type, current.value(key), wanted.value(key)))
            return false;
    }
    return true;
}

bool TEBase::setPreset(const QVariantMap& preset)
{
    QVariantMap p;
    if (!presetToParams(preset, &p))
        return false;
    // Parameters a preset does not save keep their current values.
    QVariantMap merged = params();
    for (const QString& key : m_keys) {
        if (m_specs.at(key).savedInPresets)
            merged.insert(key, p.value(key));
    }
    replaceParams(normalizedParams(merged));
    return true;
}

void TEBase::resetParams()
{
    replaceParams(normalizedParams(QVariantMap()));
}

void TEBase::setUndoPoint()
{
    const UndoPoint current = currentUndoPoint();
    if (m_undoIndex >= 0 && m_undoStack.at(m_undoIndex) == current)
        return;
    m_undoStack.erase(m_undoStack.begin() + m_undoIndex + 1, m_undoStack.end());
    m_undoStack.append(current);
    m_undoIndex = m_undoStack.size() - 1;
    emit undoStateChanged();
}

void TEBase::undo()
{
    // A change made since the last undo point is kept as a point of its own,
    // so that redo can bring it back.
    setUndoPoint();
    if (!canUndo())
        return;
    --m_undoIndex;
    restore(m_undoStack.at(m_undoIndex));
    emit undoStateChanged();
}

void TEBase::redo()
{
    if (!canRedo())
        return;
    ++m_undoIndex;
    restore(m_undoStack.at(m_undoIndex));
    emit undoStateChanged();
}

void TEBase::restore(const UndoPoint& point)
{
    restoreUndoExtra(point.extra);
    replaceParams(point.params);
}

bool TEBase::canUndo() const
{
    return m_undoIndex > 0;
}

bool TEBase::canRedo() const
{
    return m_undoIndex >= 0 && m_undoIndex + 1 < m_undoStack.size();
}
