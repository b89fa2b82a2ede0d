#include "FullScreenPass.h"

#include <TSFbo.h>

FullScreenPass::FullScreenPass(const QString& shaderName)
    : m_shaderName(shaderName)
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
    loadShader(shaderPath(m_shaderName, ".vert"), shaderPath(m_shaderName, ".frag"));
    return true;
}

bool FullScreenPass::initGeometry(const QSize&)
{
    if (m_geometryReady)
        return true;
    static const float corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    m_f->glGenVertexArrays(1, &m_vao);
    m_f->glGenBuffers(1, &m_vbo);
    m_f->glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    m_f->glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners, GL_STATIC_DRAW);
    m_f->glBindBuffer(GL_ARRAY_BUFFER, 0);
    m_vertexCount = 4;
    m_geometryReady = true;
    return true;
}

bool FullScreenPass::render(const QSize& size, TSFbo& target)
{
    target.bind();
    m_f->glViewport(0, 0, size.width(), size.height());
    m_program->bind();
    m_f->glBindVertexArray(m_vao);
    m_f->glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    m_f->glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    m_f->glEnableVertexAttribArray(0);
    m_f->glClearColor(0, 0, 0, 1);
    m_f->glClear(GL_COLOR_BUFFER_BIT);
    m_f->glDrawArrays(GL_TRIANGLE_STRIP, 0, m_vertexCount);
    m_f->glBindBuffer(GL_ARRAY_BUFFER, 0);
    m_f->glDisableVertexAttribArray(0);
    m_f->glBindVertexArray(0);
    m_f->glFlush();
    m_program->release();
    target.release();
    return true;
}
