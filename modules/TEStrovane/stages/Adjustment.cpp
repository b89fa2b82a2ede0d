#include "../TStrovaneWorker.h"

// Tone and colour adjustment and the vignette are not built yet: each stage
// hands its input on unchanged.
bool TStrovaneWorker::basicAdjust(const TSFbo& input, TSFbo&, TSFbo& result)
{
    TSFbo::blitFramebuffer(result, input, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return true;
}

bool TStrovaneWorker::hslAdjust(const TSFbo& input, TSFbo& result)
{
    TSFbo::blitFramebuffer(result, input, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return true;
}

bool TStrovaneWorker::vignette(const TSFbo& input, TSFbo& result)
{
    TSFbo::blitFramebuffer(result, input, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return true;
}
