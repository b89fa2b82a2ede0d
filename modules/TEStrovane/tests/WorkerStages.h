#pragma once

#include "GLTestContext.h"
#include "TStrovane.h"
#include "TStrovaneWorker.h"

#include <Strobase.h>

#include <QUrl>

#include <memory>

// A painting worker made in the test's GL context, to run its stages one by
// one with chosen parameters.
class WorkerStages : public GLTestContext {
protected:
    void SetUp() override
    {
        GLTestContext::SetUp();
        Strobase::init(QString(), QUrl(), QStringLiteral(STROVANE_TGRC_DIR));
        worker = std::make_unique<TStrovaneWorker>(QStringLiteral("TStrovane"), 1, 0);
    }
    void TearDown() override
    {
        worker.reset();
        GLTestContext::TearDown();
    }
    static StrovaneValues defaults() { return StrovaneValues::from(TStrovane().params()); }

    std::unique_ptr<TStrovaneWorker> worker;
};
