#pragma once

#include "strobase_global.h"

#include <QByteArray>
#include <QString>

#include <opencv2/core.hpp>

#include <vector>

// ICC profiles of images (LittleCMS). The working space is sRGB: images
// are converted into it when read and out of it when written in another
// space.
namespace TIcc {

STROBASE_EXPORT QByteArray sRGB();
// A matrix-shaper profile with the primaries, white point (D65) and gamma
// (563/256) of the Adobe RGB (1998) space.
STROBASE_EXPORT QByteArray adobeRGB();
// The profile's description; a null string when the bytes are no profile.
STROBASE_EXPORT QString description(const QByteArray& profile);

// image: BGR or BGRA, 8 or 16 bit, converted in place (alpha untouched).
// False with a reason for a profile that is unreadable or not RGB.
STROBASE_EXPORT bool toWorkingSpace(cv::Mat& image, const QByteArray& profile, QString* error);
STROBASE_EXPORT bool fromWorkingSpace(cv::Mat& image, const QByteArray& profile, QString* error);
// The working space's colours converted into `profile` (RGB) on a lattice of
// size^3 points, for a 3D lookup table: RGB triples, red varying fastest,
// then green, then blue, each 0..1. Point i of an axis stands for the value
// (i / (size - 1))^2: the lattice is dense in the shadows, where display
// curves are steep (a gamma 2.2 display: at most 0.2 of an 8-bit level
// between 33 points, 4.7 on an even lattice). Float throughout (16-bit
// transforms lose the shadows of steep curves). Empty for a profile that is
// unreadable or not RGB.
STROBASE_EXPORT std::vector<float> lookupTable(const QByteArray& profile, int size);
// Gray images (16 bit) to and from working-space BGR (16 bit), through a gray
// or RGB profile; without a profile the gray is taken as the working
// space's.
STROBASE_EXPORT bool grayToWorkingSpace(const cv::Mat& gray, const QByteArray& profile, cv::Mat* bgr, QString* error);
STROBASE_EXPORT bool workingSpaceToGray(const cv::Mat& bgr, const QByteArray& profile, cv::Mat* gray, QString* error);

} // namespace TIcc
