// Steps in the real window, on a display server (Xvfb): Lumora is started on a folder of 12 MP
// JPEGs, each a colour of its own; a click on the right half of the picture, sent through the
// display server's test extension every 2 s, is timed until the next picture's colour is on the
// screen, and so is a folder's selection in the tree (a key press) until its first picture is.
// Several builds run by turns in one run, so that their figures stand side by side:
//   window_step_bench LUMORA [LUMORA...]
// Each figure is a median; the first build named is the one judged against the others.
#include <dlfcn.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000;
constexpr int kPictures = 12;  // per folder
constexpr int kRounds = 2;     // each build started this often, by turns
constexpr int kStepsPerRound = 10;
constexpr int kColdPerRound = 3;
constexpr int kStepIntervalMs = 2000;
constexpr int kTimeoutMs = 3000;
constexpr int kColourTolerance = 14;

// The display server's test extension, loaded at run time (no headers needed to build).
class FakeInput {
public:
    FakeInput() {
        x11_ = dlopen("libX11.so.6", RTLD_NOW);
        xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
        if (!x11_ || !xtst_) return;
        open_ = reinterpret_cast<void *(*)(const char *)>(dlsym(x11_, "XOpenDisplay"));
        flush_ = reinterpret_cast<int (*)(void *)>(dlsym(x11_, "XFlush"));
        keycode_ = reinterpret_cast<unsigned char (*)(void *, unsigned long)>(
            dlsym(x11_, "XKeysymToKeycode"));
        button_ = reinterpret_cast<int (*)(void *, unsigned, int, unsigned long)>(
            dlsym(xtst_, "XTestFakeButtonEvent"));
        key_ = reinterpret_cast<int (*)(void *, unsigned, int, unsigned long)>(
            dlsym(xtst_, "XTestFakeKeyEvent"));
        motion_ = reinterpret_cast<int (*)(void *, int, int, int, unsigned long)>(
            dlsym(xtst_, "XTestFakeMotionEvent"));
        if (open_ && flush_ && keycode_ && button_ && key_ && motion_) display_ = open_(nullptr);
    }
    bool ok() const { return display_ != nullptr; }
    void MoveTo(QPoint at) {
        motion_(display_, -1, at.x(), at.y(), 0);
        flush_(display_);
    }
    void Click() {
        button_(display_, 1, 1, 0);
        button_(display_, 1, 0, 0);
        flush_(display_);
    }
    void Key(unsigned long keysym) {
        const unsigned code = keycode_(display_, keysym);
        key_(display_, code, 1, 0);
        key_(display_, code, 0, 0);
        flush_(display_);
    }

private:
    void *x11_ = nullptr, *xtst_ = nullptr, *display_ = nullptr;
    void *(*open_)(const char *) = nullptr;
    int (*flush_)(void *) = nullptr;
    unsigned char (*keycode_)(void *, unsigned long) = nullptr;
    int (*button_)(void *, unsigned, int, unsigned long) = nullptr;
    int (*key_)(void *, unsigned, int, unsigned long) = nullptr;
    int (*motion_)(void *, int, int, int, unsigned long) = nullptr;
};

constexpr unsigned long kKeyDown = 0xff54, kKeyUp = 0xff52;

QRgb ColourOf(int folder, int picture) {
    const int n = folder * kPictures + picture;
    return qRgb(30 + n * 53 % 200, 30 + n * 97 % 200, 30 + n * 151 % 200);
}

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= kColourTolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= kColourTolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= kColourTolerance;
}

// A photo-like picture of one colour with grain, so that it codes like a photo.
void WritePhoto(const QString &path, QRgb colour) {
    QImage photo(kWidth, kHeight, QImage::Format_RGB32);
    QRandomGenerator random(qHash(path));
    for (int y = 0; y < kHeight; ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const int grain = int(random.bounded(9u)) - 4;
            line[x] =
                qRgb(qBound(0, qRed(colour) + grain, 255), qBound(0, qGreen(colour) + grain, 255),
                     qBound(0, qBlue(colour) + grain, 255));
        }
    }
    photo.save(path, "JPG", 90);
}

QRgb PixelAt(QPoint at) {
    const QImage grabbed =
        QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage();
    return grabbed.isNull() ? 0 : grabbed.pixel(0, 0);
}

// Milliseconds until `colour` shows at `at`; nullopt past the time-out.
std::optional<double> TimeUntil(QPoint at, QRgb colour, const QElapsedTimer &since) {
    while (since.elapsed() < kTimeoutMs) {
        if (Near(PixelAt(at), colour)) return since.nsecsElapsed() / 1e6;
    }
    return std::nullopt;
}

