#pragma once
// The program started as a user would, under the test's X display, with a
// home of its own; windows are found and keys sent with xdotool.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        environment.insert("HOME", home.path());
        // The user's runtime folder holds the single-instance lock and
        // socket: one of the test's own, so that nothing else running on
        // the machine (another suite, a copy started by hand) is taken for
        // a running copy.
        QDir().mkpath(home.filePath("runtime"));
        QFile::setPermissions(home.filePath("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
        // No update check reaches the network.
        environment.insert("STROVANE_UPDATE_URL", "http://127.0.0.1:1/updates/velmorastrovane2_win.txt");
    }
    void TearDown() override
    {
        for (auto& p : started) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    // Starts the program; programName stands in for its name on the command
    // line. What it prints is kept for log().
    QProcess* start(const QStringList& args, const QString& programName = QString())
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment);
        p->setProcessChannelMode(QProcess::MergedChannels);
        QProcess* raw = p.get();
        QObject::connect(raw, &QProcess::readyRead, [this, raw] { output[raw] += QString::fromUtf8(raw->readAll()); });
        if (programName.isEmpty()) {
            p->start(QStringLiteral(VMSTROVANE2), args);
        } else {
            p->start(QStringLiteral("bash"), QStringList{"-c", "exec -a \"$0\" \"$@\"", programName, VMSTROVANE2} + args);
        }
        p->waitForStarted();
        started.push_back(std::move(p));
        return raw;
    }

    // The program as a returning user of the plug-in has it: no start-up
    // window, the painting panel first, no painting shown stroke by stroke.
    void settleAsReturningUser()
    {
        QSettings settings(home.filePath("config/Velmora Labs/Velmora Strovane 2.conf"), QSettings::IniFormat);
        settings.setValue("appMain/showStartupWindow", false);
        settings.setValue("appMain/startWithPresetPanel", false);
        settings.setValue("appMain/showPainting", false);
        settings.sync();
    }

    QString log(QProcess* p)
    {
        p->waitForReadyRead(0);
        return output[p];
    }
    // Waits until the program printed text; false on time-out.
    bool waitForLog(QProcess* p, const QString& text, int timeoutMs = 60000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!log(p).contains(text)) {
            if (timer.elapsed() > timeoutMs || p->state() == QProcess::NotRunning)
                return log(p).contains(text);
            p->waitForReadyRead(200);
        }
        return true;
    }

    static QString xdotool(const QStringList& args, int timeoutMs = 20000)
    {
        QProcess x;
        x.start(QStringLiteral("xdotool"), args);
        x.waitForFinished(timeoutMs);
        return QString::fromUtf8(x.readAllStandardOutput()).trimmed();
    }
    // The first visible window of a process, waiting for it to appear.
    static QString windowOf(QProcess* p)
    {
        for (int i = 0; i < 100; ++i) {
            const QString id = xdotool({"search", "--onlyvisible", "--pid", QString::number(p->processId())}, 2000)
                                   .section(QLatin1Char('\n'), 0, 0);
            if (!id.isEmpty())
                return id;
            QThread::msleep(200);
        }
        return QString();
    }
    // A visible window of that exact title, waiting for it to appear.
    static QString windowNamed(const QString& title, int timeoutMs = 30000)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            const QString id = xdotool({"search", "--onlyvisible", "--name", "^" + QRegularExpression::escape(title) + "$"}, 2000)
                                   .section(QLatin1Char('\n'), 0, 0);
            if (!id.isEmpty())
                return id;
            QThread::msleep(200);
        }
        return QString();
    }
    static void press(const QString& window, const char* key)
    {
        xdotool({"windowfocus", "--sync", window, "key", QLatin1String(key)});
    }
    static void type(const QString& window, const QString& text)
    {
        xdotool({"windowfocus", "--sync", window, "type", "--delay", "10", text});
    }

    // A built-in style (the fourth of the program's list): its id, and its
    // preset written as a file for strovane-render.
    QString builtInStyle(QString* presetFile)
    {
        QFile stylesFile(QCoreApplication::applicationDirPath() + "/Resources/styles/styles.json");
        EXPECT_TRUE(stylesFile.open(QIODevice::ReadOnly));
        const QJsonObject style =
            QJsonDocument::fromJson(stylesFile.readAll()).object().value("styles").toArray().at(3).toObject();
        *presetFile = home.filePath("style.json");
        QFile preset(*presetFile);
        EXPECT_TRUE(preset.open(QIODevice::WriteOnly));
        preset.write(QJsonDocument(style.value("preset").toObject()).toJson());
        return style.value("guid").toString();
    }

    QTemporaryDir home;
    QProcessEnvironment environment;
    std::vector<std::unique_ptr<QProcess>> started;
    std::map<QProcess*, QString> output;
};
