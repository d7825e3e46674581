#include "link/serial_port.h"

#include "link/error_report.h"
#include "link/tempo.h"
#include "link/trace.h"

#include <QSerialPort>
#include <QStringList>

namespace tessaline {

namespace {
const QString PanneauPort = QStringLiteral("Port");
const QString PanneauCom = QStringLiteral("Com");

bool estChemin(const QString& nom) {
    return nom.startsWith(u'/');
}

// The port as the "Port" panel names it: the line's own device when it is
// bound to one (the simulated board), else COM1-COM4 or the name as given.
QString portAffiche(Session& session) {
    const QString fixe = session.ligne().peripheriqueFixe();
    if (!fixe.isEmpty()) return fixe;
    const int n = numeroPort(session.config.Port);
    return n > 0 ? QStringLiteral("COM%1").arg(n) : session.config.Port;
}
} // namespace

int numeroPort(const QString& nomPort) {
    for (int n = 1; n <= NombrePorts; ++n)
        if (nomPort == QStringLiteral("COM%1").arg(n)) return n;
    return 0;
}

QString cheminPeripherique(const Configuration& config, const QString& nomPort) {
    if (estChemin(nomPort)) return nomPort;
    const int n = numeroPort(nomPort);
    if (n == 0) return {};
#ifdef Q_OS_WIN
    Q_UNUSED(config);
    return nomPort;
#else
    const QString impose = peripheriqueImpose(n);
    return impose.isEmpty() ? config.Peripheriques[n - 1] : impose;
#endif
}

QByteArray variablePeripherique(int n) {
    return "TESSALINE_COM" + QByteArray::number(n);
}

QString peripheriqueImpose(int n) {
#ifdef Q_OS_WIN
    Q_UNUSED(n);
    return {};
#else
    return n > 0 ? qEnvironmentVariable(variablePeripherique(n).constData()) : QString();
#endif
}

QString texteParametres(int baud) {
    return QString::number(baud) + QStringLiteral(",N,8,1");
}

bool lireParametresLigne(const QString& texte, ParametresLigne& resultat) {
    const QStringList champs = texte.split(u',');
    if (champs.size() != 4) return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    ParametresLigne p;
    p.baud = champs[0].trimmed().toInt(&ok1);
    const QString parite = champs[1].trimmed().toUpper();
    p.bitsDonnees = champs[2].trimmed().toInt(&ok2);
    p.bitsStop = champs[3].trimmed().toInt(&ok3);
    if (!ok1 || !ok2 || !ok3 || p.baud <= 0 || parite.size() != 1) return false;
    p.parite = parite[0].toLatin1();
    if (QStringLiteral("NEOMS").indexOf(QChar::fromLatin1(p.parite)) < 0) return false;
    if (p.bitsDonnees < 5 || p.bitsDonnees > 8 || (p.bitsStop != 1 && p.bitsStop != 2)) return false;
    resultat = p;
    return true;
}

void ComClose(Session& session) {
    if (session.ligne().isOpen()) session.ligne().close();
    session.ecran().setPanel(PanneauCom, QStringLiteral("Com Close"), image::ComFermee);
}

void ComOpen(Session& session) {
    ComOpen(session, session.config.Baud);
}

void ComOpen(Session& session, int baud) {
    ComClose(session);
    const Configuration& c = session.config;
    const QString parametres = texteParametres(baud);
    // A line bound to one device (the simulated board) shows that device, not
    // the port the settings name.
    const QString fixe = session.ligne().peripheriqueFixe();
    session.ecran().setPanel(PanneauPort, portAffiche(session) + u':' + parametres, 0);

    const QString peripherique = fixe.isEmpty() ? cheminPeripherique(c, c.Port) : fixe;
    bool ouvert = false;
    if (peripherique.isEmpty()) {
        AfficheErreur(session.ecran(), QStringLiteral("ComOpen"),
                      {int(QSerialPort::DeviceNotFoundError),
                       QStringLiteral("Num\u00e9ro de port non valide : ") + c.Port});
    } else if (!session.ligne().open(peripherique, parametres)) {
        AfficheErreur(session.ecran(), QStringLiteral("ComOpen"), session.ligne().lastError());
    } else {
        ouvert = session.ligne().isOpen();
    }

    if (ouvert)
        session.ecran().setPanel(PanneauCom, QStringLiteral("Com Open"), image::ComOuverte);
    else
        session.ecran().setPanel(PanneauCom, QStringLiteral("Com Close"), image::ComFermee);
    session.liaison.portOuvert = ouvert;
    if (ouvert) session.liaison.coupureSignalee = false;
    const QString refus = ouvert ? session.ligne().refusBasseLatence() : QString();
    if (!refus.isEmpty() && !session.liaison.refusLatenceSignale) {
        session.liaison.refusLatenceSignale = true;
        TraceCommande(session,
                      QStringLiteral("Le pilote de %1 refuse la faible latence (%2) : un adaptateur USB "
                                     "peut retarder chaque octet")
                          .arg(peripherique, refus));
    }
    session.horloge().processEvents();
}

bool constaterCoupure(Session& session) {
    SerialLine& ligne = session.ligne();
    if (!ligne.coupee()) return false;
    EtatLiaison& l = session.liaison;
    if (l.coupureSignalee) return true;
    l.coupureSignalee = true;
    l.portOuvert = false;
    session.ecran().setPanel(PanneauCom, QStringLiteral("Com Close"), image::ComFermee);
    session.ecran().beep();
    // The device as well, when a port name stands for it.
    QString port = portAffiche(session);
    const QString peripherique = cheminPeripherique(session.config, session.config.Port);
    if (ligne.peripheriqueFixe().isEmpty() && !peripherique.isEmpty() && peripherique != port)
        port += QStringLiteral(" (") + peripherique + u')';
    session.ecran().message(texteCoupure(port, ligne.lastError()), TitreApplication, Icone::Exclamation,
                            Boutons::Ok);
    return true;
}

void SurvCom(Session& session, bool actif) {
    session.surveillance().setEnabled(actif);
    // Switched off, the watch's timer is stopped at once: no tick can run
    // after this, so the operation that follows need not wait. Switched on,
    // the windows get a moment before the next command.
    if (actif) Tempo(session.horloge(), 0.05f);
}

LinkWatch::LinkWatch(Session& session)
    : session_(session) {
    timer_.setObjectName(QStringLiteral("tmrSurvCom"));
    timer_.setInterval(IntervalleMs);
    connect(&timer_, &QTimer::timeout, this, &LinkWatch::tick);
}

void LinkWatch::setEnabled(bool actif) {
    if (actif)
        timer_.start();
    else
        timer_.stop();
}

void LinkWatch::tick() {
    // A tick inside a wait for a byte (an operation that left the watch on, a
    // check run from a window event) must not take that byte.
    if (session_.liaison.receptionsEnCours > 0) return;
    // The program's own bytes, which the Terminal window reads: no Talker to check.
    if (session_.liaison.ligneAuTerminal) return;
    // A line that broke while nothing waited on it (the board's end of a
    // pseudo-terminal closed, an adapter pulled out): said now, and the
    // check finds that no Talker can answer.
    if (session_.ligne().coupee()) {
        if (session_.liaison.coupureSignalee) return;
        const bool actif = timer_.isActive();
        timer_.stop();
        constaterCoupure(session_);
        ++verifications_;
        if (verification_) verification_(TimeoutVerification, {});
        if (actif) timer_.start();
        return;
    }
    if (!session_.ligne().isOpen() || session_.ligne().bytesWaiting() < 1) return;
    const QByteArray recus = session_.ligne().readAll();
    // With no program running on the board, the bytes are its boot ROM's (the
    // break after a reset, echoes of a download given up): once the state says
    // "no Talker" there is nothing to check.
    if (session_.ligne().sansProgramme() && !session_.liaison.talkerPresent && !session_.liaison.cibleTourne)
        return;
    const bool actif = timer_.isActive();
    timer_.stop();
    ++verifications_;
    if (verification_) verification_(TimeoutVerification, recus);
    if (actif) timer_.start();
}

} // namespace tessaline
