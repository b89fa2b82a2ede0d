#include "TApplyHistory.h"

#include <TTreeNode.h>

TApplyHistory::TApplyHistory(TTreeNode* parent)
    : TEffect(parent)
{
    finalizeConstructor(QStringLiteral("TApplyHistory"), ver(1, 0));
}

TApplyHistory::~TApplyHistory() = default;

QString TApplyHistory::outputText() const
{
    return m_history.currentIdx < 0 ? QString() : m_history.at(m_history.currentIdx).text;
}

TSMat TApplyHistory::currentImage() const
{
    return m_history.currentIdx < 0 ? TSMat() : m_history.at(m_history.currentIdx).image;
}

void TApplyHistory::notify(const Before& before)
{
    emit currentIdxChanged(currentIdx());
    emit countChanged(count());
    if (canForward() != before.canForward)
        emit canForwardChanged(canForward());
    if (canBackward() != before.canBackward)
        emit canBackwardChanged(canBackward());
    const TSMat image = currentImage();
    setInput(image);
    setOutput(image);
    if (outputText() != before.text)
        emit outputTextChanged(outputText());
}

void TApplyHistory::push(const TSMat& image, const QString& text)
{
    const Before b = before();
    m_history.push({image, text});
    notify(b);
}

void TApplyHistory::backward()
{
    if (m_history.currentIdx <= 0)
        return;
    const Before b = before();
    --m_history.currentIdx;
    notify(b);
}

void TApplyHistory::forward()
{
    if (!m_history.hasNext())
        return;
    const Before b = before();
    m_history.next();
    notify(b);
}

void TApplyHistory::clear()
{
    if (count() <= 0)
        return;
    m_history.clear();
    emit currentIdxChanged(currentIdx());
    emit countChanged(count());
    emit canForwardChanged(canForward());
    emit canBackwardChanged(canBackward());
    setInput(TSMat());
    setOutput(TSMat());
    emit outputTextChanged(outputText());
}
