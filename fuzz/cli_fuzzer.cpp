// The programs' argument parsers: tessaline-cli's, with its options applied to
// the stored configuration, and tessaline-sim's. The input is the argument
// vector, one argument a line.
#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "config/hardware_profiles.h"
#include "sim/sim_options.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace tessaline;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QStringList arguments =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(u'\n');
    if (arguments.size() == 1 && arguments.front().isEmpty()) arguments.clear();

    // tessaline-sim: a refusal says why in one line.
    std::vector<std::string> mots;
    for (const QString& a : arguments)
        mots.push_back(a.toStdString());
    const std::vector<std::string_view> vues(mots.begin(), mots.end());
    std::string raison;
    if (!hc11::parseSimOptions(vues, raison) && (raison.empty() || raison.find('\n') != std::string::npos))
        std::abort();

    QString erreur;
    const auto ligne = analyserLigneCommande(arguments, erreur);
    if (!ligne) {
        if (erreur.isEmpty()) std::abort(); // a refusal always says why
        return 0;
    }
    for (const CommandeCli& c : ligne->commandes) {
        const auto& connues = commandesConnues();
        const auto d = std::find_if(connues.begin(), connues.end(), [&](const DescriptionCommande& x) {
            return c.nom == QLatin1String(x.nom);
        });
        if (d == connues.end() || c.arguments.size() < d->minimum || c.arguments.size() > d->maximum)
            std::abort();
    }
    Configuration choix;
    const QVector<ProfilMateriel> profils{nouveauProfil()};
    appliquerOptionsLigne(choix, profils, ligne->options, erreur);
    return 0;
}
