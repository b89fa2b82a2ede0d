#include "FullScreenPass.h"

#include <TSFbo.h>

FullScreenPass::FullScreenPass(const QString& shaderName, const QString& vertexName)
    : m_shaderName(shaderName)
    , m_vertexName(vertexName)
{
}

FullScreenPass::~FullScreenPass() = default;

QString FullScreenPass::shaderPath(const QString& shaderName, const char* extension)
{
    return QStringLiteral(":/TEStrovane/strovane/shaders/") + shaderName + QLatin1String(extension);
}

bool FullScreenPass::initialize()
{
    RenderPass::initialize();
    loadShader(shaderPath(m_vertexName, ".vert"), shaderPath(m_shaderName, ".frag"));
    return true;
}

// The quad is the program's own.
bool FullScreenPass::initGeometry(const QSize&)
{
    return true;
}

bool FullScreenPass::render(const QSize& size, TSFbo& target)
{
    target.bind();
    m_f->glClearColor(0, 0, 0, 1);
    m_f->glClear(GL_COLOR_BUFFER_BIT);
    m_prog.drawQuad(size.width(), size.height());
    m_f->glFlush();
    target.release();
    return true;
}
