#include "platform/linux/process_network.h"

#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "platform/linux/modules.h"

namespace hx::platform {

ProcessNetwork::ProcessNetwork(QStringList candidates)
    : ProcessNetwork(std::move(candidates), Limits{}) {}

ProcessNetwork::ProcessNetwork(QStringList candidates, Limits limits)
    : candidates_(std::move(candidates)), limits_(limits) {}

ProcessNetwork::~ProcessNetwork() {
    // No answer after we are gone: the helpers are stopped unheard.
    for (QProcess* process : findChildren<QProcess*>()) {
        process->disconnect();
        process->kill();
        process->waitForFinished(1000);
    }
}

QStringList ProcessNetwork::defaultCandidates() {
#ifdef HX_FETCH_HELPER
    return moduleCandidates(QStringLiteral("hengxiu-fetch"), QStringLiteral(HX_FETCH_HELPER));
#else
    return moduleCandidates(QStringLiteral("hengxiu-fetch"), QString());
#endif
}

int ProcessNetwork::running() const {
    int n = 0;
    for (const QProcess* process : findChildren<QProcess*>())
        n += process->state() != QProcess::NotRunning;
    return n;
}

QString ProcessNetwork::helper() {
    if (!searched_) {
        searched_ = true;
        for (const QString& path : candidates_) {
            const QFileInfo info(path);
            if (info.isFile() && info.isExecutable()) {
                helper_ = info.absoluteFilePath();
                break;
            }
        }
    }
    return helper_;
}

void ProcessNetwork::run(const QStringList& arguments, int limitMs,
                         std::function<void(bool ok, QByteArray output)> done) {
    const QString program = helper();
    if (program.isEmpty()) {
        // As a real request: the answer comes after the call has returned.
        QTimer::singleShot(0, this, [done = std::move(done)] { done(false, {}); });
        return;
    }
    auto* process = new QProcess(this);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    auto output = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    const qint64 cap = limits_.sizeCap;
    // Reports once, then lets the process go; deferred, because a QProcess may
    // not be deleted inside its own signals.
    auto answer = [process, done = std::move(done), output, answered](bool ok) {
        if (std::exchange(*answered, true)) return;
        process->disconnect();
        if (process->state() != QProcess::NotRunning) process->kill();
        QTimer::singleShot(0, process, [process] {
            process->waitForFinished(1000);
            process->deleteLater();
        });
        done(ok, ok ? std::move(*output) : QByteArray());
    };
    connect(process, &QProcess::readyReadStandardOutput, process, [process, output, cap, answer] {
        *output += process->readAllStandardOutput();
        if (output->size() > cap) answer(false);
    });
    connect(process, &QProcess::finished, process,
            [process, output, answer](int code, QProcess::ExitStatus status) {
                *output += process->readAllStandardOutput();
                answer(status == QProcess::NormalExit && code == 0);
            });
    connect(process, &QProcess::errorOccurred, process, [answer](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) answer(false);
    });
    // A helper that hangs is ended; its own time-out should have come first.
    QTimer::singleShot(limitMs, process, [answer] { answer(false); });
    process->start();
}

void ProcessNetwork::testConnectivity(std::function<void(bool online)> done) {
    if (!done) return;
    run({QStringLiteral("--probe")}, limits_.probeMs,
        [done = std::move(done)](bool ok, const QByteArray&) { done(ok); });
}

void ProcessNetwork::get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) {
    if (!done) return;
    const QString scheme = url.scheme().toLower();
    // Only web addresses reach the helper, and always as one argument.
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(false, {}); });
        return;
    }
    run({QStringLiteral("--get"), url.toString(QUrl::FullyEncoded)}, limits_.getMs,
        std::move(done));
}

}  // namespace hx::platform
