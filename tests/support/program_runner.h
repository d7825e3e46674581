// The programs under test (tessaline-cli, tessaline-asm, tessaline-sim ...) run as child
// processes: their exit status and what they wrote, a run in the background that the
// test watches and signals, and tessaline-sim behind a pseudo-terminal.
#pragma once

#include "pty_host.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <string>
#include <unistd.h>

namespace tessaline::test {

struct ResultatCli {
    int code = -1; // -1: killed, or ended by a signal
    QString sortie;
    QString erreurs;
};

// How a program is started. Its standard input is empty: no question is ever answered
// by a terminal the test does not control.
struct Lancement {
    QString dossier;                 // the working folder; empty: the test's own
    QStringList variables;           // "NAME=value" added to the environment
    QStringList retirees;            // names taken out of it
    bool erreursSurTerminal = false; // standard error on a raw pseudo-terminal

    Lancement& dans(const QString& d) { return dossier = d, *this; }
    Lancement& avec(const QString& v) { return variables << v, *this; }
    Lancement& sans(const QStringList& noms) { return retirees << noms, *this; }
    Lancement& surTerminal(bool oui = true) { return erreursSurTerminal = oui, *this; }
};

class ProgrammeEnCours {
public:
    ProgrammeEnCours(const QString& programme, const QStringList& arguments, const Lancement& l = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& v : l.variables)
            env.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
        for (const QString& v : l.retirees)
            env.remove(v);
        process_.setProcessEnvironment(env);
        if (!l.dossier.isEmpty()) process_.setWorkingDirectory(l.dossier);
        process_.setStandardInputFile(QProcess::nullDevice());
        if (l.erreursSurTerminal) {
            terminal_ = std::make_unique<TerminalBrut>();
            const int esclave = terminal_->esclave;
            process_.setChildProcessModifier([esclave] { ::dup2(esclave, STDERR_FILENO); });
        }
        process_.setReadChannel(QProcess::StandardError);
        process_.start(programme, arguments);
        demarre_ = process_.waitForStarted(10000);
    }
    ProgrammeEnCours(const ProgrammeEnCours&) = delete;
    ProgrammeEnCours& operator=(const ProgrammeEnCours&) = delete;
    ~ProgrammeEnCours() {
        if (process_.state() != QProcess::NotRunning) fin(0);
    }

    // Waits (at most `ms`) until its standard error holds `texte`.
    bool attendreErreur(const QString& texte, int ms) {
        while (!erreurs_.contains(texte) && process_.waitForReadyRead(ms))
            erreurs_ += QString::fromUtf8(process_.readAllStandardError());
        erreurs_ += QString::fromUtf8(process_.readAllStandardError());
        return erreurs_.contains(texte);
    }
    // A signal to it, as from the keyboard (SIGINT) or a session's end (SIGHUP).
    void signaler(int signal) {
        if (demarre_ && process_.processId() > 0) ::kill(static_cast<pid_t>(process_.processId()), signal);
    }
    // Waits (at most `ms`) for its end, then kills it.
    ResultatCli fin(int ms = 60000) {
        QElapsedTimer temps;
        temps.start();
        std::string terminal;
        while (!process_.waitForFinished(terminal_ ? 20 : ms)) {
            if (terminal_) terminal_->lire(terminal);
            if (!terminal_ || temps.elapsed() > ms) {
                process_.kill();
                process_.waitForFinished(5000);
                break;
            }
        }
        erreurs_ += QString::fromUtf8(process_.readAllStandardError());
        if (terminal_) {
            terminal_->lire(terminal);
            erreurs_ += QString::fromUtf8(terminal);
        }
        return {process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1,
                QString::fromUtf8(process_.readAllStandardOutput()), erreurs_};
    }

private:
    QProcess process_;
    std::unique_ptr<TerminalBrut> terminal_;
    QString erreurs_;
    bool demarre_ = false;
};

inline ResultatCli lancer(const QString& programme, const QStringList& arguments, const Lancement& l = {}) {
    return ProgrammeEnCours(programme, arguments, l).fin();
}

#ifdef TESSALINE_SIM
// tessaline-sim running in the background for one test; the first line it prints
// names the slave of its pseudo-terminal.
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
#endif

#ifdef TESSALINE_CLI
struct DossierReglages {
    QTemporaryDir dossier;
};

// tessaline-cli on the pseudo-terminal `esclave` (as COM2, the default port), with
// settings of its own (the defaults) in a folder that lives as long as the run.
class CliEnCours : private DossierReglages, public ProgrammeEnCours {
public:
    CliEnCours(const QString& esclave, const QStringList& arguments)
        : ProgrammeEnCours(
              QStringLiteral(TESSALINE_CLI),
              QStringList{QStringLiteral("--settings"), dossier.filePath(QStringLiteral("t.ini"))} +
                  arguments,
              Lancement().avec(QStringLiteral("TESSALINE_COM2=") + esclave)) {}
};

inline ResultatCli cli(const QString& esclave, const QStringList& arguments) {
    return CliEnCours(esclave, arguments).fin(120000);
}
#endif

} // namespace tessaline::test
