#include <TEFactory.h>
#include <TEffect.h>
#include <TEffectMask.h>

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A small effect with one parameter of the types whose compare differs.
class SampleEffect : public TEffect {
    Q_OBJECT
    Q_PROPERTY(float amount READ amount WRITE setamount NOTIFY amountChanged)
    Q_PROPERTY(QPointF centre READ centre WRITE setcentre NOTIFY centreChanged)
    Q_PROPERTY(QString name READ name WRITE setname NOTIFY nameChanged)
public:
    explicit SampleEffect(QObject* parent = nullptr, bool finalize = true)
        : TEffect(parent)
    {
        registerParam<float>(QStringLiteral("amount"), 0.5f, true);
        registerParam<QPointF>(QStringLiteral("centre"), QPointF(0.5, 0.5), true);
        registerParam<QString>(QStringLiteral("name"), QStringLiteral("plain"), false);
        if (finalize)
            finalizeConstructor(QStringLiteral("SampleEffect"), ver(1, 1));
        // 0.0 -> 1.0 renames a key, 1.0 -> 1.1 doubles the amount.
        addPresetConvertor(ver(0, 0), ver(1, 0), [](const QVariantMap& p) {
            return QVariantMap{{QStringLiteral("amount"), p.value(QStringLiteral("strength"))}};
        });
        addPresetConvertor(ver(1, 0), ver(1, 1), [](const QVariantMap& p) {
            QVariantMap out = p;
            out.insert(QStringLiteral("amount"), p.value(QStringLiteral("amount")).toDouble() * 2);
            return out;
        });
    }
    float amount() const { return paramValue(QStringLiteral("amount")).toFloat(); }
    QPointF centre() const { return paramValue(QStringLiteral("centre")).toPointF(); }
    QString name() const { return paramValue(QStringLiteral("name")).toString(); }

public slots:
    void setamount(float value)
    {
        if (writeParam(QStringLiteral("amount"), value))
            emit amountChanged(value);
    }
    void setcentre(QPointF value)
    {
        if (writeParam(QStringLiteral("centre"), value))
            emit centreChanged(value);
    }
    void setname(QString value)
    {
        if (writeParam(QStringLiteral("name"), value))
            emit nameChanged(value);
    }

signals:
    void amountChanged(float value);
    void centreChanged(QPointF value);
    void nameChanged(QString value);
};

QVariantMap preset(const char* version, const QVariantMap& params)
{
    return {{QStringLiteral("version"), QLatin1String(version)}, {QStringLiteral("params"), params}};
}

} // namespace

TEST(EffectBase, RegistrationWritesDefaultsBesideBaseEntries)
{
    SampleEffect e;
    const QVariantMap p = e.params();
    EXPECT_EQ(p.value(QStringLiteral("amount")), QVariant(0.5f));
    EXPECT_EQ(p.value(QStringLiteral("centre")), QVariant(QPointF(0.5, 0.5)));
    EXPECT_EQ(p.value(QStringLiteral("blendMode")), QVariant(0));
    EXPECT_EQ(p.value(QStringLiteral("opacity")), QVariant(1.0f));
    EXPECT_EQ(e.defaultValue(QStringLiteral("name")), QVariant(QStringLiteral("plain")));
    EXPECT_FALSE(e.defaultValue(QStringLiteral("nope")).isValid());
    EXPECT_EQ(e.paramKeys(), (QStringList{"blendMode", "opacity", "amount", "centre", "name"}));
}

TEST(EffectBase, WritesSignalOnlyRealChanges)
{
    SampleEffect e;
    QSignalSpy amount(&e, &SampleEffect::amountChanged), centre(&e, &SampleEffect::centreChanged),
        modified(&e, &TEBase::paramsModified);
    e.setamount(0.5f + 1e-9f);
    e.setcentre(QPointF(0.5 + 1e-10, 0.5));
    EXPECT_EQ(amount.count() + centre.count() + modified.count(), 0);
    e.setamount(0.6f);
    ASSERT_EQ(amount.count(), 1);
    EXPECT_EQ(amount.at(0).at(0).toFloat(), 0.6f);
    EXPECT_EQ(modified.count(), 1);
    EXPECT_EQ(e.amount(), 0.6f);
}

TEST(EffectBase, NotificationSwitchOffStoresSilently)
{
    SampleEffect e(nullptr, false);
    QSignalSpy amount(&e, &SampleEffect::amountChanged), modified(&e, &TEBase::paramsModified);
    e.setamount(0.9f);
    EXPECT_EQ(e.amount(), 0.9f);
    e.setNotificationEnabled(true);
    e.setamount(0.1f);
    e.setNotificationEnabled(false);
    e.setamount(0.2f);
    EXPECT_EQ(amount.count(), 1);
    EXPECT_EQ(modified.count(), 1);
    EXPECT_EQ(e.amount(), 0.2f);
}

