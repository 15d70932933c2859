#pragma once

// A sound server of the test's own on a unix socket, with no source until a test asks for one,
// and a microphone fed from the test: a pipe source that hears what the test writes into it.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

struct SoundServer
{
    QTemporaryDir dir;
    QProcess server;
    QString failure;

    QString socket() const { return dir.filePath(QStringLiteral("native")); }
    QString microphonePipe() const { return dir.filePath(QStringLiteral("mic")); }

    bool pactl(const QStringList &arguments, QByteArray *output = nullptr) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), u"unix:" + socket());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("pactl"), arguments);
        const bool done =
            p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (output)
            *output = p.readAllStandardOutput();
        return done;
    }

    // Someone records from a source: the program has opened the microphone.
    bool recording() const
    {
        QByteArray outputs;
        return pactl({"list", "short", "source-outputs"}, &outputs) && !outputs.trimmed().isEmpty();
    }

    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::MergedChannels);
        // Root runs it too (CI does), as a per-user server that never exits while idle.
        server.start(QStringLiteral("pulseaudio"),
                     {"--system=false", "--exit-idle-time=-1", "-n", "--daemonize=no",
                      "--use-pid-file=false", "--disallow-exit", "--log-target=stderr", "-L",
                      u"module-native-protocol-unix auth-anonymous=1 socket=" + socket()});
        if (!server.waitForStarted(10000)) {
            failure = QStringLiteral("pulseaudio cannot start: ") + server.errorString();
            return false;
        }
        for (int i = 0; i < 100 && server.state() == QProcess::Running; ++i) {
            if (QFile::exists(socket()) && pactl({"info"}))
                return true;
            QTest::qWait(100);
        }
        failure = QStringLiteral("pulseaudio did not answer: ") +
                  QString::fromLocal8Bit(server.readAll());
        return false;
    }

    // A microphone that hears nothing until a MicrophoneFeed writes into its pipe.
    bool addMicrophone()
    {
        return pactl({"load-module", "module-pipe-source", "source_name=mic",
                      u"file=" + microphonePipe(), "format=s16le", "rate=16000", "channels=1"}) &&
               pactl({"set-default-source", "mic"});
    }
    bool removeMicrophone() { return pactl({"unload-module", "module-pipe-source"}); }

    ~SoundServer()
    {
        if (server.state() != QProcess::NotRunning) {
            server.terminate();
            if (!server.waitForFinished(5000))
                server.kill();
            server.waitForFinished(5000);
        }
    }
};

// Writes 16 kHz mono 16-bit samples into the microphone's pipe at the pace they are spoken,
// then silence, until destroyed. The pipe never blocks the test: what the server has not
// taken yet waits here.
class MicrophoneFeed final
{
public:
    explicit MicrophoneFeed(const QString &pipe, QByteArray samples = {})
        : m_samples(std::move(samples))
    {
        // A microphone taken away closes the pipe: the write fails instead of ending the test.
        ::signal(SIGPIPE, SIG_IGN);
        m_fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { write(); });
        m_clock.start();
        m_timer.start(20);
    }
    ~MicrophoneFeed()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    MicrophoneFeed(const MicrophoneFeed &) = delete;
    MicrophoneFeed &operator=(const MicrophoneFeed &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Seconds of the samples written so far.
    double spoken() const { return double(std::min(m_sent, m_samples.size())) / 32000.0; }
    bool finished() const { return m_sent >= m_samples.size(); }

private:
    void write()
    {
        if (m_fd < 0)
            return;
        // Due: every sample up to now, in whole frames.
        const qint64 due = m_clock.elapsed() * 32;
        while (m_sent < due) {
            const qsizetype count = std::min<qint64>(due - m_sent, 4096);
            QByteArray chunk =
                m_sent < m_samples.size() ? m_samples.mid(m_sent, count) : QByteArray(count, '\0');
            const ssize_t written = ::write(m_fd, chunk.constData(), size_t(chunk.size()));
            if (written < 0 && errno == EPIPE) {
                ::close(std::exchange(m_fd, -1));
                return;
            }
            if (written <= 0)
                return;
            m_sent += written;
        }
    }

    QByteArray m_samples;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_sent = 0;
    int m_fd = -1;
};
