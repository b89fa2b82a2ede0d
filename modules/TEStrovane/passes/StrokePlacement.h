#pragma once

#include <opencv2/core.hpp>

#include <vector>

// One placed stroke: a disc in line-image pixels.
struct PlacedDisc {
    float x;
    float y;
    float r;
};

// Places discs that each cover about `inkTarget` of ink (darkness x area) on
// a grey line image (CV_8UC1): small and dense where the image is dark, large
// and sparse where it is light. Deterministic: the generator is MT19937-64
// seeded with 1. Returns the accepted discs in acceptance order.
std::vector<PlacedDisc> placeStrokes(const cv::Mat& inkImage, int inkTarget);

// The ink of a disc: r^2 x pi x mean darkness of the pixel box around it x
// 255. Exposed for tests; `integral` is the summed-area table of (255 - v).
double discInk(const cv::Mat& inkImage, const cv::Mat& integral, double x, double y, double r);

// The mask stamp of a disc: a filled circle of value 255, clipped.
void fillCircle(cv::Mat& mask, int cx, int cy, int radius);

// Free angle intervals around a disc, and the removal of the arc a child
// disc blocks.
struct Arc {
    double lo;
    double hi;
};
void blockArc(std::vector<Arc>& freeArcs, double parentX, double parentY, double parentR, double childX,
              double childY, double childR);
