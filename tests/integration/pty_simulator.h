// tessaline-sim behind a pseudo-terminal for one test, and runs of
// tessaline-cli against it.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace tessaline {

// tessaline-sim running in the background for one test.
class SimulateurPty {
public:
    explicit SimulateurPty(const QStringList& arguments) {
        process_.start(QStringLiteral(TESSALINE_SIM), arguments);
        if (!process_.waitForStarted(10000)) return;
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        esclave_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~SimulateurPty() {
        process_.closeWriteChannel(); // end of standard input ends it
        if (!process_.waitForFinished(5000)) process_.kill();
    }
    QString esclave() const { return esclave_; }

private:
    QProcess process_;
    QString esclave_;
};

struct ResultatCli {
    int code;
    QString sortie;
    QString erreurs;
};

inline ResultatCli cli(const QString& esclave, const QStringList& arguments) {
    QTemporaryDir dir;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSALINE_COM2"), esclave);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TESSALINE_CLI),
            QStringList{QStringLiteral("--settings"), dir.filePath(QStringLiteral("t.ini"))} + arguments);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace tessaline
