// tessaline-asm: assembles one 68HC11 source. For SOURCE = folder/NAME.ext it
// writes folder/NAME.S19, NAME.LST and NAME.SYM (NAME: the file name up to its
// first '.') and prints one "FILE(LINE): error: ..." line per fault, or one
// success line. Exit status 1 on faults, and then no S19 is left.
// --help prints the usage, --version the version.
#include "asm/assembler.h"
#include "asm/listing_output.h"
#include "asm/srecord_output.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

using namespace tessaline::asm11;

namespace {

const char* const Usage =
    "usage: tessaline-asm SOURCE\n"
    "       tessaline-asm --help | --version\n"
    "\n"
    "Assembles one 68HC11 source in the classic Motorola syntax. For SOURCE =\n"
    "FOLDER/NAME.EXT it writes FOLDER/NAME.S19 (the S-records), NAME.LST (the listing)\n"
    "and NAME.SYM (the symbols), and prints one line SOURCE(LINE): error: TEXT per fault,\n"
    "then one line that sums up. Exit status 0; 1 on faults (no NAME.S19 is left then)\n"
    "or when a file cannot be read or written; 2 on a usage error.\n"
    "\n"
    "options:\n"
    "  --help, -h   print this help\n"
    "  --version    print the version\n";

bool ecrire(const QString& chemin, const QByteArray& contenu, QTextStream& erreurs) {
    QSaveFile f(chemin);
    if (f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size() && f.commit()) return true;
    erreurs << chemin << ": error: cannot write: " << f.errorString() << Qt::endl;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream sortie(stdout);
    QTextStream erreurs(stderr);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments == QStringList{QStringLiteral("--help")} ||
        arguments == QStringList{QStringLiteral("-h")}) {
        sortie << Usage;
        return 0;
    }
    if (arguments == QStringList{QStringLiteral("--version")}) {
        sortie << "tessaline-asm " << TESSALINE_VERSION << Qt::endl;
        return 0;
    }
    if (arguments.size() != 1 || arguments[0].isEmpty()) {
        erreurs << "usage: tessaline-asm SOURCE | --help | --version" << Qt::endl;
        return 2;
    }
    const QFileInfo source(arguments[0]);
    QFile f(source.filePath());
    if (!f.open(QIODevice::ReadOnly)) {
        sortie << source.fileName() << ": error: cannot read: " << f.errorString() << Qt::endl;
        return 1;
    }
    const QString texte = QString::fromLatin1(f.readAll());
    f.close();

    const QString nom = source.fileName().section(u'.', 0, 0);
    const QString base = source.dir().filePath(nom);
    const Assemblage a = assembler(texte);
    for (const MessageAssemblage& m : a.erreurs)
        sortie << source.fileName() << '(' << m.ligne << "): error: " << m.texte << '\n';

    bool ecrit = ecrire(base + QStringLiteral(".LST"), texteListing(a), sortie) &&
                 ecrire(base + QStringLiteral(".SYM"), texteSymboles(a), sortie);
    if (!a.erreurs.isEmpty()) {
        QFile::remove(base + QStringLiteral(".S19"));
        sortie << source.fileName() << ": " << a.erreurs.size() << " error(s), no " << nom << ".S19 written"
               << Qt::endl;
        return 1;
    }
    ecrit = ecrit && ecrire(base + QStringLiteral(".S19"), texteS19(a, nom), sortie);
    if (!ecrit) {
        QFile::remove(base + QStringLiteral(".S19"));
        return 1;
    }
    sortie << source.fileName() << ": assembled without error, " << a.nombreOctets() << " byte(s) of code in "
           << nom << ".S19" << Qt::endl;
    return 0;
}
