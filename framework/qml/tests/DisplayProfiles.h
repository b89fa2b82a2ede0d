#pragma once
// Display profiles made with LittleCMS, published the way an X colour
// manager publishes them (the _ICC_PROFILE property of the root window,
// 8-bit CARDINAL), and the colours a display with such a profile must be
// sent, worked out on the CPU.
#include <QByteArray>

#include <lcms2.h>
#include <opencv2/core.hpp>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace DisplayProfiles {

enum class Kind {
    LinearGamma,     // sRGB primaries and white, gamma 1.0: everything darker
    SwappedPrimaries // red and blue primaries swapped: red shows as blue
};

inline const char* name(Kind kind)
{
    return kind == Kind::LinearGamma ? "linear gamma" : "swapped primaries";
}

inline QByteArray make(Kind kind)
{
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyY red = {0.64, 0.33, 1.0}, green = {0.30, 0.60, 1.0}, blue = {0.15, 0.06, 1.0};
    const cmsCIExyYTRIPLE primaries = kind == Kind::SwappedPrimaries ? cmsCIExyYTRIPLE{blue, green, red}
                                                                     : cmsCIExyYTRIPLE{red, green, blue};
    // The sRGB curve: y = ((x + 0.055) / 1.055)^2.4 above 0.04045, x / 12.92 below.
    const cmsFloat64Number srgb[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve* curve = kind == Kind::LinearGamma ? cmsBuildGamma(nullptr, 1.0) : cmsBuildParametricToneCurve(nullptr, 4, srgb);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", name(kind));
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(int(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

// Sets (or, with no bytes, deletes) the screen's profile property.
inline void publish(const QByteArray& bytes)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const char atomName[] = "_ICC_PROFILE";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(atomName)), atomName), nullptr);
    if (bytes.isEmpty())
        xcb_delete_property(c, screen->root, atom->atom);
    else
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, atom->atom, XCB_ATOM_CARDINAL, 8,
                            uint32_t(bytes.size()), bytes.constData());
    std::free(atom);
    // A round trip: the server has made the change when this returns.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

// BGR 8-bit sRGB colours as a display with the profile must be sent them
// (the float transform, before any rounding), in 8-bit levels.
inline cv::Mat expected(const cv::Mat& bgr, const QByteArray& displayProfile)
{
    cmsHPROFILE from = cmsCreate_sRGBProfile();
    cmsHPROFILE to = cmsOpenProfileFromMem(displayProfile.constData(), cmsUInt32Number(displayProfile.size()));
    cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_BGR_FLT, to, TYPE_BGR_FLT, INTENT_PERCEPTUAL,
                                         cmsFLAGS_BLACKPOINTCOMPENSATION);
    cv::Mat in, out(bgr.size(), CV_32FC3);
    bgr.convertTo(in, CV_32FC3, 1.0 / 255);
    for (int y = 0; y < in.rows; ++y)
        cmsDoTransform(t, in.ptr(y), out.ptr(y), cmsUInt32Number(in.cols));
    cmsDeleteTransform(t);
    cmsCloseProfile(to);
    cmsCloseProfile(from);
    cv::Mat levels;
    out.convertTo(levels, CV_32FC3, 255.0);
    return cv::min(cv::max(levels, 0.0), 255.0);
}

} // namespace DisplayProfiles
