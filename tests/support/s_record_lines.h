// S1 lines for the tests that program the board from an S-record file.
#pragma once

#include <QByteArray>

namespace tessaline::test {

// An S1 line: count, address, data and the ones' complement of their sum as the
// checksum, or one off when `fausse`.
inline QByteArray ligneS1(int adresse, const QByteArray& donnees, bool fausse = false) {
    QByteArray champs;
    champs.append(char(donnees.size() + 3)).append(char(adresse >> 8)).append(char(adresse)).append(donnees);
    int somme = 0;
    for (char c : champs)
        somme += static_cast<unsigned char>(c);
    champs.append(char(~somme + (fausse ? 1 : 0)));
    return "S1" + champs.toHex().toUpper() + "\r\n";
}

} // namespace tessaline::test
