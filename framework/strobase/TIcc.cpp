#include "TIcc.h"

#include <lcms2.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <memory>

namespace {

struct ProfileCloser {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

QByteArray save(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    if (!cmsSaveProfileToMem(profile, nullptr, &size))
        return QByteArray();
    QByteArray bytes(int(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    return bytes;
}

Profile open(const QByteArray& bytes)
{
    return Profile(cmsOpenProfileFromMem(bytes.constData(), cmsUInt32Number(bytes.size())));
}

void setDescription(cmsHPROFILE profile, const char* text)
{
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(mlu, "en", "US", text);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, mlu);
    cmsMLUfree(mlu);
}

bool transform(cv::Mat& image, const QByteArray& fromBytes, const QByteArray& toBytes, QString* error)
{
    if (image.empty())
        return true;
    const Profile from = open(fromBytes), to = open(toBytes);
    if (!from || !to) {
        *error = QStringLiteral("unreadable colour profile");
        return false;
    }
    if (cmsGetColorSpace(from.get()) != cmsSigRgbData || cmsGetColorSpace(to.get()) != cmsSigRgbData) {
        *error = QStringLiteral("not an RGB colour profile");
        return false;
    }
    const bool wide = image.depth() == CV_16U;
    const int channels = image.channels();
    if ((channels != 3 && channels != 4) || (!wide && image.depth() != CV_8U)) {
        *error = QStringLiteral("colour conversion needs an 8 or 16 bit BGR image");
        return false;
    }
    cmsUInt32Number format = wide ? (channels == 4 ? TYPE_BGRA_16 : TYPE_BGR_16) : (channels == 4 ? TYPE_BGRA_8 : TYPE_BGR_8);
    cmsHTRANSFORM t = cmsCreateTransform(from.get(), format, to.get(), format, INTENT_PERCEPTUAL,
                                         cmsFLAGS_COPY_ALPHA | cmsFLAGS_BLACKPOINTCOMPENSATION);
    if (!t) {
        *error = QStringLiteral("cannot convert between these colour profiles");
        return false;
    }
    if (!image.isContinuous())
        image = image.clone();
    for (int y = 0; y < image.rows; ++y)
        cmsDoTransform(t, image.ptr(y), image.ptr(y), cmsUInt32Number(image.cols));
    cmsDeleteTransform(t);
    return true;
}

bool isGrayProfile(const QByteArray& bytes)
{
    const Profile p = open(bytes);
    return p && cmsGetColorSpace(p.get()) == cmsSigGrayData;
}

// One 16-bit transform between a gray profile and sRGB. Unoptimised: the
// precalculated curves lose the deep shadows of a gamma curve.
bool grayTransform(const cv::Mat& src, cv::Mat* dst, const QByteArray& grayBytes, bool toRgb, QString* error)
{
    const Profile gray = open(grayBytes);
    const Profile srgb(cmsCreate_sRGBProfile());
    cmsHTRANSFORM t = toRgb ? cmsCreateTransform(gray.get(), TYPE_GRAY_16, srgb.get(), TYPE_BGR_16, INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE)
                            : cmsCreateTransform(srgb.get(), TYPE_BGR_16, gray.get(), TYPE_GRAY_16, INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
    if (!t) {
        *error = QStringLiteral("cannot convert between these colour profiles");
        return false;
    }
    const cv::Mat in = src.isContinuous() ? src : src.clone();
    cv::Mat out(in.size(), toRgb ? CV_16UC3 : CV_16UC1);
    for (int y = 0; y < in.rows; ++y)
        cmsDoTransform(t, in.ptr(y), out.ptr(y), cmsUInt32Number(in.cols));
    cmsDeleteTransform(t);
    *dst = out;
    return true;
}

} // namespace

namespace TIcc {

QByteArray sRGB()
{
    static const QByteArray bytes = [] {
        Profile p(cmsCreate_sRGBProfile());
        return save(p.get());
    }();
    return bytes;
}

QByteArray adobeRGB()
{
    static const QByteArray bytes = [] {
        const cmsCIExyY white = {0.3127, 0.3290, 1.0};
        const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
        cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
        cmsToneCurve* curves[3] = {gamma, gamma, gamma};
        Profile p(cmsCreateRGBProfile(&white, &primaries, curves));
        cmsFreeToneCurve(gamma);
        setDescription(p.get(), "Adobe RGB (1998) compatible");
        return save(p.get());
    }();
    return bytes;
}

QString description(const QByteArray& profile)
{
    const Profile p = open(profile);
    if (!p)
        return QString();
    wchar_t text[256] = {};
    cmsGetProfileInfo(p.get(), cmsInfoDescription, "en", "US", text, 255);
    const QString d = QString::fromWCharArray(text);
    return d.isNull() ? QStringLiteral("") : d; // null means "no profile"
}

bool toWorkingSpace(cv::Mat& image, const QByteArray& profile, QString* error)
{
    return transform(image, profile, sRGB(), error);
}

bool fromWorkingSpace(cv::Mat& image, const QByteArray& profile, QString* error)
{
    return transform(image, sRGB(), profile, error);
}

std::vector<float> lookupTable(const QByteArray& profile, int size)
{
    const Profile from = open(sRGB()), to = open(profile);
    if (!to || cmsGetColorSpace(to.get()) != cmsSigRgbData || size < 2)
        return {};
    cmsHTRANSFORM t = cmsCreateTransform(from.get(), TYPE_RGB_FLT, to.get(), TYPE_RGB_FLT, INTENT_PERCEPTUAL,
                                         cmsFLAGS_BLACKPOINTCOMPENSATION);
    if (!t)
        return {};
    std::vector<float> table(size_t(size) * size * size * 3);
    auto at = [size](int i) {
        const float s = float(i) / float(size - 1);
        return s * s;
    };
    size_t i = 0;
    for (int b = 0; b < size; ++b)
        for (int g = 0; g < size; ++g)
            for (int r = 0; r < size; ++r, i += 3) {
                table[i] = at(r);
                table[i + 1] = at(g);
                table[i + 2] = at(b);
            }
    cmsDoTransform(t, table.data(), table.data(), cmsUInt32Number(table.size() / 3));
    cmsDeleteTransform(t);
    // A display shows nothing beyond its own range.
    for (float& v : table)
        v = std::clamp(v, 0.0f, 1.0f);
    return table;
}

bool grayToWorkingSpace(const cv::Mat& gray, const QByteArray& profile, cv::Mat* bgr, QString* error)
{
    if (!profile.isEmpty() && isGrayProfile(profile))
        return grayTransform(gray, bgr, profile, true, error);
    cv::cvtColor(gray, *bgr, cv::COLOR_GRAY2BGR);
    return profile.isEmpty() || toWorkingSpace(*bgr, profile, error);
}

bool workingSpaceToGray(const cv::Mat& bgr, const QByteArray& profile, cv::Mat* gray, QString* error)
{
    if (!profile.isEmpty() && isGrayProfile(profile))
        return grayTransform(bgr, gray, profile, false, error);
    cv::Mat inSpace = bgr.clone();
    if (!profile.isEmpty() && !fromWorkingSpace(inSpace, profile, error))
        return false;
    cv::cvtColor(inSpace, *gray, cv::COLOR_BGR2GRAY);
    return true;
}

} // namespace TIcc
