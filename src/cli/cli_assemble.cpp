#include "cli/cli_assemble.h"

#include "operations/compilation.h"
#include "operations/source_paths.h"

#include <QFile>
#include <QFileInfo>

namespace tessaline {
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
    // standard error.
    compiler(session, {});

    QFile rapport(f.RepFichier + QStringLiteral("RETOUR.NFO"));
    if (rapport.open(QIODevice::ReadOnly)) sortie << QString::fromUtf8(rapport.readAll());
    sortie.flush();
    // Looked for again: the products may be spelt otherwise than the old ones.
    for (const char* extension : {"S19", "LST", "SYM"})
        if (!QFileInfo::exists(compagnon(c.dossier, c.base, QLatin1String(extension)))) return false;
    return true;
}

} // namespace tessaline
