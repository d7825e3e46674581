// The example programs by name: "--eeprom compteur.s19" finds the example when
// no such file is in the current folder. A bare name (no folder in it) that is
// not there is looked for in share/tessaline/examples beside the programs' bin
// folder (/usr/share/tessaline/examples once installed; the build tree copies
// the examples to the same place). Any other name is taken as it is, so that a
// refusal names what the user typed.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace tessaline {

inline std::string cheminExemple(const std::string& nom) {
    namespace fs = std::filesystem;
    std::error_code erreur;
    if (nom.empty() || nom.find('/') != std::string::npos || fs::exists(nom, erreur)) return nom;
    const fs::path programme = fs::read_symlink("/proc/self/exe", erreur);
    if (erreur) return nom;
    const fs::path exemple = programme.parent_path() / ".." / "share" / "tessaline" / "examples" / nom;
    return fs::is_regular_file(exemple, erreur) ? exemple.lexically_normal().string() : nom;
}

} // namespace tessaline
