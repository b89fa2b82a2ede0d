#pragma once

#include <TEffect.h>
#include <TSMatList.h>

class TTreeNode;

// The chain of images the user has made since the program started: the
// opened image, then every applied result. Its output is the current entry,
// which the shell shows and hands to the next effect.
class TApplyHistory : public TEffect {
    Q_OBJECT
    Q_PROPERTY(int currentIdx READ currentIdx NOTIFY currentIdxChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool canForward READ canForward NOTIFY canForwardChanged)
    Q_PROPERTY(bool canBackward READ canBackward NOTIFY canBackwardChanged)
    Q_PROPERTY(QString outputText READ outputText NOTIFY outputTextChanged)
public:
    explicit TApplyHistory(TTreeNode* parent = nullptr);
    ~TApplyHistory() override;

    int currentIdx() const { return m_history.currentIdx; }
    int count() const { return m_history.count(); }
    // The caption of the current entry (a file name, "applied", ...).
    QString outputText() const;

public slots:
    void push(const TSMat& image, const QString& text);
    void clear();
    bool canForward() const { return m_history.hasNext(); }
    void forward();
    bool canBackward() const { return m_history.currentIdx > 0; }
    void backward();

signals:
    void canForwardChanged(bool canForward);
    void canBackwardChanged(bool canBackward);
    void currentIdxChanged(int currentIdx);
    void countChanged(int count);
    void outputTextChanged(const QString& outputText);

private:
    struct Before {
        bool canForward;
        bool canBackward;
        QString text;
    };
    Before before() const { return {canForward(), canBackward(), outputText()}; }
    void notify(const Before& before);
    TSMat currentImage() const;

    TSMatList m_history;
};