TEST(EffectBase, UndoRedoOverSnapshots)
{
    SampleEffect e;
    QSignalSpy amount(&e, &SampleEffect::amountChanged), undoState(&e, &TEBase::undoStateChanged);
    EXPECT_FALSE(e.canUndo());
    EXPECT_EQ(e.undoCount(), 1) << "the defaults are the first point";
    e.setamount(0.1f);
    e.setUndoPoint();
    e.setamount(0.2f);
    e.setUndoPoint();
    e.setUndoPoint(); // unchanged: no new point
    EXPECT_TRUE(e.canUndo());
    EXPECT_FALSE(e.canRedo());
    EXPECT_EQ(e.undoCount(), 3);

    amount.clear();
    e.undo();
    EXPECT_EQ(e.undoCount(), 2);
    EXPECT_EQ(e.amount(), 0.1f);
    ASSERT_EQ(amount.count(), 1);
    EXPECT_EQ(amount.at(0).at(0).toFloat(), 0.1f);
    EXPECT_TRUE(e.canRedo());
    e.undo();
    EXPECT_EQ(e.amount(), 0.5f);
    EXPECT_FALSE(e.canUndo());
    e.undo(); // nothing left
    EXPECT_EQ(e.amount(), 0.5f);
    e.redo();
    e.redo();
    EXPECT_EQ(e.amount(), 0.2f);
    EXPECT_FALSE(e.canRedo());
    EXPECT_GT(undoState.count(), 0);

    // A change since the last point survives an undo as a redo step; a new
    // change after an undo drops the redo branch.
    e.setamount(0.3f);
    e.undo();
    EXPECT_EQ(e.amount(), 0.2f);
    e.redo();
    EXPECT_EQ(e.amount(), 0.3f);
    e.undo();
    e.setamount(0.7f);
    e.setUndoPoint();
    EXPECT_FALSE(e.canRedo());
}

