// kalvex_window_bench: the whole path a user takes through the real windows — start, paste,
// 編集, the result window's first screen, Ctrl+C — on large texts, beside a bare
// QPlainTextEdit given the same result text as the toolkit's floor.
//
// Without arguments it runs every case in child processes (one process per case and run, so
// start-up and peak memory are each process's own) and prints the medians. With --case NAME it
// is such a child: it prints "shown" once both windows are on screen, then "key value" lines.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "engine/modConvert.h"
#include "forms/App.h"
#include "forms/Form.h"
#include "main_window/frmKalvex.h"
#include "bench/sample_text.h"

namespace {

constexpr char16_t kHead[] = u"out.println(\"";
constexpr char16_t kTail[] = u"\");";

struct Case {
    const char* name;
    std::size_t units;
    bool oneLine;
    bool inTable;  // run by default; the others only with --case
};

constexpr Case kCases[] = {
    {"1MB", 1'000'000, false, true},      {"10MB", 10'000'000, false, true},
    {"40MB", 40'000'000, false, true},    {"line1M", 1'000'000, true, true},
    {"line10M", 10'000'000, true, false},
};

std::u16string CaseText(const Case& c) {
    std::u16string text = kalvex_bench::MakeSampleText(c.units);
    if (!c.oneLine) return text;
    std::erase(text, u'\r');
    std::erase(text, u'\n');
    text.resize(c.units);
    return text + u"\r\n";
}

double Ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// A memory figure of this process, in kB: "VmHWM" the peak resident memory so far, "VmRSS" the
// resident memory now.
long StatusKb(const QByteArray& key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLong();
    return -1;
}
long PeakKb() { return StatusKb("VmHWM"); }

void Report(const char* key, double value) {
    std::printf("%s %.3f\n", key, value);
    std::fflush(stdout);
}

template <class W>
W* Find(const char* window, const char* name) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String(window) && top->isVisible())
            return name ? top->findChild<W*>(QLatin1String(name)) : qobject_cast<W*>(top);
    return nullptr;
}

bool Exposed(const char* window) {
    QWidget* top = Find<QWidget>(window, nullptr);
    return top && top->windowHandle() && top->windowHandle()->isExposed();
}

// Runs then() once the widget has finished painting for the first time after this call.
class PaintWatch : public QObject {
  public:
    PaintWatch(QWidget* widget, std::function<void()> then) : then_(std::move(then)) {
        widget->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && then_) {
            watched->removeEventFilter(this);
            // Queued, so that it runs once this paint has been done.
            QTimer::singleShot(0, this, std::exchange(then_, nullptr));
        }
        return false;
    }

  private:
    std::function<void()> then_;
};

// The longest time the event loop went without running a 1 ms timer: how long the user would
// see the program frozen.
class StallMeter : public QObject {
  public:
    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    }
    void Start() {
        since_.start();
        timer_.start();
    }
    void Stop() {
        Tick();
        timer_.stop();
    }
    double LongestMs() const { return longest_; }

  private:
    void Tick() {
        longest_ = std::max(longest_, Ms(since_));
        since_.start();
    }
    QTimer timer_;
    QElapsedTimer since_;
    double longest_ = 0;
};

