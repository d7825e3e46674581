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

    // A line of the board's front panel ("reset"...) on its standard input;
    // returns the panel's answer.
    QString panneau(const QString& ligne) {
        process_.write((ligne + u'\n').toUtf8());
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    // The board killed: its end of the terminal closes with it.
    void tuer() {
        process_.kill();
        process_.waitForFinished(5000);
    }

private:
    QProcess process_;
    QString esclave_;
};

struct ResultatCli {
    int code;
    QString sortie;
    QString erreurs;
};

// tessaline-cli on the terminal, with settings of its own (the defaults), run
// in the background.
class CliEnCours {
public:
    CliEnCours(const QString& esclave, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TESSALINE_COM2"), esclave);
        process_.setProcessEnvironment(env);
        // What it says on standard error is waited for.
        process_.setReadChannel(QProcess::StandardError);
        process_.start(QStringLiteral(TESSALINE_CLI),
                       QStringList{QStringLiteral("--settings"), dir_.filePath(QStringLiteral("t.ini"))} +
                           arguments);
    }
    // Waits (at most `ms`) until its standard error holds `texte`.
    bool attendreErreur(const QString& texte, int ms) {
        while (!erreurs_.contains(texte) && process_.waitForReadyRead(ms))
            erreurs_ += QString::fromUtf8(process_.readAllStandardError());
        erreurs_ += QString::fromUtf8(process_.readAllStandardError());
        return erreurs_.contains(texte);
    }
    // Waits (at most `ms`) for its end.
    ResultatCli fin(int ms = 120000) {
        if (!process_.waitForFinished(ms)) process_.kill();
        process_.waitForFinished(5000);
        erreurs_ += QString::fromUtf8(process_.readAllStandardError());
        return {process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1,
                QString::fromUtf8(process_.readAllStandardOutput()), erreurs_};
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString erreurs_;
};

inline ResultatCli cli(const QString& esclave, const QStringList& arguments) {
    return CliEnCours(esclave, arguments).fin();
}

} // namespace tessaline