// The rectangle of the screen that shows `colour`, found on a screenshot.
QRect AreaOf(QRgb colour) {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QRect area;
    for (int y = 0; y < screen.height(); y += 4)
        for (int x = 0; x < screen.width(); x += 4)
            if (Near(screen.pixel(x, y), colour)) area |= QRect(x, y, 1, 1);
    return area;
}

double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

struct Figures {
    std::vector<double> steps, cold;
    int missed = 0;
};

// One start of `program` in `work`: a folder selected with the keys, then steps through it.
bool RunRound(const QString &program, const QString &work, FakeInput &input, Figures &figures) {
    QProcess lumora;
    lumora.setWorkingDirectory(work);
    lumora.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    lumora.start(program, {});
    if (!lumora.waitForStarted()) return false;
    QThread::msleep(2500);  // the window shows, with the tree's root selected
    std::optional<QRect> view;
    for (int cold = 0; cold < kColdPerRound; ++cold) {
        // Down selects the first folder, Up the root again, so every selection is cold.
        input.Key(kKeyDown);
        QElapsedTimer since;
        since.start();
        if (!view) {
            QThread::msleep(1500);
            const QRect area = AreaOf(ColourOf(0, 0));
            if (area.width() < 100 || area.height() < 100) {
                QGuiApplication::primaryScreen()->grabWindow(0).save(work + "/failed.png");
                std::fprintf(stderr, "no picture on the screen: see %s/failed.png\n",
                             qPrintable(work));
                return false;
            }
            view = area;
        } else if (const auto ms = TimeUntil(view->center(), ColourOf(0, 0), since)) {
            figures.cold.push_back(*ms);
        } else {
            ++figures.missed;
        }
        QThread::msleep(kStepIntervalMs);
        input.Key(kKeyUp);
        QThread::msleep(kStepIntervalMs);
    }
    input.Key(kKeyDown);
    QThread::msleep(kStepIntervalMs);
    input.MoveTo(QPoint(view->left() + view->width() * 3 / 4, view->top() + view->height() / 2));
    QThread::msleep(300);
    for (int step = 1; step <= kStepsPerRound && step < kPictures; ++step) {
        QElapsedTimer since;
        since.start();
        input.Click();
        if (const auto ms = TimeUntil(view->center(), ColourOf(0, step), since))
            figures.steps.push_back(*ms);
        else
            ++figures.missed;
        QThread::msleep(std::max<qint64>(0, kStepIntervalMs - since.elapsed()));
    }
    lumora.terminate();
    if (!lumora.waitForFinished(5000)) lumora.kill();
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const QStringList programs = app.arguments().mid(1);
    FakeInput input;
    if (programs.isEmpty() || !input.ok() || QGuiApplication::platformName() != "xcb") {
        std::fprintf(stderr,
                     "usage: window_step_bench LUMORA [LUMORA...], on an X display (Xvfb) "
                     "with the test extension\n");
        return 64;
    }
    QTemporaryDir work;
    work.setAutoRemove(qEnvironmentVariableIsEmpty("KEEP"));
    QDir(work.path()).mkpath("config");
    const QString root = work.filePath("pictures/2010-05-03");
    for (int folder = 0; folder < 2; ++folder) {
        const QString title = root + QStringLiteral("/t%1").arg(folder + 1);
        QDir().mkpath(title);
        for (int picture = 0; picture < kPictures; ++picture)
            WritePhoto(title + QStringLiteral("/t%1 %2.jpg").arg(folder + 1).arg(picture + 1),
                       ColourOf(folder, picture));
    }
    QFile settings(work.filePath("config/t.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write(
        QStringLiteral("[config]\npath=%1\nreadDoc=1\nisLink=1\nisKnown=1\n").arg(root).toUtf8());
    settings.close();

    std::vector<Figures> figures(programs.size());
    for (int round = 0; round < kRounds; ++round)
        for (int i = 0; i < programs.size(); ++i)
            if (!RunRound(programs[i], work.path(), input, figures[i])) {
                std::fprintf(stderr, "%s: the picture did not show\n", qPrintable(programs[i]));
                return 1;
            }
    for (int i = 0; i < programs.size(); ++i)
        std::printf(
            "%s: step to the next picture %.1f ms, folder selection to its picture %.1f ms "
            "(medians of %zu and %zu; %d missed)\n",
            qPrintable(programs[i]), Median(figures[i].steps), Median(figures[i].cold),
            figures[i].steps.size(), figures[i].cold.size(), figures[i].missed);
    return 0;
}
