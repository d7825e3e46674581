// tessaline-asm: assembles one 68HC11 source. For SOURCE = folder/NAME.ext it
// writes folder/NAME.S19, NAME.LST and NAME.SYM (NAME: the file name up to its
// first '.') and prints one "FILE(LINE): error: ..." line per fault, or one
// success line. Exit status 1 on faults, and then none of the three products
// is touched: those of the last assembly that succeeded stay as they were.
// The three are written to temporary files that replace them only once all
// three are whole. The source is read only as a regular file of at most
// TailleMaxSource bytes, and the products are written only as regular files
// (link/regular_file.h). --help prints the usage, --version the version.
#include "asm/assembler.h"
#include "asm/listing_output.h"
#include "asm/srecord_output.h"
#include "link/regular_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <memory>
#include <vector>

using namespace tessaline;
using namespace tessaline::asm11;

namespace {

const char* const Usage =
    "usage: tessaline-asm SOURCE\n"
    "       tessaline-asm --help | --version\n"
    "\n"
    "Assembles one 68HC11 source in the classic Motorola syntax. For SOURCE =\n"
    "FOLDER/NAME.EXT it writes FOLDER/NAME.S19 (the S-records), NAME.LST (the listing)\n"
    "and NAME.SYM (the symbols), and prints one line SOURCE(LINE): error: TEXT per fault,\n"
    "then one line that sums up. Exit status 0; 1 on faults (nothing is written then:\n"
    "the products of the last good assembly stay) or when a file cannot be read or\n"
    "written; 2 on a usage error.\n"
    "\n"
    "options:\n"
    "  --help, -h   print this help\n"
    "  --version    print the version\n";

// The assembler speaks English, as its other messages do.
QString raison(const EchecFichier& e) {
    using Genre = EchecFichier::Genre;
    switch (e.genre) {
    case Genre::Aucun: return {};
    case Genre::Introuvable: return QStringLiteral("no such file");
    case Genre::TropGrand: return QStringLiteral("larger than %1 bytes").arg(e.tailleMax);
    case Genre::Systeme: return e.raison;
    case Genre::NonOrdinaire: break;
    }
    switch (e.nature) {
    case NatureFichier::Dossier: return QStringLiteral("not a regular file (a folder)");
    case NatureFichier::Peripherique: return QStringLiteral("not a regular file (a device)");
    case NatureFichier::Tube: return QStringLiteral("not a regular file (a named pipe)");
    case NatureFichier::Socket: return QStringLiteral("not a regular file (a socket)");
    case NatureFichier::BoucleLiens: return QStringLiteral("not a regular file (a loop of symbolic links)");
    case NatureFichier::Absent:
    case NatureFichier::Ordinaire:
    case NatureFichier::Autre: break;
    }
    return QStringLiteral("not a regular file");
}

// The three products, written to temporary files beside them; the old files
// are replaced only once all three were written whole. A product is written
// only over a regular file (or where nothing is).
bool ecrireProduits(const QList<std::pair<QString, QByteArray>>& produits, QTextStream& erreurs) {
    std::vector<std::unique_ptr<FichierEnregistre>> fichiers;
    for (const auto& [chemin, contenu] : produits) {
        fichiers.push_back(std::make_unique<FichierEnregistre>(chemin));
        FichierEnregistre& f = *fichiers.back();
        if (!f.ouvrir() || !f.ecrire(contenu)) {
            erreurs << chemin << ": error: cannot write: " << raison(f.echec()) << Qt::endl;
            // The temporary files go with their savers: nothing is replaced.
            return false;
        }
    }
    bool ecrit = true;
    for (std::size_t i = 0; i < fichiers.size(); ++i)
        if (!fichiers[i]->valider()) {
            erreurs << produits[qsizetype(i)].first
                    << ": error: cannot write: " << raison(fichiers[i]->echec()) << Qt::endl;
            ecrit = false;
        }
    return ecrit;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream sortie(stdout);
    QTextStream erreurs(stderr);
    const QStringList arguments = app.arguments().mid(1);
    // --help and --version answer wherever they stand (the first of them
    // given): neither is ever taken for a source's name.
    for (const QString& a : arguments) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            sortie << Usage;
            return 0;
        }
        if (a == QLatin1String("--version")) {
            sortie << "tessaline-asm " << TESSALINE_VERSION << Qt::endl;
            return 0;
        }
    }
    if (arguments.size() != 1 || arguments[0].isEmpty()) {
        erreurs << "usage: tessaline-asm SOURCE | --help | --version" << Qt::endl;
        return 2;
    }
    const QFileInfo source(arguments[0]);
    // Only a regular file of a bounded size: a pipe would block the reading
    // for ever, a device would never end.
    EchecFichier echec;
    const auto octets = lireFichierOrdinaire(source.filePath(), TailleMaxSource, echec);
    if (!octets) {
        sortie << source.fileName() << ": error: cannot read: " << raison(echec) << Qt::endl;
        return 1;
    }
    const QString texte = QString::fromLatin1(*octets);

    const QString nom = source.fileName().section(u'.', 0, 0);
    const QString base = source.dir().filePath(nom);
    const Assemblage a = assembler(texte);
    for (const MessageAssemblage& m : a.erreurs)
        sortie << source.fileName() << '(' << m.ligne << "): error: " << m.texte << '\n';

    // A source with faults leaves the products of the last good assembly:
    // the program that was loaded and its listing stay usable.
    if (!a.erreurs.isEmpty()) {
        sortie << source.fileName() << ": " << a.erreurs.size() << " error(s), nothing written (" << nom
               << ".S19, .LST and .SYM left as they were)" << Qt::endl;
        return 1;
    }
    const QList<std::pair<QString, QByteArray>> produits = {
        {base + QStringLiteral(".LST"), texteListing(a)},
        {base + QStringLiteral(".SYM"), texteSymboles(a)},
        {base + QStringLiteral(".S19"), texteS19(a, nom)},
    };
    if (!ecrireProduits(produits, sortie)) return 1;
    sortie << source.fileName() << ": assembled without error, " << a.nombreOctets() << " byte(s) of code in "
           << nom << ".S19" << Qt::endl;
    return 0;
}
