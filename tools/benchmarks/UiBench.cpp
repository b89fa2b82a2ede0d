// How fast the program answers as the user feels it: the real program with
// a new user's settings under the current X display, driven by keys and
// clicks, each step timed from the input to the moment the view stops
// changing on the screen (the window's pixels, read from the X server).
//   strovane-bench-ui [PHOTO] [RUNS]
#include "Screen.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

QString xdotool(const QStringList& args)
{
    QProcess x;
    x.start(QStringLiteral("xdotool"), args);
    x.waitForFinished(20000);
    return QString::fromUtf8(x.readAllStandardOutput()).trimmed();
}

// Reads the preview's part of the window (left of the panel, between the
// tool bar and the status line) from the X server through shared memory,
// over one connection: the bench looks 50 times a second, and a whole
// window shot through the socket each time cost an eighth of a core on the
// two the program it times has.
class ViewReader {
public:
    ViewReader()
        : m_c(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_c))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        std::unique_ptr<xcb_shm_query_version_reply_t, decltype(&std::free)> shm(
            xcb_shm_query_version_reply(m_c, xcb_shm_query_version(m_c), nullptr), &std::free);
        if (!shm)
            return;
        m_id = shmget(IPC_PRIVATE, kMaxBytes, IPC_CREAT | 0600);
        if (m_id < 0)
            return;
        void* at = shmat(m_id, nullptr, 0);
        m_segment = xcb_generate_id(m_c);
        const bool attached = at != reinterpret_cast<void*>(-1)
            && !std::unique_ptr<xcb_generic_error_t, decltype(&std::free)>(
                    xcb_request_check(m_c, xcb_shm_attach_checked(m_c, m_segment, uint32_t(m_id), 0)), &std::free);
        shmctl(m_id, IPC_RMID, nullptr); // freed once both have let go
        if (attached)
            m_data = static_cast<uchar*>(at);
        else if (at != reinterpret_cast<void*>(-1))
            shmdt(at);
    }
    ~ViewReader()
    {
        if (m_data)
            shmdt(m_data);
        xcb_disconnect(m_c);
    }
    // The view now, BGRX; empty when it cannot be read.
    cv::Mat read(const QString& window) const
    {
        const xcb_window_t id = window.toUInt();
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
            xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, id), nullptr), &std::free);
        std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> at(
            xcb_translate_coordinates_reply(m_c, xcb_translate_coordinates(m_c, id, m_root, 0, 0), nullptr), &std::free);
        if (!m_data || !geometry || !at || geometry->width <= screen::kPanelWidth || geometry->height <= 88)
            return cv::Mat();
        const cv::Rect view(at->dst_x, at->dst_y + 64, geometry->width - screen::kPanelWidth, geometry->height - 64 - 24);
        if (size_t(view.area()) * 4 > kMaxBytes)
            return cv::Mat();
        std::unique_ptr<xcb_shm_get_image_reply_t, decltype(&std::free)> image(
            xcb_shm_get_image_reply(m_c,
                                    xcb_shm_get_image(m_c, m_root, int16_t(view.x), int16_t(view.y), uint16_t(view.width),
                                                      uint16_t(view.height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0),
                                    nullptr),
            &std::free);
        if (!image)
            return cv::Mat();
        return cv::Mat(view.height, view.width, CV_8UC4, m_data).clone();
    }

private:
    static constexpr size_t kMaxBytes = size_t(4096) * 4096 * 4;
    xcb_connection_t* m_c;
    xcb_window_t m_root = 0;
    int m_id = -1;
    xcb_shm_seg_t m_segment = 0;
    uchar* m_data = nullptr;
};

bool same(const cv::Mat& a, const cv::Mat& b)
{
    return !a.empty() && a.size() == b.size() && a.isContinuous() && b.isContinuous()
        && std::memcmp(a.data, b.data, a.total() * a.elemSize()) == 0;
}

struct Settle {
    double firstChangeMs = -1; // the view first shows something new
    double settledMs = -1;     // the last change before it held still
};

class Bench {
public:
    explicit Bench(const QString& photo) : m_photo(photo) {}

