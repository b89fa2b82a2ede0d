#include "TSMat.h"

#include <atomic>

TSMat::TSMat(const cv::Mat& mat)
    : m_mat(mat)
{
    static std::atomic<quint32> next{1};
    if (!m_mat.empty())
        m_uid = next.fetch_add(1);
}
