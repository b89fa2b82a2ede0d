#include "TTreeNode.h"

TTreeNode::TTreeNode(QObject* parent)
    : QObject(parent)
{
}

TTreeNode* TTreeNode::parentNode() const
{
    return qobject_cast<TTreeNode*>(parent());
}

QList<TTreeNode*> TTreeNode::childNodes() const
{
    return findChildren<TTreeNode*>(QString(), Qt::FindDirectChildrenOnly);
}
