#include "cli/cli_assemble.h"

#include "operations/compilation.h"

#include <QFile>
#include <QFileInfo>

namespace tessaline {
bool assemblerSource(Session& session, const QString& chemin, QTextStream& sortie) {
    const QFileInfo source(chemin);
    EtatFichiers& f = session.fichiers;
    f = EtatFichiers();
    f.FichierCourant = source.absoluteFilePath();
    f.RepFichier = source.absolutePath();
    if (!f.RepFichier.endsWith(u'/')) f.RepFichier += u'/';
    f.NomFichier = source.fileName().section(u'.', 0, 0);
    const QString extension = source.fileName().section(u'.', 1).toUpper();
    // The source keeps the spelling it has on disk: names are case sensitive here.
    if (extension == u"ASM" || extension == u"A11") f.FichierASM = f.FichierCourant;
    const QString base = f.RepFichier + f.NomFichier;
    f.FichierLST = base + QStringLiteral(".LST");
    f.FichierSYM = base + QStringLiteral(".SYM");
    f.FichierS19 = base + QStringLiteral(".S19");

    // The report also reaches the trace, which this front end writes on
    // standard error.
    compiler(session, {});

    QFile rapport(f.RepFichier + QStringLiteral("RETOUR.NFO"));
    if (rapport.open(QIODevice::ReadOnly)) sortie << QString::fromUtf8(rapport.readAll());
    sortie.flush();
    for (const QString& produit : {f.FichierS19, f.FichierLST, f.FichierSYM})
        if (!QFileInfo::exists(produit)) return false;
    return true;
}

} // namespace tessaline