// Waits, running the event loop, until ready() holds.
void WaitFor(const std::function<bool()>& ready) {
    while (!ready()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

int RunChild(char** argv, const Case& c) {
    forms::Application app(argv[0]);
    forms::FormSlot<frmKalvex> mainWindow;
    mainWindow.Get();
    WaitFor([] { return Exposed("frmKalvex") && Exposed("frmText"); });
    std::printf("shown\n");
    std::fflush(stdout);
    const long baseKb = PeakKb();

    // The source of the paste lives on the clipboard, as after a copy in another program.
    QGuiApplication::clipboard()->setText(QString::fromStdU16String(CaseText(c)));
    const qsizetype inputUnits = QGuiApplication::clipboard()->text().size();

    auto* input = Find<QPlainTextEdit>("frmText", "txtText");
    Find<QLineEdit>("frmKalvex", "txtAddText_0")->setText(QString::fromUtf16(kHead));
    Find<QLineEdit>("frmKalvex", "txtAddText_1")->setText(QString::fromUtf16(kTail));
    Find<QRadioButton>("frmKalvex", "optDblCote_2")->setChecked(true);

    StallMeter stalls;
    stalls.Start();

    QElapsedTimer t;
    input->activateWindow();
    input->setFocus();
    WaitFor([input] { return QApplication::focusWidget() == input; });
    bool pastePainted = false;
    PaintWatch pasteWatch(input->viewport(), [&] { pastePainted = true; });
    t.start();
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    WaitFor([&] { return pastePainted; });
    Report("paste_ms", Ms(t));

    // 編集 runs the result window modally: the rest happens inside its event loop.
    double editMs = 0, copyMs = 0;
    QString copied;
    auto* main = Find<QWidget>("frmKalvex", nullptr);
    main->activateWindow();
    WaitFor([main] { return QApplication::activeWindow() == main; });
    auto onResultPainted = [&] {
        editMs = Ms(t);
        auto* result = Find<QWidget>("frmReturn", nullptr);
        WaitFor([result] { return QApplication::activeWindow() == result; });
        auto* box = Find<QPlainTextEdit>("frmReturn", "txtReturn");
        QGuiApplication::clipboard()->setText(QStringLiteral("sentinel"));
        QElapsedTimer copy;
        copy.start();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        copyMs = Ms(copy);
        copied = QGuiApplication::clipboard()->text();
        QTest::keyClick(box, Qt::Key_Escape);
    };
    std::unique_ptr<PaintWatch> resultWatch;
    // The result window is created by the click; watch for it as soon as it exists.
    QTimer finder;
    finder.setInterval(0);
    QObject::connect(&finder, &QTimer::timeout, [&] {
        if (auto* box = Find<QPlainTextEdit>("frmReturn", "txtReturn")) {
            finder.stop();
            resultWatch = std::make_unique<PaintWatch>(box->viewport(), onResultPainted);
        }
    });
    finder.start();
    t.start();
    QTest::mouseClick(Find<QWidget>("frmKalvex", "cmdAdd"), Qt::LeftButton);
    stalls.Stop();
    Report("edit_ms", editMs);
    Report("copy_ms", copyMs);
    Report("stall_ms", stalls.LongestMs());
    Report("peak_mb", PeakKb() / 1024.0);
    Report("base_mb", baseKb / 1024.0);
    Report("input_utf16_mb", inputUnits * 2 / 1048576.0);

    const std::u16string source = CaseText(c);
    const std::u16string expected =
        modConvert::ConvertLines(modConvert::kEscapeBackslash, source, kHead, kTail);
    Report("whole", copied.size() == qsizetype(expected.size()) &&
                        std::equal(expected.begin(), expected.end(), copied.utf16()));

    // The floor: the same result text in a bare box of the same font and size, painted once.
    // Shown before it is filled, the cheaper order: a box that gets its first size with the
    // text in it makes a layout object for every line.
    QPlainTextEdit bare;
    bare.setFont(input->font());
    bare.setLineWrapMode(QPlainTextEdit::NoWrap);
    bare.resize(input->size());
    bool barePainted = false;
    PaintWatch bareWatch(bare.viewport(), [&] { barePainted = true; });
    t.start();
    bare.show();
    bare.setPlainText(copied);
    WaitFor([&] { return barePainted; });
    Report("floor_ms", Ms(t));
    return 0;
}

// A day's use in one process: rounds of Esc in the input box, Ctrl+V of a 1 MB page, 編集 and
// Esc in the result window. The resident memory after 5 and after 30 rounds shows whether the
// program keeps something of every round.
int RunRounds(char** argv) {
    forms::Application app(argv[0]);
    forms::FormSlot<frmKalvex> mainWindow;
    mainWindow.Get();
    WaitFor([] { return Exposed("frmKalvex") && Exposed("frmText"); });
    QGuiApplication::clipboard()->setText(
        QString::fromStdU16String(kalvex_bench::MakeSampleText(1'000'000)));
    auto* input = Find<QPlainTextEdit>("frmText", "txtText");
    // Esc closes the result window as soon as its box exists.
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = Find<QPlainTextEdit>("frmReturn", "txtReturn")) {
            closer.stop();
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    for (int round = 1; round <= 30; ++round) {
        input->setFocus();
        QTest::keyClick(input, Qt::Key_Escape);
        QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
        closer.start();
        QTest::mouseClick(Find<QWidget>("frmKalvex", "cmdAdd"), Qt::LeftButton);
        // The closed result window goes as it would in the program's event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (round == 5) Report("rss_after_5_mb", StatusKb("VmRSS") / 1024.0);
    }
    Report("rss_after_30_mb", StatusKb("VmRSS") / 1024.0);
    return 0;
}

// Parent side: one child per case and run; the start time is measured from here.
std::map<std::string, double> RunOnce(const QString& self, const Case& c) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    child.start(self, {QStringLiteral("--case"), QString::fromLatin1(c.name)});
    std::map<std::string, double> values;
    while (child.waitForReadyRead(-1) || child.canReadLine()) {
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line == "shown") {
                values["start_ms"] = Ms(t);
                continue;
            }
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2) values[parts[0].toStdString()] = parts[1].toDouble();
        }
    }
    child.waitForFinished(-1);
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) values["failed"] = 1;
    return values;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int RunAll(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 3;
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--runs")); at >= 0)
        runs = std::max(1, args.value(at + 1).toInt());
    std::printf(
        "case    start  paste    edit   floor  edit/floor   copy   stall  peak_MB  "
        "peak/utf16  growth/utf16  whole\n");
    std::map<std::string, double> editMs, pasteMs;
    for (const Case& c : kCases) {
        if (!c.inTable) continue;
        std::map<std::string, std::vector<double>> all;
        for (int i = 0; i < runs; ++i)
            for (const auto& [key, value] : RunOnce(QCoreApplication::applicationFilePath(), c))
                all[key].push_back(value);
        auto m = [&](const char* key) { return Median(all[key]); };
        const bool whole = all["whole"].size() == std::size_t(runs) &&
                           std::ranges::all_of(all["whole"], [](double w) { return w == 1; });
        std::printf("%-6s %6.0f %6.0f %7.0f %7.0f %11.2f %6.1f %7.0f %8.0f %11.1f %13.1f  %s\n",
                    c.name, m("start_ms"), m("paste_ms"), m("edit_ms"), m("floor_ms"),
                    m("edit_ms") / m("floor_ms"), m("copy_ms"), m("stall_ms"), m("peak_mb"),
                    m("peak_mb") / m("input_utf16_mb"),
                    (m("peak_mb") - m("base_mb")) / m("input_utf16_mb"), whole ? "yes" : "NO");
        std::fflush(stdout);
        editMs[c.name] = m("edit_ms");
        pasteMs[c.name] = m("paste_ms");
    }
    std::printf("times in ms, medians of %d runs; one process per case and run\n", runs);
    std::printf("40MB / 10MB: paste %.2fx, edit %.2fx\n", pasteMs["40MB"] / pasteMs["10MB"],
                editMs["40MB"] / editMs["10MB"]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--rounds") return RunRounds(argv);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) != "--case") continue;
        for (const Case& c : kCases)
            if (std::string_view(argv[i + 1]) == c.name) return RunChild(argv, c);
        std::fprintf(stderr, "unknown case %s\n", argv[i + 1]);
        return 2;
    }
    return RunAll(argc, argv);
}
