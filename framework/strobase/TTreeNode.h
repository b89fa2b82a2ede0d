#pragma once

#include "strobase_global.h"

#include <QObject>
#include <QList>

// A node of the framework's object tree: effects hang below the node that
// created them (a module, another effect) and find their neighbours here.
class STROBASE_EXPORT TTreeNode : public QObject {
    Q_OBJECT
public:
    explicit TTreeNode(QObject* parent = nullptr);

    TTreeNode* parentNode() const;
    QList<TTreeNode*> childNodes() const;
};