// Which style the painting has now is told by its preset: matching compares
// as writes do (a preset's missing keys are their defaults, converted
// versions count, parameters presets do not keep are left out).
TEST(EffectBase, MatchingAPresetComparesAsWritesDo)
{
    SampleEffect e;
    e.setamount(0.3f);
    e.setname(QStringLiteral("mine"));
    struct Case {
        const char* what;
        QVariantMap preset;
        bool matches;
    } cases[] = {
        {"the same values", preset("1.1", {{"amount", 0.3}, {"centre", QVariantList{0.5, 0.5}}}), true},
        {"a float within the write's tolerance", preset("1.1", {{"amount", 0.3000001}}), true},
        {"a missing key is its default", preset("1.1", {{"amount", 0.3}}), true},
        {"another value", preset("1.1", {{"amount", 0.31}}), false},
        {"a default where the effect differs", preset("1.1", {}), false},
        {"an older version, converted", preset("1.0", {{"amount", 0.15}}), true},
        {"an unreadable version", preset("x", {{"amount", 0.3}}), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(e.matchesPreset(c.preset), c.matches) << c.what;
}

// A mask stroke is an undo step of its own: undo brings the mask (and its
// type) back as it was, redo the stroke again.
TEST(EffectBase, UndoPointsKeepTheMask)
{
    class Masked : public TEffectMask {
    public:
        Masked() { finalizeConstructor(QStringLiteral("Masked"), ver(1, 0)); }
    } e;
    QSignalSpy maskChanged(&e, &TEffectMask::maskChanged);
    e.setMaskSize(40, 30);
    e.setMaskType(1);
    e.setUndoPoint();
    const QImage empty = e.mask().copy();
    e.setBrush(6, 1, false);
    e.drawPoint(QPointF(0.5, 0.5));
    e.setUndoPoint();
    const QImage stroked = e.mask().copy();
    ASSERT_NE(stroked, empty);

    e.undo();
    EXPECT_EQ(e.mask(), empty) << "the stroke is taken back";
    EXPECT_EQ(e.maskType(), 1);
    e.undo();
    EXPECT_EQ(e.maskType(), 0) << "and before it the mask that was not there";
    e.redo();
    e.redo();
    EXPECT_EQ(e.mask(), stroked) << "redo paints the stroke again";
    EXPECT_EQ(e.maskType(), 1);
    EXPECT_GT(maskChanged.count(), 2);
    e.setUndoPoint();
    EXPECT_FALSE(e.canRedo()) << "an unchanged mask makes no new point";
}

TEST(EffectBase, PresetsGoThroughTheConvertorChain)
{
    SampleEffect e;
    const QVariantMap own = e.getPreset();
    EXPECT_EQ(own.value(QStringLiteral("version")).toString(), QStringLiteral("1.1"));
    EXPECT_FALSE(own.value(QStringLiteral("params")).toMap().contains(QStringLiteral("name")))
        << "a parameter registered as not saved stays out of presets";

    QVariantMap params;
    ASSERT_TRUE(e.presetToParams(preset("0.0", {{QStringLiteral("strength"), 0.2}}), &params));
    EXPECT_DOUBLE_EQ(params.value(QStringLiteral("amount")).toDouble(), 0.4);

    QString error;
    EXPECT_FALSE(e.presetToParams(preset("2.0", {}), &params, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("newer")));
    EXPECT_FALSE(e.presetToParams(preset("0.5", {}), &params, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no convertor")));
    EXPECT_FALSE(e.presetToParams(preset("two", {}), &params, &error));

    QSignalSpy amount(&e, &SampleEffect::amountChanged), centre(&e, &SampleEffect::centreChanged);
    e.setname(QStringLiteral("kept"));
    ASSERT_TRUE(e.setPreset(preset("1.0", {{QStringLiteral("amount"), 0.3}, {QStringLiteral("centre"), QVariantList{0.1, 0.2}}})));
    EXPECT_FLOAT_EQ(e.amount(), 0.6f);
    EXPECT_EQ(e.centre(), QPointF(0.1, 0.2));
    EXPECT_EQ(e.name(), QStringLiteral("kept"));
    EXPECT_EQ(amount.count(), 1);
    EXPECT_EQ(centre.count(), 1);

    // A preset without a key gives that parameter its default.
    ASSERT_TRUE(e.setPreset(preset("1.1", {{QStringLiteral("amount"), 0.3}})));
    EXPECT_EQ(e.centre(), QPointF(0.5, 0.5));
}

TEST(EffectBase, StateDataAndResetFallBackToDefaults)
{
    SampleEffect e;
    e.setamount(0.9f);
    QSignalSpy amount(&e, &SampleEffect::amountChanged), modified(&e, &TEBase::paramsModified);
    QVariantMap state = e.stateData();
    state.insert(QStringLiteral("extra"), 7);
    state.insert(QStringLiteral("params"), QVariantMap{{QStringLiteral("centre"), QStringLiteral("0.1,0.9")}});
    e.setStateData(state);
    EXPECT_EQ(e.amount(), 0.5f);
    EXPECT_EQ(e.centre(), QPointF(0.1, 0.9));
    EXPECT_EQ(e.stateData().value(QStringLiteral("extra")), QVariant(7));
    EXPECT_EQ(amount.count(), 1);
    EXPECT_EQ(modified.count(), 1);

    e.resetParams();
    EXPECT_EQ(e.centre(), QPointF(0.5, 0.5));
    e.resetParams(); // already at defaults: nothing to tell
    EXPECT_EQ(modified.count(), 2);
}

TEST(EffectFactory, CreatesRegisteredClassesByName)
{
    const bool registered = TEFactory::registerClass(
        QStringLiteral("SampleEffect"), [](TEBase* parent) -> TEBase* { return new SampleEffect(parent); }, nullptr,
        QVariantMap{{QStringLiteral("params"), QVariantMap{{QStringLiteral("amount"), 0.25}}}}, true);
    ASSERT_TRUE(registered);
    EXPECT_TRUE(TEFactory::isRegistered(QStringLiteral("SampleEffect")));
    EXPECT_FALSE(TEFactory::classNames().contains(QStringLiteral("SampleEffect")));
    EXPECT_TRUE(TEFactory::classNames(true).contains(QStringLiteral("SampleEffect")));

    SampleEffect parent;
    std::unique_ptr<TEBase> e(TEFactory::createEffect(QStringLiteral("SampleEffect"), &parent));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->parentNode(), &parent);
    EXPECT_EQ(parent.childNodes().size(), 1);
    EXPECT_EQ(e->paramValue(QStringLiteral("amount")), QVariant(0.25f));
    EXPECT_EQ(TEFactory::createEffect(QStringLiteral("NoSuchEffect")), nullptr);
    EXPECT_EQ(TEFactory::createWorker(QStringLiteral("SampleEffect"), 0, 0), nullptr);
}

#include "EffectBaseTest.moc"