    bool start()
    {
        const QString runtime = m_home.filePath("runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
        env.insert("XDG_DATA_HOME", m_home.filePath("data"));
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("STROVANE_UPDATE_URL", "https://127.0.0.1:1/none");
        m_program.setProcessEnvironment(env);
        m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_program.setStandardOutputFile(QProcess::nullDevice());
        m_clock.start();
        m_program.start(QCoreApplication::applicationDirPath() + "/vmstrovane2",
                        m_photo.isEmpty() ? QStringList() : QStringList{m_photo});
        for (int i = 0; i < 300 && m_window.isEmpty(); ++i) {
            m_window = xdotool({"search", "--onlyvisible", "--pid", QString::number(m_program.processId())})
                           .section('\n', 0, 0);
            if (m_window.isEmpty())
                QThread::msleep(100);
        }
        return !m_window.isEmpty();
    }
    ~Bench()
    {
        m_program.kill();
        m_program.waitForFinished(5000);
    }

    // The view as it is now.
    cv::Mat look() const { return m_view.read(m_window); }
    // Watches the view from `since` (ms on the clock) until it has held
    // still for holdMs; `before` is the view before the input (taken now
    // when none is given).
    Settle watch(double since, int holdMs = 1500, int timeoutMs = 120000, cv::Mat before = cv::Mat())
    {
        Settle s;
        cv::Mat last = before.empty() ? look() : before;
        const cv::Mat first = last;
        double lastChange = since;
        while (m_clock.elapsed() - lastChange < holdMs && m_clock.elapsed() - since < timeoutMs) {
            QThread::msleep(20);
            const cv::Mat now = look();
            if (!same(now, last)) {
                lastChange = double(m_clock.elapsed());
                if (s.firstChangeMs < 0)
                    s.firstChangeMs = lastChange - since;
                last = now;
            }
        }
        s.settledMs = same(last, first) ? 0 : lastChange - since;
        return s;
    }
    double now() const { return double(m_clock.elapsed()); }
    void key(const char* k) { xdotool({"windowfocus", "--sync", m_window, "key", k}); }
    // xdotool waits 100 ms after a click for a next one unless told not to.
    void click(int x, int y)
    {
        xdotool({"mousemove", "--window", m_window, QString::number(x), QString::number(y), "click", "--delay", "1", "1"});
    }
    QSize size() const
    {
        const QRegularExpressionMatch m = QRegularExpression("Geometry: (\\d+)x(\\d+)").match(xdotool({"getwindowgeometry", m_window}));
        return QSize(m.captured(1).toInt(), m.captured(2).toInt());
    }

private:
    QString m_photo;
    QTemporaryDir m_home;
    QProcess m_program;
    QString m_window;
    QElapsedTimer m_clock;
    ViewReader m_view;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void line(const char* what, double ms, const char* goal)
{
    std::printf("%-52s %8.0f ms   goal %s\n", what, ms, goal);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString photo = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!qEnvironmentVariableIsSet("DISPLAY")) {
        std::fprintf(stderr, "strovane-bench-ui: needs an X display (run it under xvfb-run)\n");
        return 2;
    }
    Bench b(photo);
    if (!b.start()) {
        std::fprintf(stderr, "strovane-bench-ui: the program's window did not come\n");
        return 2;
    }
    // The welcome is up over the first painting: the view (dimmed) is
    // timed through it.
    line("launch -> first settled, painted view", b.watch(0, 2500).settledMs, "<= 2000");
    b.key("Escape");
    b.watch(b.now(), 1000);
    const QSize w = b.size();

    std::vector<double> styles;
    for (int n = 0; n < std::min(runs, 13); ++n) {
        const cv::Mat before = b.look();
        const double t = b.now();
        b.click(w.width() - (n % 2 ? 78 : 223), 111 + 112 * (n / 2 % 3));
        styles.push_back(b.watch(t, 1500, 120000, before).settledMs);
    }
    line("style click -> settled view (median)", median(styles), "<= 1000");
    line("style click -> settled view (worst)", *std::max_element(styles.begin(), styles.end()), "<= 2000");

    // Brush Size by arrow keys, first in the default style, then large in
    // the palette-knife style.
    auto brushSteps = [&](const char* what) {
        b.click(w.width() - 242, 41); // Adjust
        b.watch(b.now(), 800);
        b.click(w.width() - 156, 608); // the handle, which takes the focus
        b.watch(b.now(), 800);
        std::vector<double> steps;
        for (int i = 0; i < runs; ++i) {
            const cv::Mat before = b.look();
            const double t = b.now();
            b.key(i % 2 ? "Left" : "Right");
            steps.push_back(b.watch(t, 1500, 120000, before).settledMs);
        }
        line(what, median(steps), "<= 500");
        b.click(w.width() - 140, 41); // back to Styles
        b.watch(b.now(), 800);
    };
    // Fit to 100 % (the tool bar's third button) and back (its fourth).
    auto zoom = [&](const char* style) {
        const cv::Mat before = b.look();
        const double t = b.now();
        b.click(80, 41);
        const Settle s = b.watch(t, 1500, 120000, before);
        line(qPrintable(QStringLiteral("zoom fit -> 100 %, %1: first change").arg(QLatin1String(style))),
             s.firstChangeMs, "<= 100");
        line(qPrintable(QStringLiteral("zoom fit -> 100 %, %1: settled").arg(QLatin1String(style))), s.settledMs,
             "<= 1000");
        b.click(112, 41);
        b.watch(b.now());
    };
    // Back to the default settings: every style click undone.
    for (size_t n = 0; n < styles.size(); ++n)
        b.key("ctrl+z");
    b.watch(b.now());
    brushSteps("Brush Size step, default style (median)");
    zoom("default style");
    b.click(w.width() - 223, 111 + 112); // "Palette-Knife Landscape"
    b.watch(b.now());
    b.click(w.width() - 242, 41);
    b.watch(b.now(), 800);
    const cv::Mat before = b.look();
    const double t = b.now();
    b.click(w.width() - 156 + int(0.42 * 274), 608); // the track at 0.92
    const double large = b.watch(t, 1500, 120000, before).settledMs;
    line("Brush Size to 0.92, palette knife", large, "<= 1500");

    b.click(w.width() - 140, 41);
    b.watch(b.now(), 800);
    zoom("palette knife at 0.92");
    return 0;
}
