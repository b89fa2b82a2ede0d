#include "GLTestContext.h"

#include <GLCache.h>
#include <GLProg.h>
#include <TGL.h>
#include <TEffectWorker.h>
#include <TGLWorkerThread.h>
#include <TProcRequest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

using GLObjects = GLTestContext;

TEST_F(GLObjects, FboRoundTripAndSharedHandles)
{
    cv::Mat rgba(3, 4, CV_32FC4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            rgba.at<cv::Vec4f>(y, x) = cv::Vec4f(x / 4.0f, y / 4.0f, 0.25f, 1.0f);
    TSFbo a = upload(rgba);
    EXPECT_EQ(a.size(), QSize(4, 3));
    const cv::Mat back = download(a);
    EXPECT_LT(cv::norm(back, rgba, cv::NORM_INF), 1e-3) << "row 0 of the texture is the top row";
    const cv::Mat bgr8 = a.dataToMat(CV_8UC3, true, true);
    EXPECT_EQ(bgr8.at<cv::Vec3b>(2, 3), cv::Vec3b(64, 128, 191));
    const cv::Mat flipped = a.dataToMat(CV_32FC4, false, false);
    EXPECT_LT(cv::norm(flipped.row(0), rgba.row(2), cv::NORM_INF), 1e-3);

    TSFbo b = a;
    b.setUid(42);
    b.setScale(0.5f);
    EXPECT_EQ(a.uid(), 42u) << "copies share one image";
    EXPECT_EQ(a.scale(), 0.5f);

    TSFbo big(QSize(8, 6), GL_RGBA8);
    TSFbo::blitFramebuffer(big, a, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    EXPECT_EQ(big.dataToMat(CV_8UC4).at<cv::Vec4b>(5, 7), cv::Vec4b(191, 128, 64, 255));
    EXPECT_TRUE(TSFbo().isEmpty());
    EXPECT_TRUE(TSFbo(QSize(0, 5), GL_RGBA8).isEmpty());
}

// The last copy of a GPU image made on the GL thread may go on another
// thread (the view's): its framebuffer name means something else there and
// must not be deleted on that context.
TEST_F(GLObjects, ImageDroppedOnAnotherContextLeavesThatContextsFramebuffers)
{
    TSFbo fromWorker;
    TGLWorkerThread::instance()->runBlocking([&] { fromWorker = TSFbo(QSize(2, 2), GL_RGBA8); });
    ASSERT_FALSE(fromWorker.isEmpty());
    const GLuint name = fromWorker.framebuffer(), texture = fromWorker.texture();
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    // Framebuffers of this context until one has the worker's name.
    std::vector<GLuint> ours(name + 1);
    f->glGenFramebuffers(GLsizei(ours.size()), ours.data());
    if (std::find(ours.begin(), ours.end(), name) == ours.end()) {
        f->glDeleteFramebuffers(GLsizei(ours.size()), ours.data());
        GTEST_SKIP() << "this driver gives framebuffer names out across contexts (Mesa does)";
    }
    for (GLuint fbo : ours)
        f->glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    f->glBindFramebuffer(GL_FRAMEBUFFER, 0);

    fromWorker = TSFbo();
    EXPECT_TRUE(f->glIsFramebuffer(name)) << "this context's framebuffer of the same name survives";
    EXPECT_FALSE(f->glIsTexture(texture)) << "the shared texture goes at once";
    f->glDeleteFramebuffers(GLsizei(ours.size()), ours.data());
}

TEST_F(GLObjects, CacheKeepsOneEntryPerNameAndAnswersOnlyItsUid)
{
    TSFbo first(QSize(2, 2), GL_RGBA8), second(QSize(2, 2), GL_RGBA8);
    first.setUid(1);
    second.setUid(2);
    GLCache::set("stage", first, GLCache::FBOCache);
    EXPECT_EQ(GLCache::get("stage", 1).texture(), first.texture());
    EXPECT_TRUE(GLCache::get("stage", 2).isEmpty());
    GLCache::set("stage", second, GLCache::FBOCache);
    EXPECT_TRUE(GLCache::get("stage", 1).isEmpty()) << "a second result replaces the first";
    EXPECT_EQ(GLCache::get("stage", 2).texture(), second.texture());
    EXPECT_TRUE(GLCache::get("other", 2).isEmpty());
    GLCache::release("stage");
    EXPECT_TRUE(GLCache::get("stage", 2).isEmpty());
}

TEST_F(GLObjects, CacheEntryStaysWhileAnotherOwnerUsesIt)
{
    TSFbo image(QSize(2, 2), GL_RGBA8);
    image.setUid(7);
    const GLCache::Owner a = 1, b = 2;
    GLCache::set("shared", image, GLCache::FBOCache, a);
    ASSERT_FALSE(GLCache::get("shared", 7, b).isEmpty());
    GLCache::releaseOwner(a);
    EXPECT_FALSE(GLCache::get("shared", 7).isEmpty()) << "b still uses it";
    GLCache::releaseOwner(b);
    EXPECT_TRUE(GLCache::get("shared", 7).isEmpty()) << "the last owner is gone";

    GLCache::set("kept", image, GLCache::FBOCache, a);
    GLCache::set("kept", image, GLCache::FBOCache, b); // b replaces a's result
    GLCache::releaseOwner(a);
    EXPECT_FALSE(GLCache::get("kept", 7).isEmpty());
    GLCache::clear();
}

namespace {

QStringList g_warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtWarningMsg)
        g_warnings << text;
}

} // namespace

