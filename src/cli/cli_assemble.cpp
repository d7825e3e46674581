#include "cli/cli_assemble.h"

#include "link/regular_file.h"
#include "operations/compilation.h"
#include "operations/source_paths.h"

#include <QFileInfo>

namespace tessaline {

namespace {
// Far more than an assembler says about any source.
constexpr qint64 TailleMaxRapport = qint64(1) << 20;
} // namespace

bool assemblerSource(Session& session, const QString& chemin, QTextStream& sortie) {
    // The current source and its companions, as the files window takes them.
    EtatFichiers& f = session.fichiers;
    f = EtatFichiers();
    f.FichierCourant = QFileInfo(chemin).absoluteFilePath();
    const CheminDecoupe c = decouperChemin(f.FichierCourant);
    f.RepFichier = c.dossier;
    f.NomFichier = c.base;
    // The source keeps the spelling it has on disk: names are case sensitive here.
    if (c.extension == u"ASM" || c.extension == u"A11") f.FichierASM = f.FichierCourant;
    f.FichierLST = compagnon(c.dossier, c.base, QStringLiteral("LST"));
    f.FichierSYM = compagnon(c.dossier, c.base, QStringLiteral("SYM"));
    f.FichierS19 = compagnon(c.dossier, c.base, QStringLiteral("S19"));

    // The report also reaches the trace, which this front end writes on
    // standard error. A report or products left by an earlier compile say
    // nothing about this one: only a compile that ran prints its report, and
    // only one that ended well ends with success.
    const BilanCompilation bilan = compilerSource(session, {}, RapportPrecedent::Tu);
    if (!bilan.termine) return false;
    QString erreur;
    if (const auto rapport =
            lireFichierOrdinaire(f.RepFichier + QStringLiteral("RETOUR.NFO"), TailleMaxRapport, erreur))
        sortie << QString::fromUtf8(*rapport);
    sortie.flush();
    if (!bilan.reussi()) return false;
    // Looked for again: the products may be spelt otherwise than the old ones.
    for (const char* extension : {"S19", "LST", "SYM"})
        if (!QFileInfo(compagnon(c.dossier, c.base, QLatin1String(extension))).isFile()) return false;
    return true;
}

} // namespace tessaline