// Two programs sample one image with their own wrap modes; neither changes
// the image's state or the other's sampling, and a program keeps its
// textures from one draw to the next.
TEST_F(GLObjects, ProgramsSampleASharedImageEachTheirOwnWay)
{
    QTemporaryDir dir;
    QFile frag(dir.filePath(QStringLiteral("shift.frag")));
    ASSERT_TRUE(frag.open(QIODevice::WriteOnly));
    frag.write("#version 330 core\nin vec2 vUV;\nout vec4 colour;\nuniform sampler2D image;\nuniform vec2 offset;\n"
               "uniform float unused;\nvoid main() { colour = texture(image, vUV + offset); }\n");
    frag.close();
    const QString vert = QStringLiteral(":/strobase/glshaders/default.vert");
    GLProg repeat(vert, frag.fileName()), clamp(vert, frag.fileName());
    ASSERT_TRUE(repeat.isValid() && clamp.isValid());

    cv::Mat two(1, 2, CV_32FC4);
    two.at<cv::Vec4f>(0, 0) = cv::Vec4f(0.25f, 0, 0, 1);
    two.at<cv::Vec4f>(0, 1) = cv::Vec4f(0.75f, 0, 0, 1);
    const TSFbo image = upload(two);
    TSFbo out(QSize(2, 1), 0x881A);
    auto draw = [&out](GLProg& prog) {
        out.bind();
        prog.drawQuad(2, 1);
        out.release();
        const cv::Mat m = download(out);
        return std::make_pair(m.at<cv::Vec4f>(0, 0)[0], m.at<cv::Vec4f>(0, 1)[0]);
    };
    // One image width to the right: repeat reads the image again, clamp its
    // right edge twice.
    repeat.setTexture("image", image.texture(), 0, GL_NEAREST, GL_REPEAT);
    repeat.setUniform("offset", QVector2D(1, 0));
    EXPECT_EQ(draw(repeat), std::make_pair(0.25f, 0.75f));
    clamp.setTexture("image", image.texture(), 0, GL_NEAREST, GL_CLAMP_TO_EDGE);
    clamp.setUniform("offset", QVector2D(1, 0));
    EXPECT_EQ(draw(clamp), std::make_pair(0.75f, 0.75f));
    EXPECT_EQ(draw(repeat), std::make_pair(0.25f, 0.75f)) << "its own texture and sampling, bound again";

    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    GLint wrap = 0, boundSampler = -1;
    f->glBindTexture(GL_TEXTURE_2D, image.texture());
    f->glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    f->glBindTexture(GL_TEXTURE_2D, 0);
    f->glGetIntegerv(GL_SAMPLER_BINDING, &boundSampler);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE) << "the image keeps its own wrap mode";
    EXPECT_EQ(boundSampler, 0) << "no sampler left bound after a draw";

    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
    repeat.setUniform("unused", 1.0f);
    repeat.setUniform("ofset", QVector2D(0, 0));
    repeat.setUniform("ofset", QVector2D(0, 0));
    qInstallMessageHandler(previous);
    ASSERT_EQ(g_warnings.size(), 1) << "a declared uniform the compiler dropped is no mistake; a typo is, once";
    EXPECT_TRUE(g_warnings[0].contains(QStringLiteral("has no uniform ofset")));
    EXPECT_EQ(draw(repeat), std::make_pair(0.25f, 0.75f)) << "the mistyped value went nowhere";
}

namespace {
// A worker whose result is its input, uploaded at half size.
class InputWorker : public TEffectWorker {
public:
    InputWorker()
        : TEffectWorker(QStringLiteral("InputWorker"), 0, 0)
    {
    }
    QString proc(TSFbo& output) override
    {
        output = inputFbo(2, false, GL_RGBA8);
        return QString();
    }
};

TSFbo inputOf(InputWorker& worker, const TSMat& input)
{
    TProcRequest request;
    request.input = input;
    TSFbo output;
    worker.processProcReq(request, output);
    return output;
}
} // namespace

// Effects on one photograph share its upload; a new photograph is uploaded
// again, and an effect that goes leaves the others theirs.
TEST_F(GLObjects, EffectsShareTheUploadOfTheirInput)
{
    const TSMat red(cv::Mat(4, 6, CV_8UC3, cv::Scalar(0, 0, 255))), blue(cv::Mat(4, 6, CV_8UC3, cv::Scalar(255, 0, 0)));
    auto a = std::make_unique<InputWorker>();
    InputWorker b;
    const TSFbo fromA = inputOf(*a, red);
    EXPECT_EQ(fromA.size(), QSize(3, 2));
    EXPECT_EQ(inputOf(b, red).texture(), fromA.texture()) << "uploaded once";

    const TSFbo other = inputOf(b, blue);
    EXPECT_NE(other.texture(), fromA.texture());
    EXPECT_EQ(other.dataToMat(CV_8UC4, true, true).at<cv::Vec4b>(1, 2), cv::Vec4b(255, 0, 0, 255));
    a.reset();
    EXPECT_EQ(inputOf(b, red).dataToMat(CV_8UC4, true, true).at<cv::Vec4b>(1, 2), cv::Vec4b(0, 0, 255, 255));
}
